// Net breaking, worked out by hand: nets without a corner split, one try (accuracy 1), so the
// scoring alone decides where a net breaks and with it the tree. Net A's best candidate is the
// row at y position 7 (entry 11); without the end weights at the outermost positions, or with
// the narrow gap coefficient there, the column at x rank 3 (entry 2) would win. The
// length-only scoring takes that column, whose break pin lies in the lowest two rows and
// moves up one row. In net B, scores rounded in double precision throughout would pick
// entry 6 instead of 0. In nets C and D the length-only estimate moves a break pin off the
// two leftmost columns (C) or the two lowest rows (D); without the move it would be 138 and 155.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "steiner/flute.h"
#include "steiner/fluteBreaking.h"
#include "support/SteinerOracle.h"
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

// An accuracy below 1 breaks a net as accuracy 1 does, in both builders.
TEST(NetBreaking, AccuracyBelowOneActsAsOne) {
  useSteinerTables();
  const std::vector<int> x = {57, 40, 1, 43, 50, 49, 20, 32, 13, 47}, y = {39, 57, 25, 53, 35, 26, 7, 10, 28, 17};
  for (const int acc : {0, -3, INT_MIN}) {
    SCOPED_TRACE(acc);
    EXPECT_EQ(flute(10, x.data(), y.data(), acc).length, flute(10, x.data(), y.data(), 1).length);
    EXPECT_EQ(flute_wl(10, x.data(), y.data(), acc), flute_wl(10, x.data(), y.data(), 1));
  }
}

// Accuracy acc tries acc breaks; above 3 it tries at most all candidates but one, and its parts
// are built with half of it, else with 1.
TEST(NetBreaking, TriesAndPartAccuracy) {
  const struct {
    int acc, count, tries, partAcc;
  } kCases[] = {{1, 12, 1, 1},   {3, 12, 3, 1},   {3, 3, 3, 1},    {4, 12, 4, 2},
                {11, 12, 11, 5}, {12, 12, 11, 6}, {13, 12, 11, 6}, {4, 4, 3, 2}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << "acc " << c.acc << ", " << c.count << " candidates");
    EXPECT_EQ(fluteBreaking::breakTries(c.acc, c.count), c.tries);
    EXPECT_EQ(fluteBreaking::partAccuracy(c.acc), c.partAcc);
  }
}

// A net whose five lowest pins are also its five leftmost (and no smaller such block) splits at
// the block's corner (29,21): the block with the corner, and the corner with the seven pins
// above. Both estimates are the sum of the two parts' optimal lengths (147; the scored breaking
// would estimate 152); the mirror image splits at its lower-right block the same way.
TEST(NetBreaking, CornerSplitAddsThePartsLengths) {
  useSteinerTables();
  const std::vector<int> x = {11, 26, 5, 29, 19, 46, 44, 30, 37, 50, 31, 58},
                         y = {4, 12, 14, 18, 21, 29, 35, 40, 43, 49, 55, 61};
  const int lowX[] = {11, 26, 5, 29, 19, 29}, lowY[] = {4, 12, 14, 18, 21, 21};
  const int highX[] = {29, 46, 44, 30, 37, 50, 31, 58}, highY[] = {21, 29, 35, 40, 43, 49, 55, 61};
  const int sum = exactSteinerLength(6, lowX, lowY) + exactSteinerLength(8, highX, highY);
  std::vector<int> mirrored(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) mirrored[i] = 63 - x[i];
  for (const std::vector<int>* px : {&x, static_cast<const std::vector<int>*>(&mirrored)}) {
    EXPECT_EQ(flute_wl(12, px->data(), y.data(), 3), sum);
    EXPECT_EQ(flute(12, px->data(), y.data(), 3).length, sum);
  }
}

}  // namespace
