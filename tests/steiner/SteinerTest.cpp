// Steiner trees and spanning trees against independent oracles: the exact solver for small
// nets, spanning trees and exact optima for large ones, and a brute-force Prim for the MST.

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "steiner/MST.h"
#include "steiner/flute.h"
#include "support/SteinerOracle.h"
#include "support/SteinerTreeChecks.h"

namespace {

// Tiny ranges force equal coordinates and zero gaps, large ones general position.
TEST(FluteSmallNets, TreesAreOptimalAndWellFormed) {
  useSteinerTables();
  std::mt19937 rng(2024);
  for (const int range : {3, 7, 100, 1000000})
    for (int d = 2; d <= 9; ++d)
      for (int k = 0; k < 150; ++k) {
        SCOPED_TRACE(testing::Message() << "range " << range << ", " << d << " pins, net " << k);
        const RandomNet net = randomNet(rng, d, range);
        const Tree t = flute(d, net.x.data(), net.y.data(), 3);
        if (d == 2) {
          ASSERT_EQ(treeFault(t, 2, net.x.data(), net.y.data()), "");
          ASSERT_EQ(flutes_LD(2, net.xs.data(), net.ys.data(), net.s.data()).length, t.length);
        } else {
          ASSERT_EQ(sortedTreeFault(t, d, net.xs.data(), net.ys.data(), net.s.data()), "");
        }
        ASSERT_EQ(t.length, exactSteinerLength(d, net.x.data(), net.y.data()));
        ASSERT_EQ(flute_wl(d, net.x.data(), net.y.data(), 3), t.length);
      }
}

// Large nets: well formed, never below the optimum, close to it on average, shorter than the
// spanning tree; the length-only estimate describes a real tree too.
TEST(FluteLargeNets, WellFormedAndCloseToOptimal) {
  useSteinerTables();
  std::mt19937 rng(77);
  double excess = 0;
  long long steiner = 0, spanning = 0;
  for (int k = 0; k < 240; ++k) {
    SCOPED_TRACE(testing::Message() << "net " << k);
    const bool exact = k % 2 == 0;
    const int d = exact ? 10 + k % 3 : 13 + int(rng() % 130);
    const RandomNet net = randomNet(rng, d, k % 4 < 2 ? 20 : 100000);
    const Tree t = flute(d, net.x.data(), net.y.data(), 3);
    ASSERT_EQ(sortedTreeFault(t, d, net.xs.data(), net.ys.data(), net.s.data()), "");
    const int wl = flute_wl(d, net.x.data(), net.y.data(), 3);
    ASSERT_EQ(flutes_wl_MD(d, net.xs.data(), net.ys.data(), net.s.data(), 3), wl);
    ASSERT_LE(wl, t.length * 105 / 100 + 1);
    if (exact) {
      const int opt = exactSteinerLength(d, net.x.data(), net.y.data());
      ASSERT_GE(t.length, opt);
      ASSERT_GE(wl, opt);
      excess += double(t.length - opt) / opt;
    } else {
      steiner += t.length, spanning += mstLength(d, net.x.data(), net.y.data());
    }
  }
  EXPECT_LE(excess / 120, 0.03);
  EXPECT_LE(double(steiner), 0.97 * double(spanning));
}

// Re-optimising the neighbourhood of a pin keeps a valid tree whose length field stays exact
// and, with optimal small trees, never grows.
TEST(FluteLocalRefinement, KeepsTheTreeValidAndNeverLonger) {
  useSteinerTables();
  std::mt19937 rng(9);
  for (int k = 0; k < 200; ++k) {
    const int d = 10 + int(rng() % 40);
    const RandomNet net = randomNet(rng, d, k % 2 ? 10 : 1000);
    Tree t = flute(d, net.x.data(), net.y.data(), 3);
    const int before = t.length;
    local_refinement(t, int(rng() % unsigned(d)));
    ASSERT_EQ(sortedTreeFault(t, d, net.xs.data(), net.ys.data(), net.s.data()), "") << "net " << k;
    ASSERT_LE(t.length, before) << "net " << k;
  }
}

// Repeats at consecutive y positions are dropped before building: none is left, and the
// length is that of the distinct pins.
// Outside the table's degrees the estimator answers as flutes_LD does; an accuracy of INT_MAX
// saturates like any accuracy beyond the net's needs (2 * acc must not wrap).
TEST(FluteLengthOnly, DegreesWithoutATableAndTheLargestAccuracy) {
  useSteinerTables();
  std::mt19937 rng(5);
  const RandomNet ten = randomNet(rng, 10, 100);
  EXPECT_EQ(flutes_wl_LD(0, ten.xs.data(), ten.ys.data(), ten.s.data()), 0);
  EXPECT_EQ(flutes_wl_LD(10, ten.xs.data(), ten.ys.data(), ten.s.data()),
            flutes_LD(10, ten.xs.data(), ten.ys.data(), ten.s.data()).length);
  for (int k = 0; k < 40; ++k) {
    const int d = 10 + k % 4;  // every break is tried at each level: keep the nets small
    const RandomNet net = randomNet(rng, d, k % 2 ? 20 : 1000);
    SCOPED_TRACE(testing::Message() << "net of " << d << " pins");
    EXPECT_EQ(flute_wl(d, net.x.data(), net.y.data(), INT_MAX), flute_wl(d, net.x.data(), net.y.data(), INT_MAX / 2));
    EXPECT_EQ(flute(d, net.x.data(), net.y.data(), INT_MAX).length,
              flute(d, net.x.data(), net.y.data(), INT_MAX / 2).length);
  }
}

TEST(FluteDuplicates, RepeatedPinsAreRemoved) {
  useSteinerTables();
  std::mt19937 rng(21);
  for (int k = 0; k < 200; ++k) {
    const int d = 3 + int(rng() % 12);
    RandomNet net = randomNet(rng, d, 3);
    const Tree t = flutes_RDP(d, net.xs.data(), net.ys.data(), net.s.data(), 3);
    for (int i = 0; i + 1 < t.deg; ++i)
      ASSERT_FALSE(net.ys[i] == net.ys[i + 1] && net.xs[net.s[i]] == net.xs[net.s[i + 1]]) << "net " << k;
    if (t.deg >= 2) {
      ASSERT_EQ(sortedTreeFault(t, t.deg, net.xs.data(), net.ys.data(), net.s.data()), "") << "net " << k;
    }
    ASSERT_EQ(t.length, exactSteinerLength(d, net.x.data(), net.y.data())) << "net " << k;
  }
}

double primTotal(const std::vector<std::vector<float>>& cost) {
  const std::size_t n = cost.size();
  std::vector<bool> in(n, false);
  std::vector<double> best(n, std::numeric_limits<double>::infinity());
  best[0] = 0.0;
  double total = 0.0;
  for (std::size_t step = 0; step < n; ++step) {
    std::size_t pick = n;
    for (std::size_t v = 0; v < n; ++v)
      if (!in[v] && (pick == n || best[v] < best[pick])) pick = v;
    in[pick] = true;
    total += best[pick];
    for (std::size_t v = 0; v < n; ++v)
      if (!in[v] && double(cost[pick][v]) < best[v]) best[v] = cost[pick][v];
  }
  return total;
}

// Random pins on small boxes, with and without a tile map that favours equal-valued tiles:
// n - 1 links with the costs of their pairs, in non-decreasing order, spanning, minimal.
TEST(MST, RandomPinSetsGiveAMinimumSpanningTree) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int side = 1 + int(rng() % 6), n = 2 + int(rng() % 40);
    const bool useMap = round % 2 == 1;
    TileMap map;
    map.allocate(side, side);
    for (int& v : map.cells) v = int(rng() % 3);
    std::vector<Point> pins;
    for (int i = 0; i < n; ++i) pins.emplace_back(int(rng() % side), int(rng() % side), int(rng() % 4));
    std::vector<std::vector<float>> cost(n, std::vector<float>(n));
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const Point &a = pins[i], &b = pins[j];
        const int d = std::abs(a.x - b.x) + std::abs(a.y - b.y);
        const bool same = useMap && map[a.x][a.y] == map[b.x][b.y];
        cost[i][j] = same ? float(0.7 * d + (a.y == b.y ? 0.0 : 0.5)) : float(d);
      }
    std::vector<Link> out;
    MST(pins, out, map, useMap);
    ASSERT_EQ(out.size(), std::size_t(n - 1));
    std::vector<int> component(n);
    for (int i = 0; i < n; ++i) component[i] = i;
    double total = 0.0;
    for (std::size_t k = 0; k < out.size(); ++k) {
      const Link& l = out[k];
      ASSERT_TRUE(0 <= l.first && l.first < l.second && l.second < n);
      ASSERT_EQ(l.cost, cost[l.first][l.second]);
      if (k > 0) {
        ASSERT_LE(out[k - 1].cost, l.cost);
      }
      total += l.cost;
      const int from = component[l.second], to = component[l.first];
      ASSERT_NE(from, to) << "cycle";
      for (int& c : component)
        if (c == from) c = to;
    }
    EXPECT_EQ(total, primTotal(cost));
  }
}

}  // namespace
