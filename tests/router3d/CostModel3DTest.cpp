// Layered capacities and prices: the curve's numbers as exact floats, the over-capacity rule,
// adjustments, and the whole-map rebuild under each mode.

#include <gtest/gtest.h>

#include "Router3DFixture.h"

namespace {

// One horizontal edge at (1, 1, 0) of a 4 x 4 x 2 grid; pitch 2 on layer 0.
struct PriceCase {
  const char* name;
  int mode, capacity, demand, viaCost, dir;
  float expected;
};

const PriceCase kPrices[] = {
    // r = 3/10 as a float, squared in double: 1000 * (0.09 * 0.025 + 1) rounds to 1002.25.
    {"below capacity, mode 0", 0, 9, 2, 1, 1, 1002.25f},
    // The same edge priced by the flatter curve: 1000 * (0.09 * 0.01 + 1) = 1000.9.
    {"below capacity, mode 2", 2, 9, 2, 1, 1, 1000.9f},
    {"full edge: next unit overflows", 0, 9, 9, 1, 1, 10000000.0f},
    {"four units past capacity", 0, 9, 12, 1, 1, 40000000.0f},
    {"capacity 0 never uses the curve", 0, 0, 0, 1, 1, 10000000.0f},
    // r = 1 / 10000001: 3000 * (1 + 2.5e-16) is 3000 in float.
    {"via with via cost 3", 0, 9, 0, 3, 2, 3000.0f},
    // Demand 9 of 10 on the vertical edge: r = 10/11 rounded to float, 1000 * (r^2 * 0.025 + 1)
    // = 1020.66115... in double, 1020.6611328125 as a float.
    {"last unit below capacity", 0, 10, 9, 1, 0, 1020.6611328125f},
    // 2 * 5000000 * 300 passes 2^31: priced in 64 bits, never a wrapped negative value.
    {"huge excess does not wrap", 0, 0, 299, 1, 1, 3000000000.0f},
};

TEST(LayeredPrice, FollowsTheCurveAndTheOverCapacityRule) {
  for (const PriceCase& c : kPrices) {
    SCOPED_TRACE(c.name);
    auto r = makeLayeredRouter(4, 4, {c.capacity, 0}, {c.capacity, 5}, {2, 3});
    r->costMode3D = c.mode;
    r->viaCost = c.viaCost;
    Point_i& u = r->grid.usage3D.at(0, 1, 1);
    (c.dir == 1 ? u.x : c.dir == 0 ? u.y : u.z) = c.demand;
    EXPECT_EQ(r->cost3D(1, 1, 0, c.dir), c.expected);
  }
}

TEST(LayeredPrice, PitchOfTheElementsLayerWeighsOverflow) {
  auto r = makeLayeredRouter(3, 3, {0, 4}, {4, 0}, {2, 7});
  r->grid.usage3D.at(1, 0, 0).x = 5;  // one past capacity 4 on layer 1
  EXPECT_EQ(r->cost3D(0, 0, 1, 1), 7.0f * 5000000.0f * 2.0f);
}

TEST(LayeredCapacity, AdjustmentsOverrideOnlyTheirMember) {
  const std::vector<RPoint> adj = {RPoint(1, 2, 0, 1), RPoint(2, 1, 1, 0), RPoint(1, 2, 0, 1), RPoint(9, 9, 0, 1)};
  const std::vector<int> caps = {3, 1, 2, 0};
  testing::internal::CaptureStdout();
  auto r = makeLayeredRouter(4, 4, {10, 0}, {0, 8}, {1, 1}, adj, caps);
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("ERROR GlobalRouter 3103"), std::string::npos) << "an adjustment outside the grid is reported";
  const auto& cap = r->grid.capacity3D;
  EXPECT_EQ(cap.at(0, 2, 1).x, 2) << "a later adjustment of the same edge wins";
  EXPECT_EQ(cap.at(0, 2, 1).y, 0);
  EXPECT_EQ(cap.at(0, 2, 1).z, 1000000000);
  EXPECT_EQ(cap.at(1, 1, 2).y, 1);
  EXPECT_EQ(cap.at(1, 1, 2).x, 0);
  EXPECT_EQ(cap.at(0, 0, 0).x, 10);
  EXPECT_EQ(cap.at(1, 3, 3).y, 8);
}

TEST(LayeredCostMap, RebuildUsesCostMode3DNotItsArgument) {
  auto r = makeLayeredRouter(3, 3, {9, 0}, {0, 9}, {1, 1});
  r->grid.usage3D.at(0, 1, 1).x = 2;
  r->costMode3D = 2;
  r->initialFunc_3Dmap(0);
  EXPECT_EQ(entryAt(*r, 1, 1, 0).x, 1000.9f);
  r->costMode3D = 0;
  r->initialFunc_3Dmap(2);
  EXPECT_EQ(entryAt(*r, 1, 1, 0).x, 1002.25f);
  // Layer 1 has no horizontal tracks: its horizontal edges are priced past capacity.
  EXPECT_EQ(entryAt(*r, 0, 0, 1).x, 5000000.0f);
}

TEST(LayeredCostMap, CheckReportsOnlyStaleEntries) {
  auto r = makeLayeredRouter(2, 2, {3, 3}, {3, 3}, {1, 1});
  testing::internal::CaptureStdout();
  r->check3DCost(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  r->grid.func_map[5].z = 1.0f;  // node (1, 0, 1)
  testing::internal::CaptureStdout();
  r->check3DCost(0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR GlobalRouter 706    func_map[5].z=1.000 cost=1000.000\n");
}

TEST(LayeredState, ResetEmptiesDemandAndTotalsButKeepsCapacities) {
  auto r = makeLayeredRouter(3, 3, {4, 0}, {0, 4}, {1, 1});
  r->grid.usage3D.at(1, 2, 2).z = 3;
  r->totalOF = 5, r->Wlen2D = 6, r->totalVia = 7;
  r->reset3DGraph();
  for (const Point_i& u : r->grid.usage3D.cells) EXPECT_TRUE(u.x == 0 && u.y == 0 && u.z == 0);
  EXPECT_EQ(r->totalOF + r->Wlen2D + r->totalVia, 0);
  EXPECT_EQ(r->grid.capacity3D.at(1, 0, 0).y, 4);
}

}  // namespace
