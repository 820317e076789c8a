// Path printing and scoring, demand adjustment, and the demand accessor's coordinate checks.

#include <gtest/gtest.h>

#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/RouterOracle.h"

namespace {

TEST(PathPrinting, OneLinePerUnitInPathOrder) {
  auto r = quietRouter(3, 3, 2, 2);
  testing::internal::CaptureStdout();
  r->showPath({RPoint(2, 1, 0, 0), RPoint(0, 0, 0, 1), RPoint(1, 2, 0, 2)});
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "x=2 y=1 z=0 hori=0\nx=0 y=0 z=0 hori=1\nx=1 y=2 z=0 hori=2\n");
}

// The score sums the map member named by each unit (x horizontal, y vertical, z bend) at tile
// index y * xNum + x, and clears the connection's overflow. Entry k holds {k, 10k, 100k}:
// (1,0) horizontal reads 1, (2,1) vertical 50, (0,2) bend 600.
TEST(PathScoring, SumsTheMapMemberOfEachUnit) {
  auto r = quietRouter(3, 3, 2, 2);
  for (int k = 0; k < 9; ++k) r->grid.func_2Dmap[k] = CostEntry{float(k), 10.0f * k, 100.0f * k};
  Net net = makeNet(1);
  TwoPin& t = net.twoPins[0];
  t.overflow = 7;
  EXPECT_EQ(r->PathScore(&t, net), 0.0f);
  EXPECT_EQ(t.overflow, 0);
  t.path = {RPoint(1, 0, 0, 1), RPoint(2, 1, 0, 0), RPoint(0, 2, 0, 2)};
  t.overflow = 7;
  EXPECT_EQ(r->PathScore(&t, net), 651.0f);
  EXPECT_EQ(t.overflow, 0);
  // A unit off the grid (one column or row past it) adds nothing and is reported.
  t.path = {RPoint(3, 0, 0, 1), RPoint(0, 3, 0, 0), RPoint(1, 0, 0, 1)};
  testing::internal::CaptureStdout();
  EXPECT_EQ(r->PathScore(&t, net), 1.0f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR GlobalRouter 610 unit (3,0,0) hori=1\nERROR GlobalRouter 610 unit (0,3,0) hori=0\n");
}

// An adjustment adds to one edge's demand in its direction and to no total.
TEST(DemandAdjustment, AddsToOneEdgeOnly) {
  auto r = quietRouter(3, 3, 2, 2);
  r->addAdjustment(1, 2, 3, true);
  r->addAdjustment(2, 0, 4, false);
  r->addAdjustment(2, 0, -1, false);
  int sum = 0;
  for (int x = 0; x < 2; ++x)
    for (int y = 0; y < 3; ++y) sum += r->grid.hUsage[x][y];
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y) sum += r->grid.vUsage[x][y];
  EXPECT_EQ(r->grid.hUsage[1][2], 3);
  EXPECT_EQ(r->grid.vUsage[2][0], 3);
  EXPECT_EQ(sum, 6);
  EXPECT_EQ(r->totalOF, 0);
  EXPECT_EQ(r->Wlen2D, 0);
}

// Reading the demand of a tile outside the grid ends the process with the failed check: the
// column is checked first (276), then the row (277).
TEST(PlanarDemandAccessorDeathTest, ColumnOutsideTheGridAborts) {
  auto r = quietRouter(4, 3, 2, 2);
  EXPECT_DEATH(r->grid.getCost(-1, 1, true), "GridGraph:276: getCost: Assertion");
  EXPECT_DEATH(r->grid.getCost(4, 0, false), "GridGraph:276: getCost: Assertion");
  EXPECT_DEATH(r->grid.getCost(5, 7, true), "GridGraph:276: getCost: Assertion");
  GridGraph::checkEdge(2, 2, true, 4, 3);  // an existing edge passes
}

TEST(PlanarDemandAccessorDeathTest, RowOutsideTheGridAborts) {
  auto r = quietRouter(4, 3, 2, 2);
  EXPECT_DEATH(r->grid.getCost(1, 3, true), "GridGraph:277: getCost: Assertion");
  EXPECT_DEATH(r->grid.getCost(3, -1, false), "GridGraph:277: getCost: Assertion");
  GridGraph::checkEdge(3, 1, false, 4, 3);
}

}  // namespace
