// Congestion history utilities on small hand-made grids; expected counts and tables are
// worked out by hand from each operation's rule.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/RouterOracle.h"

namespace {

// Every existing edge of a 3 x 3 grid: 6 horizontal, then 6 vertical.
std::vector<int*> allHistory(GlobalRouter& r) {
  std::vector<int*> h;
  for (int x = 0; x < 2; ++x)
    for (int y = 0; y < 3; ++y) h.push_back(&r.hHistory[x][y]);
  for (int x = 0; x < 3; ++x)
    for (int y = 0; y < 2; ++y) h.push_back(&r.vHistory[x][y]);
  return h;
}

// Rescaling keeps pow(h, historyPow) / historyBase up to rounding half up; zero stays zero.
TEST(HistoryRescaling, KeepsTheHistoryTermUpToRounding) {
  const struct {
    const char* name;
    bool base;  // convertHistoryBase, else convertHistoryPow
    double pow, oldBase, target;
    std::vector<int> before, after;
  } kCases[] = {
      {"same base keeps counts", true, 1.8, 350, 350, {0, 1, 5, 40}, {0, 1, 5, 40}},
      {"twice the base at pow 1 doubles", true, 1.0, 350, 700, {0, 1, 3, 7}, {0, 2, 6, 14}},
      {"half the base rounds half up", true, 1.0, 350, 175, {0, 1, 3, 7}, {0, 1, 2, 4}},
      {"four times the base at pow 2 doubles", true, 2.0, 100, 400, {0, 2, 5, 9}, {0, 4, 10, 18}},
      {"same pow keeps counts", false, 1.8, 350, 1.8, {0, 1, 5, 40}, {0, 1, 5, 40}},
      {"pow 1 to 2 takes the rounded root", false, 1.0, 350, 2.0, {0, 2, 3, 16}, {0, 1, 2, 4}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto r = quietRouter(3, 3, 4, 4);
    r->historyPow = c.pow, r->historyBase = float(c.oldBase);
    std::vector<int*> h = allHistory(*r);
    for (std::size_t i = 0; i < h.size(); ++i) *h[i] = c.before[i % 4];
    if (c.base)
      r->convertHistoryBase(float(c.target));
    else
      r->convertHistoryPow(c.target);
    for (std::size_t i = 0; i < h.size(); ++i) EXPECT_EQ(*h[i], c.after[i % 4]) << "edge " << i;
    EXPECT_EQ(r->historyBase, float(c.base ? c.target : c.oldBase));
    EXPECT_EQ(r->historyPow, c.base ? c.pow : c.target);
  }
}

// Percentile rank: the largest count becomes 100, equal counts share a rank, zero stays.
TEST(HistoryRanking, EqualCountsShareTheirPercentile) {
  auto r = quietRouter(3, 3, 4, 4);
  r->sortHistory();
  for (int* h : allHistory(*r)) EXPECT_EQ(*h, 0);
  r->hHistory[1][2] = 5, r->vHistory[0][0] = 9, r->vHistory[2][1] = 1, r->hHistory[0][0] = 5;
  r->sortHistory();
  EXPECT_EQ(r->vHistory[0][0], 100);
  EXPECT_EQ(r->hHistory[0][0], 75);
  EXPECT_EQ(r->hHistory[1][2], 75);
  EXPECT_EQ(r->vHistory[2][1], 25);
  int nonZero = 0;
  for (int* h : allHistory(*r)) nonZero += *h != 0;
  EXPECT_EQ(nonZero, 4);
}

// The table grows to 4 x maxHistory only when it holds fewer than 2 x maxHistory entries,
// then every entry follows the mode's law; an unknown mode leaves the entries.
TEST(HistoryCostTable, GrowsAndFollowsTheModesLaw) {
  auto law1 = [](double i, double rounds) { return i / (4.0 * std::sqrt(rounds) + 7.0); };
  auto law2 = [](double i, double rounds) { return std::pow(i / (2.0 * std::log(rounds) + 2.0), 1.7); };
  const struct {
    const char* name;
    int mode, rounds, maxHistory;
    std::size_t size;
    double (*law)(double, double);
  } kCases[] = {
      {"mode 1, round 1: i / 11", 1, 1, 0, 300, +law1},
      {"mode 2, round 1: (i / 2)^1.7, grown to 800", 2, 1, 200, 800, +law2},
      {"mode 1, round 4: i / 15", 1, 4, 0, 300, +law1},
      {"150 needs no growth", 1, 1, 150, 300, +law1},
      {"151 grows to 604", 2, 3, 151, 604, +law2},
      {"unknown mode keeps the entries", 3, 1, 0, 300, nullptr},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto r = quietRouter(3, 3, 4, 4);
    ASSERT_EQ(r->historyCost.size(), 300u);
    r->historyCost[7] = -1.0;
    r->historyCostMode = c.mode, r->historyRounds = c.rounds, r->maxHistory = c.maxHistory;
    r->updateHistoryCost();
    ASSERT_EQ(r->historyCost.size(), c.size);
    for (std::size_t i = 0; i < c.size; ++i) {
      const double expected = c.law ? c.law(double(i), double(c.rounds)) : (i == 7 ? -1.0 : 0.0);
      ASSERT_DOUBLE_EQ(r->historyCost[i], expected) << "entry " << i;
    }
  }
  EXPECT_DOUBLE_EQ(law1(22, 1), 2.0);
  EXPECT_DOUBLE_EQ(law2(4, 1), std::pow(2.0, 1.7));
}

// Counts rise by one on edges whose demand is above capacity (at capacity is not over):
// historyInc along a path while history is on, UpdateHistory over the whole grid, which
// also lifts maxHistory to the largest count it passes.
TEST(HistoryRaise, OnlyOverflowedEdgesGainOne) {
  auto r = quietRouter(3, 3, 2, 1);
  r->grid.vUsage[1][0] = 2;  // over (capacity 1)
  r->grid.hUsage[0][1] = 2;  // at capacity 2
  r->grid.hUsage[1][2] = 3;  // over
  r->hHistory[0][0] = 7;     // no overflow, largest count
  const std::vector<RPoint> path = {RPoint(1, 0, 0, 0), RPoint(0, 1, 0, 1), RPoint(1, 2, 0, 1)};
  r->historyInc(path);
  EXPECT_EQ(r->vHistory[1][0] + r->hHistory[0][1] + r->hHistory[1][2], 0) << "history off";
  r->historyOn = true;
  r->historyInc(path);
  EXPECT_EQ(r->vHistory[1][0], 1);
  EXPECT_EQ(r->hHistory[0][1], 0);
  EXPECT_EQ(r->hHistory[1][2], 1);
  EXPECT_EQ(r->maxHistory, 0);

  r->UpdateHistory(false);
  EXPECT_EQ(r->vHistory[1][0], 2);
  EXPECT_EQ(r->hHistory[0][1], 0);
  EXPECT_EQ(r->hHistory[1][2], 2);
  EXPECT_EQ(r->hHistory[0][0], 7);
  EXPECT_EQ(r->maxHistory, 7);

  auto fresh = quietRouter(3, 3, 2, 1);
  fresh->grid.vUsage[2][1] = 5;
  fresh->initHistory();
  EXPECT_TRUE(fresh->historyOn);
  EXPECT_EQ(fresh->vHistory[2][1], 1);
  EXPECT_EQ(fresh->maxHistory, 1);
}

// A map built in the same mode checks clean, and so does one whose entry was re-priced at that
// stage after its demand changed; stage 0 has no rule to re-price by, says so and leaves the
// entry. Each changed member gives one line with its check number, the stored value and the
// recomputed one. Rule 0 prices d + 3 * baseCost.
TEST(CostMapCheck, ReportsExactlyTheChangedEntries) {
  for (int mode : {0, 1, 2, 3}) {
    SCOPED_TRACE(mode);
    auto r = quietRouter(3, 3, 4, 4);
    r->grid.hUsage[1][0] = 3, r->grid.vUsage[2][1] = 6;
    r->initialFunc_2Dmap(mode == 3 ? 2 : mode);
    r->stage = mode;
    r->grid.hUsage[1][0] = 1;
    testing::internal::CaptureStdout();
    r->update2DmapCost(1, 0, 1);
    r->checkCost(mode);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              mode == 0 ? "ERROR GlobalRouter 2014\nERROR GlobalRouter 672    func_2Dmap[1].x=33.00 cost=31.00\n" : "");
  }
  auto r = quietRouter(3, 3, 4, 4);
  r->baseCost = 10.0f, r->via_cost = 2.0f;
  r->grid.hUsage[1][0] = 2, r->grid.vUsage[2][1] = 6;
  r->initialFunc_2Dmap(0);
  const struct {
    const char* name;
    float CostEntry::*member;
    std::size_t k;
    const char* line;
  } kCases[] = {
      {"horizontal", &CostEntry::x, 1, "ERROR GlobalRouter 672    func_2Dmap[1].x=5.00 cost=32.00\n"},
      {"vertical", &CostEntry::y, 5, "ERROR GlobalRouter 680    func_2Dmap[5].y=5.00 cost=36.00\n"},
      {"bend", &CostEntry::z, 8, "ERROR GlobalRouter 684    func_2Dmap[8].z=5.00 via_cost=2.00\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    float& entry = r->grid.func_2Dmap[c.k].*c.member;
    const float kept = entry;
    entry = 5.0f;
    testing::internal::CaptureStdout();
    r->checkCost(0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.line);
    entry = kept;
  }
  // The check recomputes by the mode asked for: a rule-0 map fails the rule-1 check everywhere.
  testing::internal::CaptureStdout();
  r->checkCost(1);
  const std::string all = testing::internal::GetCapturedStdout();
  EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 12);
}

}  // namespace
