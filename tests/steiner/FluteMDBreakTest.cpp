// Net breaking: corner splits, break ranges, the order in which candidates are tried, and the tie
// rules between tries.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "steiner/flute.h"
#include "steiner/fluteBreaking.h"
#include "support/SteinerOracle.h"
#include "support/SteinerTreeChecks.h"

namespace {

using fluteBreaking::SplitNet;

std::vector<int> tens(int d) {
  std::vector<int> v(d);
  for (int i = 0; i < d; ++i) v[i] = 10 * i;
  return v;
}
std::vector<int> steps(int d) {
  std::vector<int> v(d);
  for (int i = 0; i < d; ++i) v[i] = i;
  return v;
}

// Each row: the ranks of a 10-pin net with xs = 0,10,..,90 and ys = 0..9, and the two parts that
// the corner split must produce (empty when it must not split).
const struct {
  const char* name;
  std::vector<int> s;
  std::vector<int> x1, y1, s1, x2, y2, s2;
} kCorners[] = {
    {"lower-left block of two",
     {1, 0, 2, 5, 3, 4, 6, 7, 9, 8},
     {0, 10, 10},
     {0, 1, 1},
     {1, 0, 2},
     {10, 20, 30, 40, 50, 60, 70, 80, 90},
     {1, 2, 3, 4, 5, 6, 7, 8, 9},
     {0, 1, 4, 2, 3, 5, 6, 8, 7}},
    {"lower-left block of three",
     {2, 0, 1, 9, 3, 4, 5, 6, 7, 8},
     {0, 10, 20, 20},
     {0, 1, 2, 2},
     {2, 0, 1, 3},
     {20, 30, 40, 50, 60, 70, 80, 90},
     {2, 3, 4, 5, 6, 7, 8, 9},
     {0, 7, 1, 2, 3, 4, 5, 6}},
    {"lower-right block of two",
     {8, 9, 5, 6, 7, 0, 1, 2, 3, 4},
     {80, 80, 90},
     {0, 1, 1},
     {1, 2, 0},
     {0, 10, 20, 30, 40, 50, 60, 70, 80},
     {1, 2, 3, 4, 5, 6, 7, 8, 9},
     {8, 5, 6, 7, 0, 1, 2, 3, 4}},
    {"left block of two pins outside",
     {1, 2, 3, 4, 5, 6, 7, 0, 8, 9},
     {0, 10, 20, 30, 40, 50, 60, 70, 70},
     {0, 1, 2, 3, 4, 5, 6, 7, 7},
     {1, 2, 3, 4, 5, 6, 7, 0, 8},
     {70, 80, 90},
     {7, 8, 9},
     {0, 1, 2}},
    {"left block leaves one pin outside", {1, 2, 3, 4, 5, 6, 7, 8, 0, 9}, {}, {}, {}, {}, {}, {}},
    {"lowest pin far left, highest far right", {0, 9, 1, 2, 3, 4, 5, 6, 7, 8}, {}, {}, {}, {}, {}, {}},
    {"right block leaves one pin outside", {9, 1, 2, 3, 4, 5, 6, 7, 8, 0}, {}, {}, {}, {}, {}, {}},
    {"lowest pin far right, next far left", {9, 0, 8, 7, 6, 5, 4, 3, 2, 1}, {}, {}, {}, {}, {}, {}},
};

TEST(NetBreaking, CornerSplitFindsTheSmallestBlock) {
  useSteinerTables();
  const std::vector<int> xs = tens(10), ys = steps(10);
  for (const auto& c : kCorners) {
    SCOPED_TRACE(c.name);
    SplitNet n;
    const bool split = fluteBreaking::cornerSplit(10, xs.data(), ys.data(), c.s.data(), n);
    ASSERT_EQ(split, !c.s1.empty());
    if (!split) continue;
    EXPECT_EQ(n.x1, c.x1);
    EXPECT_EQ(n.y1, c.y1);
    EXPECT_EQ(n.s1, c.s1);
    EXPECT_EQ(n.x2, c.x2);
    EXPECT_EQ(n.y2, c.y2);
    EXPECT_EQ(n.s2, c.s2);
    // A corner split shares nothing: the joined length is the sum of the parts' lengths.
    const Tree t1 = flutes_LD(int(n.s1.size()), n.x1.data(), n.y1.data(), n.s1.data());
    const Tree t2 = flutes_MD(int(n.s2.size()), n.x2.data(), n.y2.data(), n.s2.data(), 3);
    const Tree t = flutes_MD(10, xs.data(), ys.data(), c.s.data(), 3);
    EXPECT_EQ(t.length, t1.length + t2.length);
    EXPECT_EQ(sortedTreeFault(t, 10, xs.data(), ys.data(), c.s.data()), "");
    EXPECT_EQ(flutes_wl_MD(10, xs.data(), ys.data(), c.s.data(), 3),
              flutes_wl_LD(int(n.s1.size()), n.x1.data(), n.y1.data(), n.s1.data()) +
                  flutes_wl_MD(int(n.s2.size()), n.x2.data(), n.y2.data(), n.s2.data(), 3));
  }
}

TEST(NetBreaking, BreakRangeFollowsDegreeAndAccuracy) {
  const struct {
    int d, acc, lb, ub;
  } kRanges[] = {{10, 3, 2, 7}, {149, 3, 36, 112}, {10, 1, 2, 7}, {30, 3, 6, 23}, {30, 20, 2, 27}, {149, 1, 37, 111}};
  std::mt19937 rng(5);
  for (const auto& c : kRanges) {
    SCOPED_TRACE(testing::Message() << c.d << " pins, accuracy " << c.acc);
    const RandomNet net = randomNet(rng, c.d, 1000);
    const std::vector<int> si = fluteBreaking::inverseRanks(c.d, net.s.data());
    const auto b = fluteBreaking::scoreBreaks(c.d, net.xs.data(), net.ys.data(), net.s.data(), si.data(), c.acc, false);
    EXPECT_EQ(b.lb, c.lb);
    EXPECT_EQ(b.ub, c.ub);
    EXPECT_EQ(int(b.value.size()), 2 * (c.ub - c.lb + 1));
  }
}

TEST(NetBreaking, TriesAndPartAccuracy) {
  const struct {
    int acc, count, tries, partAcc;
  } kTries[] = {{1, 12, 1, 1}, {3, 12, 3, 1}, {4, 12, 4, 2}, {11, 12, 11, 5}, {12, 12, 11, 6}, {40, 12, 11, 20}};
  for (const auto& c : kTries) {
    SCOPED_TRACE(testing::Message() << "accuracy " << c.acc);
    EXPECT_EQ(fluteBreaking::breakTries(c.acc, c.count), c.tries);
    EXPECT_EQ(fluteBreaking::partAccuracy(c.acc), c.partAcc);
  }
}

TEST(NetBreaking, EqualScoresAreTriedInListOrder) {
  // The x-rank break of an index (even entry) comes before the y-position break (odd entry).
  std::vector<float> value = {1.0f, 3.0f, 3.0f, 2.0f, 3.0f, -1.0f};
  std::vector<int> order;
  for (int k = 0; k < 6; ++k) order.push_back(fluteBreaking::takeBest(value));
  EXPECT_EQ(order, (std::vector<int>{1, 2, 4, 3, 0, 5}));
  EXPECT_EQ(value[1], -9e9f);
}

// With 10 or 11 pins the break range and the scores do not depend on the accuracy 1..3, so the
// first tries of accuracy 3 are those of accuracies 1 and 2. More tries never give a longer tree,
// and a later try replaces an earlier one only when strictly shorter: on equal lengths the tree
// must be the very one of the lower accuracy.
TEST(NetBreaking, LaterTriesWinOnlyWhenStrictlyShorter) {
  useSteinerTables();
  std::mt19937 rng(11);
  int equalCases = 0, improvedCases = 0;
  for (int k = 0; k < 300; ++k) {
    const int d = 10 + k % 2;
    const RandomNet net = randomNet(rng, d, k % 4 < 2 ? 8 : 100);
    Tree byAcc[4];
    for (int acc = 1; acc <= 3; ++acc) byAcc[acc] = flutes_MD(d, net.xs.data(), net.ys.data(), net.s.data(), acc);
    for (int acc = 2; acc <= 3; ++acc) {
      SCOPED_TRACE(testing::Message() << "net " << k << ", accuracy " << acc);
      const Tree& lower = byAcc[acc - 1];
      const Tree& t = byAcc[acc];
      ASSERT_LE(t.length, lower.length);
      if (t.length < lower.length) {
        ++improvedCases;
        continue;
      }
      ++equalCases;
      for (int i = 0; i < 2 * d - 2; ++i) {
        ASSERT_EQ(t.branch[i].x, lower.branch[i].x) << "branch " << i;
        ASSERT_EQ(t.branch[i].y, lower.branch[i].y) << "branch " << i;
        ASSERT_EQ(t.branch[i].n, lower.branch[i].n) << "branch " << i;
      }
    }
  }
  EXPECT_GT(equalCases, 0);
  EXPECT_GT(improvedCases, 0);
}

TEST(NetBreaking, AccuracyBelowOneTriesOneBreak) {
  useSteinerTables();
  std::mt19937 rng(3);
  for (int k = 0; k < 20; ++k) {
    const int d = 10 + k;
    const RandomNet net = randomNet(rng, d, 50);
    const Tree one = flutes_MD(d, net.xs.data(), net.ys.data(), net.s.data(), 1);
    for (const int acc : {0, -3}) {
      const Tree t = flutes_MD(d, net.xs.data(), net.ys.data(), net.s.data(), acc);
      EXPECT_EQ(sortedTreeFault(t, d, net.xs.data(), net.ys.data(), net.s.data()), "");
      EXPECT_EQ(t.length, one.length);
      EXPECT_EQ(flutes_wl_MD(d, net.xs.data(), net.ys.data(), net.s.data(), acc),
                flutes_wl_MD(d, net.xs.data(), net.ys.data(), net.s.data(), 1));
    }
  }
}

}  // namespace
