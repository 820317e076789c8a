// Length of a net with repeated pins, and the two tree printers.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "steiner/flute.h"
#include "support/SteinerOracle.h"
#include "support/SteinerTreeChecks.h"

namespace {

// The net's sorted form after dropping, at each pair of consecutive y positions holding the
// same tile, the pin of the larger x rank (the same position is examined again).
RandomNet withoutConsecutiveRepeats(const RandomNet& net) {
  std::vector<std::pair<int, int>> pins;  // (x rank, y) in y order
  for (std::size_t i = 0; i < net.ys.size(); ++i) pins.emplace_back(net.s[i], net.ys[i]);
  for (std::size_t i = 0; i + 1 < pins.size();) {
    if (pins[i].second == pins[i + 1].second && net.xs[pins[i].first] == net.xs[pins[i + 1].first]) {
      pins[i].first = std::min(pins[i].first, pins[i + 1].first);
      pins.erase(pins.begin() + long(i) + 1);
    } else {
      ++i;
    }
  }
  std::vector<int> ranks;
  for (const auto& p : pins) ranks.push_back(p.first);
  std::sort(ranks.begin(), ranks.end());
  RandomNet out;
  for (int r : ranks) out.xs.push_back(net.xs[r]);
  for (const auto& p : pins) {
    out.ys.push_back(p.second);
    out.s.push_back(int(std::lower_bound(ranks.begin(), ranks.end(), p.first) - ranks.begin()));
    out.x.push_back(net.xs[p.first]), out.y.push_back(p.second);
  }
  return out;
}

// Repeated pins on consecutive y positions are dropped before the length is taken: up to nine
// pins left, it is the exact Steiner length (repeats that stay add nothing); more, it is the
// broken net's length of what is left. Every pin on one spot: 0.
TEST(RepeatedPinLength, DropsConsecutiveRepeatsFirst) {
  useSteinerTables();
  std::mt19937 rng(33);
  int tableCases = 0, breakingCases = 0;
  for (int k = 0; k < 400; ++k) {
    const int d = 2 + int(rng() % 14);
    RandomNet net = randomNet(rng, d, k % 2 ? 3 : 5);
    const RandomNet left = withoutConsecutiveRepeats(net);
    const int n = int(left.ys.size());
    SCOPED_TRACE(testing::Message() << "net " << k << ": " << d << " pins, " << n << " left");
    const int wl = flutes_wl_RDP(d, net.xs.data(), net.ys.data(), net.s.data(), 3);
    if (n <= 9) {
      ++tableCases;
      ASSERT_EQ(wl, exactSteinerLength(n, left.x.data(), left.y.data()));
    } else {
      ++breakingCases;
      ASSERT_EQ(wl, flutes_wl_MD(n, left.xs.data(), left.ys.data(), left.s.data(), 3));
    }
  }
  EXPECT_GT(tableCases, 100);
  EXPECT_GT(breakingCases, 30);
  int xs[3] = {4, 4, 4}, ys[3] = {1, 1, 1}, s[3] = {0, 1, 2};
  EXPECT_EQ(flutes_wl_RDP(3, xs, ys, s, 3), 0);
}

// Pins (0,0), (7654321,0), (2000000,1234567) joined at Steiner point (2000000,0), the root
// pointing to itself.
Tree handTree() {
  Tree t;
  t.deg = 3;
  t.branch = std::make_unique<Branch[]>(4);
  t.branch[0] = {0, 0, 3};
  t.branch[1] = {7654321, 0, 3};
  t.branch[2] = {2000000, 1234567, 3};
  t.branch[3] = {2000000, 0, 3};
  return t;
}

TEST(TreePrinting, PlotGivesOneSegmentPerBranch) {
  testing::internal::CaptureStdout();
  plottree(handTree());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "0 0\n2000000 0\n\n7654321 0\n2000000 0\n\n2000000 1234567\n2000000 0\n\n"
            "2000000 0\n2000000 0\n\n");
}

// Pins, then Steiner points marked "s"; coordinates go through %4g, so seven digits turn into
// six significant ones and round millions print in exponent form.
TEST(TreePrinting, ListingShowsPinsThenSteinerPoints) {
  testing::internal::CaptureStdout();
  printtree(handTree());
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " 0 :  x=   0  y=   0  e=3\n"
            " 1 :  x=7.65432e+06  y=   0  e=3\n"
            " 2 :  x=2e+06  y=1.23457e+06  e=3\n"
            "s3 :  x=2e+06  y=   0  e=3\n"
            "\n");
}

}  // namespace
