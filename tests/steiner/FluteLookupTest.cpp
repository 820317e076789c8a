// Entry cases of flute, the group lookup with its mirroring and exchange rules, and the selection
// among a group's solutions.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>
#include <vector>

#include "ExactRsmt.h"
#include "LutTestSupport.h"
#include "steiner/flute.h"

namespace {

TEST(FluteEntry, TwoPinsKeepTheCallersOrder) {
  const int x[] = {9, 2}, y[] = {1, 7};
  const Tree t = flute(2, x, y, 3);
  ASSERT_EQ(t.deg, 2);
  EXPECT_EQ(t.length, 7 + 6);
  EXPECT_EQ(t.branch[0].x, 9);
  EXPECT_EQ(t.branch[0].y, 1);
  EXPECT_EQ(t.branch[1].x, 2);
  EXPECT_EQ(t.branch[1].y, 7);
  EXPECT_EQ(t.branch[0].n, 1);
  EXPECT_EQ(t.branch[1].n, 1);
}

TEST(FluteEntry, ThreePinsMeetAtTheMedian) {
  const int x[] = {5, 1, 3}, y[] = {0, 8, 2};
  const Tree t = flute(3, x, y, 3);
  ASSERT_EQ(t.deg, 3);
  EXPECT_EQ(t.length, 4 + 8);
  // Pins in ascending y order, then the Steiner point at (median x, median y).
  const int wantX[] = {5, 3, 1, 3}, wantY[] = {0, 2, 8, 2};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t.branch[i].x, wantX[i]) << i;
    EXPECT_EQ(t.branch[i].y, wantY[i]) << i;
    EXPECT_EQ(t.branch[i].n, 3) << i;
  }
}

TEST(FluteEntry, FewerThanTwoPinsGiveAnEmptyTree) {
  const int x[] = {4}, y[] = {4};
  for (const int d : {0, 1}) {
    const Tree t = flute(d, x, y, 3);
    EXPECT_EQ(t.deg, 0);
    EXPECT_EQ(t.length, 0);
    EXPECT_EQ(t.branch, nullptr);
  }
}

TEST(FluteEntry, EqualCoordinatesFollowTheSelectionSortOrder) {
  // x sort of (8,5)(0,5)(1,3)(1,5): -> (0,5)(8,5)(1,3)(1,5) -> (0,5)(1,3)(8,5)(1,5)
  // -> (0,5)(1,3)(1,5)(8,5), ranks 0..3. y sort: -> (1,3)(0,5)(1,5)(8,5), then no strictly smaller
  // y is found, so the three pins of row 5 keep their x order.
  const int x[] = {8, 0, 1, 1}, y[] = {5, 5, 3, 5};
  lut_test::useBuiltTables();
  const Tree t = flute(4, x, y, 3);
  const int wantX[] = {1, 0, 1, 8}, wantY[] = {3, 5, 5, 5};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(t.branch[i].x, wantX[i]) << i;
    EXPECT_EQ(t.branch[i].y, wantY[i]) << i;
  }
  EXPECT_EQ(t.length, exact_rsmt::rsmtLength(4, x, y));
}

// Sorted form of a net, as flute builds it (no equal coordinates in these tests).
struct Sorted {
  int xs[9], ys[9], s[9];
};
Sorted sortedForm(int d, const int* x, const int* y) {
  std::vector<int> byY(d);
  std::iota(byY.begin(), byY.end(), 0);
  std::sort(byY.begin(), byY.end(), [&](int a, int b) { return y[a] < y[b]; });
  Sorted f{};
  std::vector<int> xsv(x, x + d);
  std::sort(xsv.begin(), xsv.end());
  for (int i = 0; i < d; ++i) {
    f.xs[i] = xsv[i];
    f.ys[i] = y[byY[i]];
    f.s[i] = int(std::lower_bound(xsv.begin(), xsv.end(), x[byY[i]]) - xsv.begin());
  }
  return f;
}

// A random net with all x distinct and all y distinct.
void distinctNet(std::mt19937& rng, int d, int* x, int* y) {
  std::vector<int> xv(40), yv(40);
  std::iota(xv.begin(), xv.end(), 0);
  std::iota(yv.begin(), yv.end(), 0);
  std::shuffle(xv.begin(), xv.end(), rng);
  std::shuffle(yv.begin(), yv.end(), rng);
  for (int i = 0; i < d; ++i) x[i] = xv[i] * 7 + int(rng() % 5), y[i] = yv[i] * 7 + int(rng() % 5);
}

TEST(FluteLookup, MirrorImageSelectsTheSameGroupAndSolution) {
  lut_test::useBuiltTables();
  std::mt19937 rng(11);
  for (int d = 4; d <= 9; ++d) {
    for (int net = 0; net < 300; ++net) {
      int x[9], y[9], mx[9];
      distinctNet(rng, d, x, y);
      for (int i = 0; i < d; ++i) mx[i] = 1000 - x[i];
      const Sorted a = sortedForm(d, x, y), b = sortedForm(d, mx, y);
      const LutQuery qa = lutQuery(d, a.xs, a.ys, a.s), qb = lutQuery(d, b.xs, b.ys, b.s);
      ASSERT_EQ(qa.k, qb.k);
      ASSERT_NE(qa.mirrored, qb.mirrored);
      ASSERT_LT(qa.k, numgrp[d]);
      int la = 0, lb = 0;
      EXPECT_EQ(lutBestSolution(d, qa, &la), lutBestSolution(d, qb, &lb));
      EXPECT_EQ(la, lb);
      EXPECT_EQ(flute(d, x, y, 3).length, flute(d, mx, y, 3).length);
    }
  }
}

TEST(FluteLookup, BottomAndTopPairsExchangeTheirNeighbours) {
  lut_test::useBuiltTables();
  std::mt19937 rng(5);
  for (int d = 4; d <= 9; ++d) {
    for (int net = 0; net < 200; ++net) {
      int x[9], y[9];
      distinctNet(rng, d, x, y);
      std::vector<int> byY(d);
      std::iota(byY.begin(), byY.end(), 0);
      std::sort(byY.begin(), byY.end(), [&](int a, int b) { return y[a] < y[b]; });
      // Swapping the columns of the two lowest pins (or the two highest) keeps the group, the gaps
      // and hence the chosen solution: the pin with the larger x must keep its Steiner neighbour.
      for (const int first : {0, d - 2}) {
        int sx[9];
        std::copy(x, x + d, sx);
        std::swap(sx[byY[first]], sx[byY[first + 1]]);
        const Sorted fa = sortedForm(d, x, y), fb = sortedForm(d, sx, y);
        const LutQuery qa = lutQuery(d, fa.xs, fa.ys, fa.s), qb = lutQuery(d, fb.xs, fb.ys, fb.s);
        if (first == 0) {
          ASSERT_EQ(qa.k, qb.k);
        }
        // The top pair's groups differ but share their data unless one of them is mirrored.
        if (qa.mirrored != qb.mirrored) continue;
        ASSERT_EQ(LUT[d][qa.k], LUT[d][qb.k]);
        const Tree a = flute(d, x, y, 3), b = flute(d, sx, y, 3);
        const bool firstIsLarger = x[byY[first]] > x[byY[first + 1]];
        const int largerInA = firstIsLarger ? first : first + 1;
        const int largerInB = firstIsLarger ? first + 1 : first;
        EXPECT_EQ(a.branch[largerInA].n, b.branch[largerInB].n) << "degree " << d << ", pair " << first;
        EXPECT_EQ(a.branch[2 * first + 1 - largerInA].n, b.branch[2 * first + 1 - largerInB].n);
        EXPECT_EQ(a.length, b.length);
      }
    }
  }
}

TEST(FluteLookup, NetNeedingTenExtraCrossingsOnAUnitGrid) {
  // t = 8 4 2 1 7 3 6 0 5: the pins (t[i], i); the first solution of its group adds ten gaps.
  lut_test::useBuiltTables();
  const int x[] = {8, 4, 2, 1, 7, 3, 6, 0, 5}, y[] = {0, 1, 2, 3, 4, 5, 6, 7, 8};
  const Tree t = flute(9, x, y, 3);
  EXPECT_EQ(t.length, 16 + 10);
  EXPECT_EQ(exact_rsmt::rsmtLength(9, x, y), 16 + 10);
  const Sorted f = sortedForm(9, x, y);
  const LutQuery q = lutQuery(9, f.xs, f.ys, f.s);
  const LutSolution& first = LUT[9][q.k][0];
  int adds = 0;
  while (adds < 11 && first.seg[adds] != 0) ++adds;
  EXPECT_EQ(adds, 10);
}

// Group 0 of degree 4 is the net whose x falls as y rises: pins (3,0) (2,1) (1,2) (0,3) in ranks.
// Its hand-made solutions: 1 = base + row gap 1 with both Steiner points in row/column 1; 2 =
// solution 1 + column gap 4 - row gap 1 (base + column gap 4) with both points at row/column 2.
TEST(FluteLookup, FirstOfEquallyShortSolutionsWins) {
  lut_test::TempDir dir;
  lut_test::HandTables tables;
  tables.pow[4][0] = "2\n0100\n14010\n";
  tables.post[4] = lut_test::HandTables::topology(4) + lut_test::HandTables::topology(4, {}, 0x22);
  tables.writeTo(dir.path());
  lut_test::loadTablesFrom(dir.path());
  const struct {
    const char* name;
    int secondColumn;  // xs[2]; xs[1] = 10, ys = 0 10 20 30, so row gap 1 is 10
    int wantLength;
    int wantSteinerRow;
  } kCases[] = {{"equal lengths keep the first", 20, 60 + 10, 10},
                {"shorter second solution wins", 15, 60 + 5, 20},
                {"longer second solution loses", 25, 60 + 10, 10}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const int x[] = {30, c.secondColumn, 10, 0}, y[] = {0, 10, 20, 30};
    const Tree t = flute(4, x, y, 3);
    EXPECT_EQ(t.length, c.wantLength);
    EXPECT_EQ(t.branch[4].y, c.wantSteinerRow);
    EXPECT_EQ(t.branch[5].y, c.wantSteinerRow);
  }
}

}  // namespace
