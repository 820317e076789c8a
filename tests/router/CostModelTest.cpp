#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/RouterOracle.h"

namespace {

using ::testing::HasSubstr;

std::string quietly(const std::function<void()>& f) {
  testing::internal::CaptureStdout();
  f();
  return testing::internal::GetCapturedStdout();
}

std::unique_ptr<GlobalRouter> router(int hCap, int vCap, int xs = 5, int ys = 4) {
  std::unique_ptr<GlobalRouter> r;
  quietly([&] { r = makePlainRouter(xs, ys, hCap, vCap); });
  r->baseCost = 10.0f;
  return r;
}

TEST(CostTable, LogisticCurveCentredAtMaxCapacity) {
  const struct {
    const char* name;
    float height;
    double slope;
    int index;
    float expected;
    float tolerance;
  } kCases[] = {
      {"centre is height / 2 + 1", 200.0f, 0.3, 20, 101.0f, 0.0f},
      {"far below the centre approaches 1", 200.0f, 0.3, 0, 1.4945f, 0.0001f},
      {"far above the centre is height + 1", 200.0f, 0.3, 999, 201.0f, 0.0f},
      {"maze settings centre", 150.0f, 0.5, 20, 76.0f, 0.0f},
      {"maze settings top", 150.0f, 0.5, 999, 151.0f, 0.0f},
  };
  auto r = router(20, 12);  // maxCapacity 20
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    r->costHeight = c.height;
    r->costSlope = c.slope;
    r->initialCostArray();
    if (c.tolerance == 0.0f)
      EXPECT_EQ(r->costArray[c.index], c.expected);
    else
      EXPECT_NEAR(r->costArray[c.index], c.expected, c.tolerance);
  }
}

// DPCost of a single-connection net is rule 1: (d / c + s) * w in single precision.
TEST(CostTerm, TableIndexFollowsDirectionCapacityAndStaysOnTheTable) {
  const Net single = makeNet(1);
  const struct {
    const char* name;
    int hCap, vCap;
    bool hori;
    int demand;
    float divisor;  // the capacity the rule divides by
    int entry;      // table entry expected, -1 for the off-table term
  } kCases[] = {
      {"vertical edge below the larger capacity shifts the index", 30, 10, false, 4, 10.0f, 24},
      {"horizontal edge at the larger capacity reads its demand", 30, 10, true, 4, 30.0f, 4},
      {"demand 990 still reads the table", 10, 10, true, 990, 10.0f, 990},
      {"demand 991 leaves the table", 10, 10, true, 991, 10.0f, -1},
      {"shifted index past the end reads the last entry", 30, 10, false, 990, 10.0f, 999},
      {"negative pre-load reads the first entry", 30, 10, true, -5, 30.0f, 0},
      {"zero capacity divides by one", 8, 0, false, 3, 1.0f, 11},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto r = router(c.hCap, c.vCap);
    (c.hori ? r->grid.hUsage[1][1] : r->grid.vUsage[1][1]) = c.demand;
    const float s = c.entry >= 0 ? r->costArray[c.entry] : float(c.demand) + r->costArray[999];
    const float expected = (float(c.demand) / c.divisor + s) * 10.0f;
    EXPECT_EQ(r->DPCost(1, 1, c.hori, single), expected);
  }
}

TEST(CostTerm, HardOverflowRule) {
  const Net single = makeNet(1);
  auto r = router(10, 6);
  r->hardOverflowCost = true;
  r->vHistory[2][1] = 20;
  r->grid.vUsage[2][1] = 6;  // at capacity
  EXPECT_EQ(r->DPCost(2, 1, false, single), 5000002.0f);
  r->grid.vUsage[2][1] = 8;  // two above: three units of five million
  EXPECT_EQ(r->DPCost(2, 1, false, single), 15000002.0f);
  r->grid.vUsage[2][1] = 3;  // below: w * (d / c + 1)
  EXPECT_EQ(r->DPCost(2, 1, false, single), 15.0f);
  r->grid.func_2Dmap[r->grid.mapIndex(2, 1)].y = -1.0f;
  r->stage = 2;
  r->update2DmapCost(2, 1, 0);  // rule 2 under the hard rule too
  EXPECT_EQ(r->grid.func_2Dmap[r->grid.mapIndex(2, 1)].y, 15.0f);
}

TEST(CostMap, RulesOfTheThreeModes) {
  auto r = router(10, 8);
  r->grid.hUsage[1][2] = 7;
  r->hHistory[1][2] = 7;
  r->costOffset = 20.0f;
  r->historyPow = 1.8;
  r->historyBase = 50.0f;
  r->via_cost = 3.5f;
  const std::size_t k = r->grid.mapIndex(1, 2);
  const float s = r->costArray[7];  // M - c + d = 10 - 10 + 7

  r->initialFunc_2Dmap(0);
  EXPECT_EQ(r->grid.func_2Dmap[k].x, 7.0f + 30.0f);
  EXPECT_EQ(r->grid.func_2Dmap[k].x, r->PatternCost(1, 2, 1, makeNet(1)));
  EXPECT_EQ(r->grid.func_2Dmap[k].z, 3.5f);

  r->initialFunc_2Dmap(1);
  EXPECT_EQ(r->grid.func_2Dmap[k].x, (7.0f / 10.0f + s) * 10.0f);

  r->initialFunc_2Dmap(2);
  EXPECT_EQ(r->grid.func_2Dmap[k].x, s * 10.0f + 20.0f);

  r->historyOn = true;
  r->initialFunc_2Dmap(2);
  const double withHistory = 20.0 + 10.0 * (double(s) * (std::pow(7.0, 1.8) / 50.0 + 1.0));
  EXPECT_EQ(r->grid.func_2Dmap[k].x, float(withHistory));
}

TEST(CostMap, EntriesOfMissingEdgesAreNeverWritten) {
  auto r = router(10, 8, 3, 2);
  for (CostEntry& e : r->grid.func_2Dmap) e = CostEntry{-7.0f, -7.0f, -7.0f};
  r->initialFunc_2Dmap(1);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y) {
      const CostEntry& e = r->grid.func_2Dmap[r->grid.mapIndex(x, y)];
      EXPECT_EQ(e.x == -7.0f, x == 2) << x << "," << y;
      EXPECT_EQ(e.y == -7.0f, y == 1) << x << "," << y;
      EXPECT_EQ(e.z, r->via_cost);
    }
}

TEST(CostMap, BadModeOrStageReportsAndChangesNothing) {
  auto r = router(10, 8);
  r->initialFunc_2Dmap(1);
  const std::vector<CostEntry> before = r->grid.func_2Dmap;
  auto same = [&] {
    for (std::size_t i = 0; i < before.size(); ++i)
      if (before[i].x != r->grid.func_2Dmap[i].x || before[i].y != r->grid.func_2Dmap[i].y ||
          before[i].z != r->grid.func_2Dmap[i].z)
        return false;
    return true;
  };
  r->grid.hUsage[0][0] = 9;  // a rebuild would change the map
  EXPECT_EQ(quietly([&] { r->initialFunc_2Dmap(3); }), "ERORR GlobalRouter  148\n");
  EXPECT_TRUE(same());
  r->stage = 0;
  EXPECT_EQ(quietly([&] { r->update2DmapCost(0, 0, 1); }), "ERROR GlobalRouter 2014\n");
  EXPECT_EQ(quietly([&] { r->update2DmapCost(0, 0, 0); }), "ERROR GlobalRouter 2018\n");
  EXPECT_EQ(quietly([&] { r->update2DmapCost(1, 2, 5); }), "ERROR GlobalRouter  2024 -  x=1  y=2  hori=5\n");
  EXPECT_TRUE(same());
  // The bend entry follows via_cost in any stage.
  r->via_cost = 42.0f;
  EXPECT_EQ(quietly([&] { r->update2DmapCost(1, 2, 2); }), "");
  EXPECT_EQ(r->grid.func_2Dmap[r->grid.mapIndex(1, 2)].z, 42.0f);
}

TEST(DirectPrices, PatternCostByNetEdgeSets) {
  auto r = router(10, 8);
  r->grid.hUsage[1][1] = 4;
  Net multi = makeNet(2);
  multi.routedEdges.insert(RPoint(1, 1, 0, 1));
  multi.steinerEdges.insert(RPoint(2, 1, 0, 1));
  r->grid.hUsage[2][1] = 6;
  EXPECT_EQ(r->PatternCost(1, 1, 1, multi), 0.0f);          // already used by the net
  EXPECT_EQ(r->PatternCost(2, 1, 1, multi), 6.0f + 10.0f);  // preferred Steiner edge
  EXPECT_EQ(r->PatternCost(3, 1, 1, multi), 30.0f);         // plain
  EXPECT_EQ(r->PatternCost(1, 1, 0, multi), 30.0f);         // same tile, vertical edge: another key
  Net single = makeNet(1);
  single.routedEdges.insert(RPoint(1, 1, 0, 1));  // a single connection's sets are not read
  EXPECT_EQ(r->PatternCost(1, 1, 1, single), 4.0f + 30.0f);
}

TEST(DirectPrices, DPCostSteinerDiscountOnlyWhileEnabled) {
  auto r = router(10, 8);
  Net multi = makeNet(3);
  multi.steinerEdges.insert(RPoint(0, 2, 0, 0));
  multi.routedEdges.insert(RPoint(1, 2, 0, 0));
  r->grid.vUsage[0][2] = 5;
  r->grid.vUsage[1][2] = 5;
  const float s = r->costArray[10 - 8 + 5];
  EXPECT_EQ(r->DPCost(0, 2, false, multi), float(10.0 * (double(s) + 5.0 * 0.5 / 8.0)));
  EXPECT_EQ(r->DPCost(1, 2, false, multi), 0.0f);
  r->useSteinerEdges = false;
  EXPECT_EQ(r->DPCost(0, 2, false, multi), (5.0f / 8.0f + s) * 10.0f);
}

TEST(CostMap, CheckCostFindsStaleEntries) {
  auto r = router(10, 8, 3, 3);
  r->costOffset = 5.0f;
  r->initialFunc_2Dmap(2);
  EXPECT_EQ(quietly([&] { r->checkCost(2); }), "");
  EXPECT_EQ(quietly([&] { r->checkCost(3); }), "");  // mode 3 checks rule 2 as well
  r->grid.hUsage[1][2] = 12;                         // index 1 + 2 * 3 = 7
  const std::string out = quietly([&] { r->checkCost(2); });
  EXPECT_THAT(out, HasSubstr("ERROR GlobalRouter 672    func_2Dmap[7].x="));
  r->via_cost = 2.0f;
  EXPECT_THAT(quietly([&] { r->checkCost(2); }),
              HasSubstr("ERROR GlobalRouter 684    func_2Dmap[0].z=1.00 via_cost=2.00\n"));
}

}  // namespace
