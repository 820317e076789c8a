#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/RouterOracle.h"

namespace {

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

// The congestion table is centred at the larger direction's capacity, so the price keeps
// rising with every unit of demand in both directions, however far below capacity.
TEST(CostTable, PriceRisesWithDemandInBothDirections) {
  auto r = quietRouter(5, 5, 10, 4);
  r->costHeight = 150.0f, r->costSlope = 0.5, r->baseCost = 1.0f, r->costOffset = 0.0f;
  r->initialCostArray();
  for (const bool hori : {true, false}) {
    float last = 0.0f;
    for (int d = 0; d < 14; ++d) {
      (hori ? r->grid.hUsage : r->grid.vUsage)[0][0] = d;
      const float price = r->edgeCost(2, 0, 0, hori);
      EXPECT_LT(last, price) << hori << " " << d;
      last = price;
    }
  }
}

// An edge raised above its layer's tracks pre-loads a negative demand; no rule of the map, with
// or without the hard-overflow rule, prices it below zero (the maze search needs that). Rule 2
// without the hard rule is left out: it reads the demand only through the congestion table,
// which never falls below 1.
TEST(CostTable, NegativeDemandNeverPricesBelowZero) {
  auto r = quietRouter(5, 5, 1, 1);
  r->baseCost = 10.0f;
  r->grid.hUsage[0][0] = -999;
  for (const bool hard : {false, true})
    for (int rule = 0; rule <= (hard ? 2 : 1); ++rule) {
      r->hardOverflowCost = hard;
      EXPECT_GE(r->edgeCost(rule, 0, 0, true), 0.0f) << "rule " << rule << (hard ? ", hard" : "");
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
    int demand = 0, maxOF = INT_MIN, maxOFSeen = 0;
    for (const auto* g : {&expected.hUsage, &expected.vUsage})
      for (int d : g->cells) demand += d, maxOF = std::max(maxOF, d - (g == &expected.hUsage ? 2 : 3));
    ASSERT_EQ(r->getWirelength(maxOFSeen), demand);
    ASSERT_EQ(r->getWirelength(), demand);
    ASSERT_EQ(maxOFSeen, std::max(maxOF, 0));
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

}  // namespace
