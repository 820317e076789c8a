#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "router/GlobalRouter.h"
#include "support/RouterOracle.h"

namespace {

std::unique_ptr<GlobalRouter> quietRouter(int xs, int ys, int hCap, int vCap) {
  testing::internal::CaptureStdout();
  auto r = makePlainRouter(xs, ys, hCap, vCap);
  testing::internal::GetCapturedStdout();
  return r;
}

TEST(History, RescalingBaseAndExponent) {
  auto r = quietRouter(3, 3, 2, 2);
  r->historyPow = 1.0;
  r->hHistory[0][0] = 3, r->hHistory[1][2] = 5, r->vHistory[2][1] = 7;
  r->convertHistoryBase(r->historyBase);  // same base: unchanged
  EXPECT_EQ(r->hHistory[0][0], 3);
  r->convertHistoryBase(2 * r->historyBase);  // linear law: counts double
  EXPECT_EQ(r->hHistory[0][0], 6);
  EXPECT_EQ(r->hHistory[1][2], 10);
  EXPECT_EQ(r->vHistory[2][1], 14);
  EXPECT_EQ(r->historyBase, 700.0f);
  r->historyPow = 1.8;
  r->convertHistoryPow(1.8);
  EXPECT_EQ(r->vHistory[2][1], 14);
  r->convertHistoryPow(0.9);  // h^1.8 = h'^0.9: h' = h^2
  EXPECT_EQ(r->hHistory[0][0], 36);
  EXPECT_EQ(r->historyPow, 0.9);
}

TEST(History, TabulatedCostLaws) {
  auto r = quietRouter(3, 3, 2, 2);
  r->historyRounds = 1;
  r->updateHistoryCost();
  ASSERT_EQ(r->historyCost.size(), 300u);
  EXPECT_EQ(r->historyCost[22], 2.0);  // i / 11
  r->historyCostMode = 2;
  r->updateHistoryCost();
  EXPECT_EQ(r->historyCost[6], std::pow(3.0, 1.7));  // pow(i / 2, 1.7)
  r->maxHistory = 200;
  r->updateHistoryCost();
  EXPECT_EQ(r->historyCost.size(), 800u);
  EXPECT_EQ(r->historyCost[799], std::pow(799.0 / 2.0, 1.7));
  r->historyCostMode = 5;  // unknown law: entries kept
  r->historyRounds = 9;
  r->updateHistoryCost();
  EXPECT_EQ(r->historyCost[6], std::pow(3.0, 1.7));
}

TEST(History, PercentileRanksShareTies) {
  auto r = quietRouter(4, 3, 2, 2);
  r->sortHistory();  // no history: nothing changes
  for (int v : r->hHistory.cells) EXPECT_EQ(v, 0);
  r->hHistory[2][0] = 5;
  r->vHistory[0][0] = 9;
  r->vHistory[3][1] = 5;
  r->hHistory[0][2] = 1;
  r->sortHistory();
  EXPECT_EQ(r->vHistory[0][0], 100);
  EXPECT_EQ(r->hHistory[2][0], 75);
  EXPECT_EQ(r->vHistory[3][1], 75);
  EXPECT_EQ(r->hHistory[0][2], 25);
  EXPECT_EQ(r->hHistory[1][1], 0);
}

TEST(History, RaisedByOverflowOnly) {
  auto r = quietRouter(4, 4, 2, 2);
  r->grid.vUsage[1][1] = 3;
  r->grid.hUsage[0][0] = 2;  // at capacity: not over
  const std::vector<RPoint> path = {RPoint(0, 0, 0, 1), RPoint(1, 1, 0, 0)};
  r->historyInc(path);
  EXPECT_EQ(r->vHistory[1][1], 0);  // history off
  r->historyOn = true;
  r->historyInc(path);
  EXPECT_EQ(r->vHistory[1][1], 1);
  EXPECT_EQ(r->hHistory[0][0], 0);

  r->historyOn = false;
  r->hHistory[2][3] = 6;
  r->initHistory();
  EXPECT_TRUE(r->historyOn);
  EXPECT_EQ(r->vHistory[1][1], 2);
  EXPECT_EQ(r->hHistory[2][3], 6);
  EXPECT_EQ(r->maxHistory, 6);  // lifted to the largest count even without overflow there
  r->grid.vUsage[1][1] = 0;
  r->UpdateHistory(false);
  EXPECT_EQ(r->vHistory[1][1], 2);
}

}  // namespace
