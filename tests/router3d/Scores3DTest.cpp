// The layered map check and the layered path statistics on small hand-made grids; every
// expected price is worked out from the price rule by hand.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/NetDB.h"
#include "router3d/Router3DFixture.h"

namespace {

std::unique_ptr<GlobalRouter> quietLayered(int xs, int ys, std::vector<int> h, std::vector<int> v,
                                           std::vector<int> pitch) {
  testing::internal::CaptureStdout();
  auto r = makeLayeredRouter(xs, ys, std::move(h), std::move(v), std::move(pitch));
  testing::internal::GetCapturedStdout();
  return r;
}

// A fresh map checks clean. Changed members are reported node by node, x outermost and layer
// innermost, with the recomputed price: node (1,1,0) horizontal at demand 2 of 9 costs
// 1000 * (0.3^2 * 0.025 + 1) = 1002.25; node (2,0,1) vertical at demand 9 of 9 costs
// pitch 2 * 5000000 * 1; node (0,2,0) via at demand 0 costs 1000 * viaCost 3.
TEST(LayeredMapCheck, ReportsChangedEntriesInNodeOrder) {
  auto r = quietLayered(3, 3, {9, 9}, {9, 9}, {2, 2});
  r->viaCost = 3;
  r->grid.usage3D.at(0, 1, 1).x = 2;
  r->grid.usage3D.at(1, 0, 2).y = 9;
  r->initialFunc_3Dmap(0);
  testing::internal::CaptureStdout();
  r->check3DCost(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  r->grid.func_map[4].x = 5.0f;   // node (1,1,0)
  r->grid.func_map[11].y = 5.0f;  // node (2,0,1)
  r->grid.func_map[6].z = 5.0f;   // node (0,2,0)
  testing::internal::CaptureStdout();
  r->check3DCost(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR GlobalRouter 706    func_map[6].z=5.000 cost=3000.000\n"
            "ERROR GlobalRouter 698    func_map[4].x=5.000 cost=1002.250\n"
            "ERROR GlobalRouter 702    func_map[11].y=5.000 cost=10000000.000\n");
  EXPECT_EQ(r->grid.func_map[4].x, 5.0f) << "the check changes nothing";

  // A demand changed behind the map's back is noticed too: the entry of node (0,2,1) still
  // holds the price at demand 0 (r = 0.1: 1000.25), now 12 of 9 at pitch 2 costs 40000000.
  r->grid.func_map[4].x = 1002.25f, r->grid.func_map[11].y = 10000000.0f, r->grid.func_map[6].z = 3000.0f;
  r->grid.usage3D.at(1, 2, 0).x = 12;
  testing::internal::CaptureStdout();
  r->check3DCost(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR GlobalRouter 698    func_map[15].x=1000.250 cost=40000000.000\n");
}

// Statistics of a layered path from p1 on layer 1 to p2 on layer 2, vias skipped: wire units
// on layers 1, 1, 0 change layer 0 + 0 + 1 times, then 2 to reach p2. Horizontal demand 6 of 2
// overflows by 4, vertical 2 of 1 by 1.
TEST(LayeredPathStatistics, CountsDemandOverflowAndLayerChanges) {
  auto r = quietLayered(4, 3, {2, 2, 2}, {1, 1, 1}, {1, 1, 1});
  r->grid.usage3D.at(1, 0, 0).x = 6;
  r->grid.usage3D.at(1, 0, 1).x = 1;
  r->grid.usage3D.at(0, 0, 2).y = 2;
  r->grid.usage3D.at(0, 0, 0).z = 50;  // a via's demand is not read
  TwoPin t(Point(0, 0, 1), Point(2, 1, 2), 0);
  TwoPin* tp = &t;
  int maxUsage = -1, overflow = -1, changes = -1, wires = -1;
  EXPECT_EQ(r->get3DScore(maxUsage, overflow, changes, wires, tp), 1) << "empty path: p1 to p2 layers";
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(maxUsage + overflow + wires, 0);
  t.path = {RPoint(0, 0, 1, 2), RPoint(0, 0, 1, 1), RPoint(1, 0, 1, 1), RPoint(2, 0, 0, 2), RPoint(2, 0, 0, 0)};
  EXPECT_EQ(r->get3DScore(maxUsage, overflow, changes, wires, tp), 2);
  EXPECT_EQ(maxUsage, 6);
  EXPECT_EQ(overflow, 5);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(wires, 3);
}

// The score sums the member named by each unit at index x + y * xNum + z * xNum * yNum and
// clears the overflow. Entry i holds {i, 10i, 100i}: 13 + 60 + 2300.
TEST(LayeredPathScore, SumsTheMapMemberOfEachUnit) {
  auto r = quietLayered(4, 3, {2, 2}, {2, 2}, {1, 1});
  for (std::size_t i = 0; i < r->grid.func_map.size(); ++i)
    r->grid.func_map[i] = CostEntry{float(i), 10.0f * i, 100.0f * i};
  Net net;
  net.twoPins.emplace_back(Point(0, 0), Point(1, 1), 0);
  TwoPin& t = net.twoPins[0];
  t.overflow = 3;
  EXPECT_EQ(r->PathScore3D(&t, net), 0.0f);
  t.path = {RPoint(1, 0, 1, 1), RPoint(2, 1, 0, 0), RPoint(3, 2, 1, 2)};
  t.overflow = 3;
  EXPECT_EQ(r->PathScore3D(&t, net), 2373.0f);
  EXPECT_EQ(t.overflow, 0);
  // The planar score reads the planar map on layer 0 and the layered map above it.
  r->grid.func_2Dmap[1].x = 0.5f;
  t.path = {RPoint(1, 0, 1, 1), RPoint(1, 0, 0, 1)};
  EXPECT_EQ(r->PathScore(&t, net), 13.5f);
}

}  // namespace
