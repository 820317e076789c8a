#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/RouterOracle.h"

namespace {

std::unique_ptr<GlobalRouter> quietRouter(int xs, int ys, int hCap, int vCap) {
  testing::internal::CaptureStdout();
  auto r = makePlainRouter(xs, ys, hCap, vCap);
  testing::internal::GetCapturedStdout();
  return r;
}

std::vector<RPoint> horizontalRun(int x0, int x1, int y) {
  std::vector<RPoint> p;
  for (int x = x0; x < x1; ++x) p.emplace_back(x, y, 0, 1);
  return p;
}

// A random monotone staircase from a random tile, possibly revisiting its own edges.
std::vector<RPoint> randomPath(std::mt19937& rng, int xs, int ys) {
  std::vector<RPoint> p;
  int x = int(rng() % xs), y = int(rng() % ys);
  const int steps = int(rng() % 9);
  for (int i = 0; i < steps; ++i) {
    switch (rng() % 4) {
      case 0:
        if (x + 1 < xs) p.emplace_back(x, y, 0, 1), ++x;
        break;
      case 1:
        if (x > 0) --x, p.emplace_back(x, y, 0, 1);
        break;
      case 2:
        if (y + 1 < ys) p.emplace_back(x, y, 0, 0), ++y;
        break;
      default:
        if (y > 0) --y, p.emplace_back(x, y, 0, 0);
    }
  }
  return p;
}

TEST(Commit, EmptyPathChangesNothing) {
  auto r = quietRouter(4, 4, 1, 1);
  Net net = makeNet(1);
  EXPECT_EQ(r->RoutePath(Point(0, 0), Point(1, 0), {}, net), 0);
  EXPECT_EQ(r->Wlen2D, 0);
  EXPECT_EQ(r->totalOF, 0);
}

TEST(Commit, OverflowCountsUnitsAboveCapacityAndRipUpTakesThemBack) {
  auto r = quietRouter(7, 3, 1, 1);
  Net a = makeNet(1), b = makeNet(1);
  const std::vector<RPoint> run = horizontalRun(0, 5, 1);
  EXPECT_EQ(r->RoutePath(Point(0, 1), Point(5, 1), run, a), 0);
  EXPECT_EQ(r->Wlen2D, 5);
  EXPECT_EQ(r->RoutePath(Point(0, 1), Point(5, 1), run, b), 5);
  EXPECT_EQ(r->totalOF, 5);
  EXPECT_EQ(r->Wlen2D, 10);
  r->RipUp(Point(0, 1), Point(5, 1), run, b);
  EXPECT_EQ(r->totalOF, 0);
  EXPECT_EQ(r->Wlen2D, 5);
  EXPECT_EQ(b.wireLength, 0);
}

TEST(Commit, SharedEdgesOfOneNetCostOneTrack) {
  auto r = quietRouter(8, 3, 4, 4);
  Net net = makeNet(2);
  const std::vector<RPoint> first = horizontalRun(0, 5, 0);   // units x = 0..4
  const std::vector<RPoint> second = horizontalRun(2, 7, 0);  // x = 2..6, shares 2..4
  r->RoutePath(Point(0, 0), Point(5, 0), first, net);
  r->RoutePath(Point(2, 0), Point(7, 0), second, net);
  EXPECT_EQ(net.wireLength, 7);
  EXPECT_EQ(r->Wlen2D, 7);
  for (int x = 0; x < 7; ++x) EXPECT_EQ(r->grid.hUsage[x][0], 1) << x;
  r->RipUp(Point(0, 0), Point(5, 0), first, net);  // releases only x = 0, 1
  EXPECT_EQ(r->grid.hUsage[0][0], 0);
  EXPECT_EQ(r->grid.hUsage[1][0], 0);
  EXPECT_EQ(r->grid.hUsage[2][0], 1);
  EXPECT_EQ(net.wireLength, 5);
  EXPECT_EQ(net.routedEdges.size(), 5u);
}

TEST(Commit, RipUpWithEqualEndsIsIgnored) {
  auto r = quietRouter(4, 4, 2, 2);
  Net net = makeNet(1);
  const std::vector<RPoint> run = horizontalRun(0, 3, 2);
  r->RoutePath(Point(0, 2), Point(3, 2), run, net);
  r->RipUp(Point(1, 1, 0), Point(1, 1, 3), run, net);  // same tile, other layers
  EXPECT_EQ(r->Wlen2D, 3);
  EXPECT_EQ(r->grid.hUsage[0][2], 1);
}

TEST(Commit, HistoryGrowsOnOverflowingCommitsOnly) {
  auto r = quietRouter(4, 4, 3, 3);
  Net net = makeNet(1), other = makeNet(1);
  r->grid.hUsage[1][1] = 3;
  const std::vector<RPoint> unit = {RPoint(1, 1, 0, 1)};
  r->RoutePath(Point(1, 1), Point(2, 1), unit, net);
  EXPECT_EQ(r->hHistory[1][1], 0);  // history off
  r->RipUp(Point(1, 1), Point(2, 1), unit, net);
  r->historyOn = true;
  r->RoutePath(Point(1, 1), Point(2, 1), unit, net);
  EXPECT_EQ(r->hHistory[1][1], 1);
  r->RipUp(Point(1, 1), Point(2, 1), unit, net);
  EXPECT_EQ(r->hHistory[1][1], 1);  // rip-up never lowers history
  const std::vector<RPoint> free = {RPoint(0, 0, 0, 0)};
  r->RoutePath(Point(0, 0), Point(0, 1), free, other);
  EXPECT_EQ(r->vHistory[0][0], 0);
}

TEST(Commit, CostMapFollowsDemandOnlyInMazeAndPostStages) {
  auto r = quietRouter(5, 5, 3, 3);
  r->costOffset = 4.0f;
  r->initialFunc_2Dmap(2);
  Net net = makeNet(1);
  const std::vector<RPoint> path = {RPoint(1, 1, 0, 1), RPoint(2, 1, 0, 0)};
  const std::vector<CostEntry> before = r->grid.func_2Dmap;
  for (int stage : {0, 1}) {
    r->stage = stage;
    r->RoutePath(Point(1, 1), Point(2, 2), path, net);
    EXPECT_EQ(r->grid.func_2Dmap[r->grid.mapIndex(1, 1)].x, before[r->grid.mapIndex(1, 1)].x);
    r->RipUp(Point(1, 1), Point(2, 2), path, net);
  }
  for (int stage : {2, 3}) {
    r->stage = stage;
    r->RoutePath(Point(1, 1), Point(2, 2), path, net);
    EXPECT_EQ(r->grid.func_2Dmap[r->grid.mapIndex(1, 1)].x, r->edgeCost(2, 1, 1, true));
    EXPECT_EQ(r->grid.func_2Dmap[r->grid.mapIndex(2, 1)].y, r->edgeCost(2, 2, 1, false));
    testing::internal::CaptureStdout();
    r->checkCost(2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    r->RipUp(Point(1, 1), Point(2, 2), path, net);
    EXPECT_EQ(r->grid.func_2Dmap[r->grid.mapIndex(1, 1)].x, before[r->grid.mapIndex(1, 1)].x);
  }
}

// Random commits and rip-ups of random paths, nets with one and with several connections, on a
// small grid with pre-loaded demand below capacity: after every step the router's arrays and
// totals equal a recount from the live paths; ripping everything up restores the start.
TEST(Commit, RandomCommitsAndRipUpsMatchAFullRecount) {
  std::mt19937 rng(2024);
  constexpr int kX = 6, kY = 5;
  auto r = quietRouter(kX, kY, 2, 3);
  r->stage = 2;
  r->initialFunc_2Dmap(2);
  for (int x = 0; x < kX - 1; ++x)
    for (int y = 0; y < kY; ++y) r->grid.hUsage[x][y] = int(rng() % 2);
  const EdgeGrid<int> preH = r->grid.hUsage, preV = r->grid.vUsage;
  r->initialFunc_2Dmap(2);
  std::vector<Net> nets;
  for (int i = 0; i < 8; ++i) nets.push_back(makeNet(i % 3 == 0 ? 1 : 3));
  std::vector<LiveCommit> live;
  for (int step = 0; step < 3000; ++step) {
    if (live.empty() || rng() % 5 < 3) {
      LiveCommit c{int(rng() % nets.size()), randomPath(rng, kX, kY)};
      const int over = r->RoutePath(Point(0, 0), Point(1, 1), c.path, nets[c.net]);
      ASSERT_GE(over, 0);
      live.push_back(std::move(c));
    } else {
      const std::size_t i = rng() % live.size();
      r->RipUp(Point(0, 0), Point(1, 1), live[i].path, nets[live[i].net]);
      live.erase(live.begin() + std::ptrdiff_t(i));
    }
    const RouterRecount expected = recountRouter(*r, preH, preV, nets, live);
    ASSERT_TRUE(routerMatchesRecount(*r, nets, expected, live)) << "step " << step;
    ASSERT_EQ(r->getOverflow(), r->totalOF);
  }
  testing::internal::CaptureStdout();
  r->checkCost(2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  while (!live.empty()) {
    r->RipUp(Point(0, 0), Point(1, 1), live.back().path, nets[live.back().net]);
    live.pop_back();
  }
  EXPECT_EQ(r->grid.hUsage.cells, preH.cells);
  EXPECT_EQ(r->grid.vUsage.cells, preV.cells);
  EXPECT_EQ(r->totalOF, 0);
  EXPECT_EQ(r->Wlen2D, 0);
  for (const Net& n : nets) EXPECT_TRUE(n.routedEdges.empty());
}

TEST(Statistics, ScoreAndMaxHistory) {
  auto r = quietRouter(5, 5, 2, 2);
  TwoPin t(Point(0, 0), Point(2, 1), 0);
  t.path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 2), RPoint(1, 0, 0, 0), RPoint(1, 1, 0, 1)};
  r->grid.hUsage[0][0] = 3;
  r->grid.vUsage[1][0] = 5;
  int maxUsage = -1, overflow = -1, vias = -1, wire = -1;
  r->getScore(maxUsage, overflow, vias, wire, &t);
  EXPECT_EQ(maxUsage, 5);
  EXPECT_EQ(overflow, 1 + 3);
  EXPECT_EQ(vias, 1);
  EXPECT_EQ(wire, 3);

  int x = 0, y = 0, maxOF = 0;
  EXPECT_EQ(r->getMaxHistory(x, y, maxOF), 0);
  EXPECT_EQ(x, -1);
  EXPECT_EQ(y, -1);
  EXPECT_EQ(maxOF, 3);
  r->vHistory[0][3] = 4;  // vertical edges are walked after every horizontal one
  r->hHistory[3][2] = 4;
  r->vHistory[4][0] = 4;
  EXPECT_EQ(r->getMaxHistory(x, y, maxOF), 4);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 2);
  EXPECT_EQ(r->getWirelength(maxOF), 8);
  EXPECT_EQ(maxOF, 3);
}

TEST(Statistics, PathScoreSumsMapEntriesAndClearsOverflow) {
  auto r = quietRouter(4, 4, 2, 2);
  r->initialFunc_2Dmap(0);  // d + 3w: 30 on empty edges
  r->via_cost = 7.0f;
  r->update2DmapCost(1, 0, 2);
  TwoPin t(Point(0, 0), Point(2, 1), 0);
  t.overflow = 9;
  t.path = {RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 2), RPoint(1, 0, 0, 0)};
  EXPECT_EQ(r->PathScore(&t, makeNet(1)), 30.0f + 7.0f + 30.0f);
  EXPECT_EQ(t.overflow, 0);
  r->addAdjustment(2, 3, 4, true);
  EXPECT_EQ(r->grid.hUsage[2][3], 4);
  EXPECT_EQ(r->totalOF, 0);
}

using CommitDeathTest = ::testing::Test;
TEST(CommitDeathTest, PathLeavingTheGridAborts) {
  auto r = quietRouter(3, 3, 2, 2);
  Net net = makeNet(1);
  const std::vector<RPoint> bad = {RPoint(2, 0, 0, 1)};  // horizontal edge from the last column
  EXPECT_DEATH(r->RoutePath(Point(2, 0), Point(3, 0), bad, net), "Assertion");
}

}  // namespace
