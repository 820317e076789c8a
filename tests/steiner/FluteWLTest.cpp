// Length-only estimation and the tree utilities.

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "steiner/flute.h"
#include "support/SteinerOracle.h"
#include "support/SteinerTreeChecks.h"

namespace {

TEST(FluteLengthOnly, SmallNetsMatchTheBuiltTree) {
  useSteinerTables();
  std::mt19937 rng(1);
  for (int k = 0; k < 400; ++k) {
    const int d = 2 + k % 8;
    const RandomNet net = randomNet(rng, d, k % 2 ? 5 : 500);
    SCOPED_TRACE(testing::Message() << "net " << k << " of " << d << " pins");
    const Tree t = flute(d, net.x.data(), net.y.data(), 3);
    EXPECT_EQ(flute_wl(d, net.x.data(), net.y.data(), 3), t.length);
    const Tree ld = flutes_LD(d, net.xs.data(), net.ys.data(), net.s.data());
    EXPECT_EQ(flutes_wl_LD(d, net.xs.data(), net.ys.data(), net.s.data()), ld.length);
  }
}

TEST(FluteLengthOnly, ThreePinsGiveTheHalfPerimeterInAnyOrder) {
  const int x[] = {7, 2, 4}, y[] = {1, 9, 3};
  const int orders[][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (const auto& o : orders) {
    const int px[] = {x[o[0]], x[o[1]], x[o[2]]}, py[] = {y[o[0]], y[o[1]], y[o[2]]};
    EXPECT_EQ(flute_wl(3, px, py, 3), 13);
  }
}

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

// Large nets: the estimate describes a real tree (never below the optimum or the half-perimeter)
// and stays close to the built tree.
TEST(FluteLengthOnly, LargeNetsAreRealisticEstimates) {
  useSteinerTables();
  std::mt19937 rng(4);
  long long estimated = 0, built = 0;
  for (int k = 0; k < 300; ++k) {
    const int d = 10 + int(rng() % 140);
    const RandomNet net = randomNet(rng, d, k % 2 ? 15 : 10000);
    const int wl = flutes_wl_MD(d, net.xs.data(), net.ys.data(), net.s.data(), 3);
    const int hp = (net.xs[d - 1] - net.xs[0]) + (net.ys[d - 1] - net.ys[0]);
    ASSERT_GE(wl, hp) << "net " << k;
    ASSERT_EQ(flute_wl(d, net.x.data(), net.y.data(), 3), wl) << "net " << k;
    estimated += wl, built += flute(d, net.x.data(), net.y.data(), 3).length;
  }
  std::printf("[ report   ] length-only %lld vs built trees %lld over 300 nets\n", estimated, built);
  EXPECT_LT(double(estimated), 1.05 * double(built));
}

// Duplicates at consecutive y positions are removed; the smaller x rank stays.
TEST(FluteDuplicates, RepeatedPinsAreRemovedBeforeBuilding) {
  useSteinerTables();
  // Pins in y order: (5,0) (5,0) (1,2) (8,2) (8,2) (8,2) (3,4): x ranks 1 2 0 4 5 6 3
  // (x list 1 3 5 5 8 8 8; equal x values are ranked in their sorted order).
  int xs[] = {1, 3, 5, 5, 8, 8, 8}, ys[] = {0, 0, 2, 2, 2, 2, 4}, s[] = {2, 3, 0, 4, 5, 6, 1};
  int xs2[7], ys2[7], s2[7];
  std::copy(xs, xs + 7, xs2), std::copy(ys, ys + 7, ys2), std::copy(s, s + 7, s2);
  const Tree t = flutes_RDP(7, xs, ys, s, 3);
  // Left: (5,0) (1,2) (8,2) (3,4); x list 1 3 5 8.
  ASSERT_EQ(t.deg, 4);
  const int wantXs[] = {1, 3, 5, 8}, wantYs[] = {0, 2, 2, 4}, wantS[] = {2, 0, 3, 1};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(xs[i], wantXs[i]) << i;
    EXPECT_EQ(ys[i], wantYs[i]) << i;
    EXPECT_EQ(s[i], wantS[i]) << i;
  }
  EXPECT_EQ(sortedTreeFault(t, 4, wantXs, wantYs, wantS), "");
  const int px[] = {5, 1, 8, 3}, py[] = {0, 2, 2, 4};
  EXPECT_EQ(t.length, exactSteinerLength(4, px, py));
  EXPECT_EQ(flutes_wl_RDP(7, xs2, ys2, s2, 3), t.length);
}

TEST(FluteDuplicates, AllPinsOnOneSpotLeaveNothingToConnect) {
  int xs[] = {4, 4, 4}, ys[] = {6, 6, 6}, s[] = {0, 1, 2};
  const Tree t = flutes_RDP(3, xs, ys, s, 3);
  EXPECT_EQ(t.deg, 1);
  EXPECT_EQ(t.length, 0);
  int xs2[] = {4, 4, 4}, ys2[] = {6, 6, 6}, s2[] = {2, 0, 1};
  EXPECT_EQ(flutes_wl_RDP(3, xs2, ys2, s2, 3), 0);
}

TEST(FluteDuplicates, LargeNetsWithRepeatsStayWellFormed) {
  useSteinerTables();
  std::mt19937 rng(21);
  for (int k = 0; k < 100; ++k) {
    const int d = 10 + int(rng() % 60);
    RandomNet net = randomNet(rng, d, 4);
    const Tree t = flutes_RDP(d, net.xs.data(), net.ys.data(), net.s.data(), 3);
    ASSERT_GE(t.deg, 2);
    ASSERT_LE(t.deg, d);
    for (int i = 0; i + 1 < t.deg; ++i) {
      ASSERT_FALSE(net.ys[i] == net.ys[i + 1] && net.xs[net.s[i]] == net.xs[net.s[i + 1]]) << "repeat left at " << i;
    }
    ASSERT_EQ(sortedTreeFault(t, t.deg, net.xs.data(), net.ys.data(), net.s.data()), "");
  }
}

// Re-optimising a neighbourhood keeps a valid tree whose length field stays exact and, with
// optimal small trees, never grows.
TEST(FluteLocalRefinement, KeepsTheTreeValidAndNeverLonger) {
  useSteinerTables();
  std::mt19937 rng(9);
  int changed = 0;
  for (int k = 0; k < 200; ++k) {
    const int d = 10 + int(rng() % 40);
    const RandomNet net = randomNet(rng, d, k % 2 ? 10 : 1000);
    Tree t = flute(d, net.x.data(), net.y.data(), 3);
    const int before = t.length;
    const int p = int(rng() % unsigned(d));
    local_refinement(t, p);
    ASSERT_EQ(sortedTreeFault(t, d, net.xs.data(), net.ys.data(), net.s.data()), "") << "net " << k;
    ASSERT_LE(t.length, before) << "net " << k;
    changed += t.length < before;
  }
  std::printf("[ report   ] local refinement shortened %d of 200 trees\n", changed);
}

std::unique_ptr<Branch[]> branches(std::initializer_list<Branch> list) {
  auto b = std::make_unique<Branch[]>(list.size());
  std::copy(list.begin(), list.end(), b.get());
  return b;
}

// Three pins around the Steiner point (2,2), one pin far out (12345 needs more than four places).
Tree sampleTree() {
  Tree t;
  t.deg = 3;
  t.length = 3 + 3 + 12343 + 2;
  t.branch = branches({{0, 2, 3}, {2, 5, 3}, {12345, 0, 3}, {2, 2, 3}});
  return t;
}

TEST(FluteTreeUtilities, WirelengthSumsEveryLink) {
  const Tree t = sampleTree();
  EXPECT_EQ(wirelength(t), 2 + 3 + 12345);
  Tree two;
  two.deg = 2;
  two.branch = branches({{1, 1, 1}, {4, -3, 1}});
  EXPECT_EQ(wirelength(two), 7);
}

TEST(FluteTreeUtilities, PrintersWriteTheFixedLayouts) {
  const Tree t = sampleTree();
  testing::internal::CaptureStdout();
  plottree(t);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "0 2\n2 2\n\n2 5\n2 2\n\n12345 0\n2 2\n\n2 2\n2 2\n\n");
  testing::internal::CaptureStdout();
  printtree(t);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            " 0 :  x=   0  y=   2  e=3\n"
            " 1 :  x=   2  y=   5  e=3\n"
            " 2 :  x=12345  y=   0  e=3\n"
            "s3 :  x=   2  y=   2  e=3\n"
            "\n");
}

}  // namespace
