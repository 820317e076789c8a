// Net breaking, worked out by hand: nets without a corner split, one try (accuracy 1), so the
// scoring alone decides where a net breaks and with it the tree. Net A's best candidate is the
// row at y position 7 (entry 11); without the end weights at the outermost positions, or with
// the narrow gap coefficient there, the column at x rank 3 (entry 2) would win. The
// length-only scoring takes that column, whose break pin lies in the lowest two rows and
// moves up one row. In net B, scores rounded in double precision throughout would pick
// entry 6 instead of 0. In nets C and D the length-only estimate moves a break pin off the
// two leftmost columns (C) or the two lowest rows (D); without the move it would be 138 and 155.

#include <gtest/gtest.h>

#include <vector>

#include "steiner/flute.h"
#include "steiner/fluteBreaking.h"
#include "support/SteinerTreeChecks.h"

namespace {

TEST(NetBreaking, ScoresPickTheWorkedOutBreakAndTree) {
  useSteinerTables();
  const struct {
    const char* name;
    std::vector<int> x, y;
    int treeEntry, lengthOnlyEntry, length, lengthOnly;
  } kNets[] = {
      {"A", {57, 40, 1, 43, 50, 49, 20, 32, 13, 47}, {39, 57, 25, 53, 35, 26, 7, 10, 28, 17}, 11, 2, 134, 134},
      {"B",
       {37, 5, 21, 58, 3, 6, 19, 35, 34, 10, 25, 39, 30, 55, 40},
       {50, 56, 34, 53, 8, 29, 43, 42, 51, 40, 40, 40, 39, 27, 27},
       0,
       0,
       162,
       162},
  };
  for (const auto& c : kNets) {
    SCOPED_TRACE(c.name);
    const int d = int(c.x.size());
    const RandomNet n = sortedNet(c.x, c.y);
    const std::vector<int> si = fluteBreaking::inverseRanks(d, n.s.data());
    fluteBreaking::BreakScores tree =
        fluteBreaking::scoreBreaks(d, n.xs.data(), n.ys.data(), n.s.data(), si.data(), 1, false);
    fluteBreaking::BreakScores wl =
        fluteBreaking::scoreBreaks(d, n.xs.data(), n.ys.data(), n.s.data(), si.data(), 1, true);
    EXPECT_EQ(fluteBreaking::takeBest(tree.value), c.treeEntry);
    EXPECT_EQ(fluteBreaking::takeBest(wl.value), c.lengthOnlyEntry);
    EXPECT_EQ(flute(d, c.x.data(), c.y.data(), 1).length, c.length);
    EXPECT_EQ(flute_wl(d, c.x.data(), c.y.data(), 1), c.lengthOnly);
  }
  const int cx[] = {39, 16, 6, 34, 10, 16, 34, 40, 37, 48, 7}, cy[] = {36, 5, 51, 2, 53, 5, 40, 9, 10, 10, 22};
  EXPECT_EQ(flute_wl(11, cx, cy, 1), 135);
  const int dx[] = {54, 5, 57, 3, 50, 43, 25, 17, 48, 4}, dy[] = {19, 31, 6, 11, 43, 49, 52, 9, 12, 32};
  EXPECT_EQ(flute_wl(10, dx, dy, 1), 154);
}

}  // namespace
