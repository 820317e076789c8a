// Trees of random large nets: shape, pin placement and length, and their quality against the
// spanning tree and against exact optima.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <utility>
#include <vector>

#include "steiner/flute.h"
#include "support/SteinerOracle.h"
#include "support/SteinerTreeChecks.h"

namespace {

// Pins of the tree must be the caller's pins, in ascending y order.
bool samePinsInRowOrder(const Tree& t, const std::vector<int>& x, const std::vector<int>& y) {
  const int d = int(x.size());
  std::vector<std::pair<int, int>> want(d), got(d);
  for (int i = 0; i < d; ++i) want[i] = {x[i], y[i]}, got[i] = {t.branch[i].x, t.branch[i].y};
  for (int i = 1; i < d; ++i) {
    if (got[i].second < got[i - 1].second) return false;
  }
  std::sort(want.begin(), want.end()), std::sort(got.begin(), got.end());
  return want == got;
}

TEST(FluteLargeNets, TreesAreWellFormedAndShorterThanSpanningTrees) {
  useSteinerTables();
  const struct {
    const char* name;
    int range;
    double maxRatio;  // Steiner total at most this share of the spanning-tree total
  } kRanges[] = {     // A grid nearly full of pins leaves nothing for Steiner points to save.
                 {"dense, many ties", 12, 1.02},
                 {"many ties", 60, 0.99},
                 {"few ties", 100000, 0.95}};
  std::mt19937 rng(2024);
  for (const auto& c : kRanges) {
    SCOPED_TRACE(c.name);
    long long steiner = 0, spanning = 0;
    int nets = 0;
    for (int k = 0; k < 1000; ++k) {
      const int d = 10 + int(rng() % 140);
      const RandomNet net = randomNet(rng, d, c.range);
      const Tree t = flute(d, net.x.data(), net.y.data(), 3);
      ASSERT_TRUE(samePinsInRowOrder(t, net.x, net.y)) << "net " << k;
      ASSERT_EQ(sortedTreeFault(t, d, net.xs.data(), net.ys.data(), net.s.data()), "") << "net " << k;
      steiner += t.length, spanning += mstLength(d, net.x.data(), net.y.data()), ++nets;
    }
    std::printf("[ report   ] %s: %d nets of 10..149 pins, Steiner %lld, spanning tree %lld (%.2f%% shorter)\n", c.name,
                nets, steiner, spanning, 100.0 * double(spanning - steiner) / double(spanning));
    EXPECT_LE(double(steiner), c.maxRatio * double(spanning));
  }
}

// Exact optima by the oracle; the trees may not be shorter, and on average only slightly longer.
TEST(FluteLargeNets, CloseToOptimalOnTenToTwelvePins) {
  useSteinerTables();
  std::mt19937 rng(77);
  double sumExcess = 0, worst = 0;
  int nets = 0, wlAbove = 0;
  double sumWlExcess = 0;
  for (int k = 0; k < 300; ++k) {
    const int d = 10 + k % 3;
    const RandomNet net = randomNet(rng, d, k % 2 ? 20 : 1000);
    const int opt = exactSteinerLength(d, net.x.data(), net.y.data());
    const Tree t = flute(d, net.x.data(), net.y.data(), 3);
    ASSERT_GE(t.length, opt) << "net " << k;
    const int wl = flute_wl(d, net.x.data(), net.y.data(), 3);
    ASSERT_GE(wl, opt) << "net " << k;  // a shifted break pin still describes a real tree
    const double excess = double(t.length - opt) / double(opt);
    sumExcess += excess, worst = std::max(worst, excess), ++nets;
    sumWlExcess += double(wl - opt) / double(opt), wlAbove += wl > t.length;
  }
  std::printf("[ report   ] %d nets of 10..12 pins: mean excess %.3f%%, worst %.3f%%; length-only mean %.3f%%\n", nets,
              100 * sumExcess / nets, 100 * worst, 100 * sumWlExcess / nets);
  EXPECT_LE(sumExcess / nets, 0.03);
}

// Degrees across the dispatch boundaries, coincident pins included.
TEST(FluteLargeNets, EveryDegreeFromTwoUp) {
  useSteinerTables();
  std::mt19937 rng(8);
  for (int d = 2; d <= 40; ++d) {
    for (const int range : {1, 3, 1000}) {
      SCOPED_TRACE(testing::Message() << d << " pins in range " << range);
      const RandomNet net = randomNet(rng, d, range);
      const Tree t = flute(d, net.x.data(), net.y.data(), 3);
      if (d == 2) {
        ASSERT_EQ(t.length, std::abs(net.x[0] - net.x[1]) + std::abs(net.y[0] - net.y[1]));
        continue;
      }
      ASSERT_EQ(sortedTreeFault(t, d, net.xs.data(), net.ys.data(), net.s.data()), "");
      if (d <= 9) {
        EXPECT_EQ(flute_wl(d, net.x.data(), net.y.data(), 3), t.length);
      }
      if (range == 1) {
        EXPECT_EQ(t.length, 0);
      }
    }
  }
}

}  // namespace
