// The planar stage driver: its arithmetic (order scores, the maze length ramp), the rip-up
// list of ScoreNets, and the round structure of whole runs on hand-made grids.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <regex>
#include <sstream>
#include <string>

#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "router/GlobalRoute.h"
#include "router/GlobalRouter.h"
#include "steiner/MST.h"
#include "support/RouterOracle.h"
#include "support/RoutingStateChecker.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Arithmetic of the driver.

TEST(MazeLengthBound, FollowsTheArctangentRampOfTheLargerOfHalfRoundAndReroutes) {
  // Expected values worked out by hand from (atan(e - 9) - atan(-20)) * 2 + 1.
  const struct {
    const char* name;
    int span, round, ripups, expected;
  } kCases[] = {
      {"first reroute of a span-10 connection in round 0 (f ~ 1.149)", 10, 0, 1, 13},
      {"round 40 after three earlier reroutes uses e' = 20, not 4", 10, 40, 4, 72},
      {"round 0 with reroute count 20 equals round 40 with 4", 10, 0, 20, 72},
      {"the ramp's centre e' = 9 gives f ~ 4.042", 100, 0, 9, 406},
      {"far past the centre the ramp saturates near 7.18", 100, 0, 1000, 720},
      {"odd rounds halve with truncation: round 19 is e' = 9", 100, 19, 0, 406},
      {"no reroute yet: e' = 0, f ~ 1.121", 7, 0, 0, 9},
      {"a zero span still allows two units", 0, 0, 1, 2},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(mazeLengthBound(c.span, 0, c.round, c.ripups, 9, 2.0), c.expected);
    EXPECT_EQ(mazeLengthBound(0, c.span, c.round, c.ripups, 9, 2.0), c.expected);
  }
}

TEST(OrderScores, InitialAndPostScoresFollowTheirFormulas) {
  Net net;
  net.wireLength = 30;
  net.treeLength = 20;
  TwoPin straight(Point(1, 4), Point(4, 4), 0);
  TwoPin bent(Point(6, 1), Point(2, 3), 0);  // dx 4, dy 2
  EXPECT_DOUBLE_EQ(initialOrderScore(straight, net), 100.0 + 15.0);
  EXPECT_DOUBLE_EQ(initialOrderScore(bent, net), 100.0 / 3.0 + 15.0);

  bent.wireLength = 6;  // minimal
  EXPECT_DOUBLE_EQ(postOrderScore(bent), 6.0);
  bent.wireLength = 10;  // a detour of 4 units
  EXPECT_DOUBLE_EQ(postOrderScore(bent), 10.0 + 80.0);
}

// ---------------------------------------------------------------------------------------------
// ScoreNets.

// Capacity 10 both ways (m = 10). Net i has one connection along row i from x 0 to x 4; its
// first edge is pre-loaded with preload[i] tracks, so its path's largest demand is that + 1.
struct ScoredRows {
  std::unique_ptr<GlobalRouter> router = makePlainRouter(8, 8, 10, 10);
  std::vector<Net> nets;
  std::vector<Order> orders;

  explicit ScoredRows(const std::vector<int>& preload) {
    nets.resize(preload.size());
    for (std::size_t i = 0; i < preload.size(); ++i) {
      const int y = int(i);
      router->addAdjustment(0, y, preload[i], true);
      nets[i].twoPins.emplace_back(Point(0, y), Point(4, y), int(i));
    }
    for (std::size_t i = 0; i < nets.size(); ++i) {
      TwoPin& t = nets[i].twoPins[0];
      for (int x = 0; x < 4; ++x) t.path.push_back(RPoint(x, t.p1.y, 0, 1));
      router->RoutePath(t.p1, t.p2, t.path, nets[i]);
      t.needRoute = false;
      t.wireLength = -1;
      orders.push_back(Order{&t, -99.0});
    }
  }
};

TEST(ScoreNets, KeepsConnectionsNearCongestionWithTheRoundsThreshold) {
  // Largest demands 3, 4, 6, 7, 13 against m = 10.
  const std::vector<int> preload = {2, 3, 5, 6, 12};
  const struct {
    const char* name;
    int round;
    std::vector<bool> kept;
  } kCases[] = {
      {"round 0 keeps demand down to m - 6", 0, {false, true, true, true, true}},
      {"round 15 keeps only demand down to m - 3", 15, {false, false, false, true, true}},
      {"round 30 likewise", 30, {false, false, false, true, true}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    ScoredRows rows(preload);
    std::vector<Order> ripupList = {Order{nullptr, 0.0}};  // stale content must go
    ScoreNets(*rows.router, ripupList, rows.orders, rows.nets, c.round);
    std::vector<const TwoPin*> expected;
    for (std::size_t i = 0; i < preload.size(); ++i) {
      const TwoPin& t = rows.nets[i].twoPins[0];
      EXPECT_EQ(t.needRoute, bool(c.kept[i])) << "net " << i;
      EXPECT_EQ(t.wireLength, 4) << "net " << i;
      if (c.kept[i]) expected.push_back(&t);
    }
    ASSERT_EQ(ripupList.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
      EXPECT_EQ(ripupList[k].twoPin, expected[k]);  // list order preserved
      EXPECT_EQ(ripupList[k].score, rows.orders[std::size_t(ripupList[k].twoPin->p1.y)].score);
    }
  }
}

TEST(ScoreNets, ScoresOverflowViasAndLengthIntoBothLists) {
  ScoredRows rows({12, 0});
  // Net 0: demand 13 on capacity 10 is 3 overflow units; 4 wire units; 1 connection.
  std::vector<Order> ripupList;
  ScoreNets(*rows.router, ripupList, rows.orders, rows.nets, 0);
  EXPECT_DOUBLE_EQ(rows.orders[0].score, 60.0 * 3 + 3.0 * 4 - 0.1);
  EXPECT_DOUBLE_EQ(rows.orders[1].score, 3.0 * 4 - 0.1);
  EXPECT_EQ(rows.nets[0].twoPins[0].overflow, 3);
  EXPECT_EQ(rows.nets[1].twoPins[0].overflow, 0);
  ASSERT_EQ(ripupList.size(), 1u);
  EXPECT_DOUBLE_EQ(ripupList[0].score, rows.orders[0].score);
}

// ---------------------------------------------------------------------------------------------
// Whole runs on hand-made grids.

struct Run {
  NetDB db;
  std::unique_ptr<GlobalRouter> router;
  std::vector<Order> orders;
  std::string out;
  PreloadedDemand preload;
};

// Each net is a list of pin tiles; one layer of hCap / vCap tracks; plain spanning-tree
// decomposition (no Steiner tables needed).
std::unique_ptr<Run> routeGrid(int xs, int ys, int hCap, int vCap, const std::vector<std::vector<Point>>& pins,
                               parameterSet params) {
  auto run = std::make_unique<Run>();
  run->db.gridX = xs;
  run->db.gridY = ys;
  run->db.numLayers = 1;
  for (std::size_t i = 0; i < pins.size(); ++i) {
    Net net;
    net.id = int(i);
    net.pins2D = pins[i];
    net.pins3D = pins[i];
    run->db.nets.push_back(net);
  }
  run->router = makePlainRouter(xs, ys, hCap, vCap);
  run->router->viaCost = params.viaCost;
  run->preload = snapshotDemand(*run->router);
  BuildCongestionDrivenTree(run->db.nets);
  ::testing::internal::CaptureStdout();
  GlobalRoute(*run->router, run->db, run->orders, params);
  std::fflush(stdout);
  run->out = ::testing::internal::GetCapturedStdout();
  return run;
}

parameterSet stages(int pattern, int monotonic, int maze, int post) {
  parameterSet p;
  p.patternIteration = pattern;
  p.monotonicIteration = monotonic;
  p.mazeIteration = maze;
  p.postRoutingIteration = post;
  return p;
}

// The "num_route_net=" counts of one stage's round lines, in order.
std::vector<int> routeCounts(const std::string& out, const std::string& banner, const std::string& end) {
  const std::size_t from = out.find(banner);
  const std::size_t to = out.find(end, from);
  std::vector<int> counts;
  if (from == std::string::npos || to == std::string::npos) return counts;
  const std::string section = out.substr(from, to - from);
  const std::regex count("num_route_net=(-?[0-9]+)\n");
  for (auto it = std::sregex_iterator(section.begin(), section.end(), count); it != std::sregex_iterator(); ++it)
    counts.push_back(std::stoi((*it)[1]));
  return counts;
}

const char* const kPattern = "Start Pattern Routing";
const char* const kPatternEnd = "Pattern Routing costs";
const char* const kMono = "Start Monotonic Routing";
const char* const kMonoEnd = "Monotonic Routing costs";

TEST(StageDriver, StraightConnectionsAreRoutedOnceAndSkippedByThePostStage) {
  // A row and a column connection; neither is touched after pattern round 0.
  const auto run =
      routeGrid(10, 10, 10, 10, {{Point(7, 2), Point(1, 2)}, {Point(4, 8), Point(4, 3)}}, stages(3, 2, 0, 1));
  EXPECT_EQ(routeCounts(run->out, kPattern, kPatternEnd), (std::vector<int>{2, 0, 0}));
  EXPECT_EQ(routeCounts(run->out, kMono, kMonoEnd), (std::vector<int>{0, 0}));
  // The straight run leaves p1 at the left / lower end; a post reroute would have moved it.
  const TwoPin& row = run->db.nets[0].twoPins[0];
  const TwoPin& column = run->db.nets[1].twoPins[0];
  EXPECT_EQ(row.p1, Point(1, 2));
  EXPECT_EQ(column.p1, Point(4, 3));
  EXPECT_EQ(row.wireLength, 6);
  EXPECT_EQ(column.wireLength, 5);
  EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
}

TEST(StageDriver, PatternRoundZeroKeepsEveryBentConnectionAndMonotonicRoundZeroDoesNot) {
  const std::vector<std::vector<Point>> bent = {{Point(1, 1), Point(6, 5)}};
  {
    SCOPED_TRACE("three pattern rounds on an empty grid: redone once in round 1, then finished");
    const auto run = routeGrid(8, 8, 10, 10, bent, stages(3, 1, 0, 0));
    EXPECT_EQ(routeCounts(run->out, kPattern, kPatternEnd), (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(routeCounts(run->out, kMono, kMonoEnd), (std::vector<int>{0}));
  }
  {
    SCOPED_TRACE("one pattern round: the monotonic stage finishes it in its round 0");
    const auto run = routeGrid(8, 8, 10, 10, bent, stages(1, 3, 0, 0));
    EXPECT_EQ(routeCounts(run->out, kPattern, kPatternEnd), (std::vector<int>{1}));
    EXPECT_EQ(routeCounts(run->out, kMono, kMonoEnd), (std::vector<int>{1, 0, 0}));
    EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
  }
  {
    SCOPED_TRACE("capacity 2: the thresholds m - 5 and m - 4 are never met, so every round redoes it");
    const auto run = routeGrid(8, 8, 2, 2, bent, stages(3, 2, 0, 0));
    EXPECT_EQ(routeCounts(run->out, kPattern, kPatternEnd), (std::vector<int>{1, 1, 1}));
    EXPECT_EQ(routeCounts(run->out, kMono, kMonoEnd), (std::vector<int>{1, 1}));
  }
}

TEST(StageDriver, MazeStageWithoutRoundsOrWithoutOverflow) {
  const std::vector<std::vector<Point>> nets = {{Point(1, 1), Point(6, 5)}, {Point(0, 3), Point(7, 3)}};
  {
    SCOPED_TRACE("maze iteration 0: banner and time line with nothing between");
    const auto run = routeGrid(8, 8, 10, 10, nets, stages(2, 1, 0, 1));
    EXPECT_TRUE(std::regex_search(
        run->out, std::regex("=+Start Maze Routing=+\nMaze Routing costs [-0-9.e+]+ seconds\n\n=+Start Post")));
    EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
  }
  {
    SCOPED_TRACE("total overflow 0 at the maze start: one round line with count 0, then the stage ends");
    const auto run = routeGrid(8, 8, 10, 10, nets, stages(2, 1, 50, 1));
    EXPECT_TRUE(std::regex_search(run->out, std::regex("=+Start Maze Routing=+\nRound=0  time=[-0-9.e+]+  totalOF=0  "
                                                       "maxOF=0  Wlen2D=[0-9]+  num_route_net=0\nMaze Routing "
                                                       "costs [-0-9.e+]+ seconds\n\n")))
        << run->out;
    EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
  }
}

TEST(StageDriver, MazeStageRemovesOverflowAndThePostStageKeepsItAway) {
  // Three nets share row 4 on capacity 1: the straight runs overflow, the maze detours them.
  const auto run =
      routeGrid(12, 9, 1, 1, {{Point(1, 4), Point(10, 4)}, {Point(2, 4), Point(9, 4)}, {Point(3, 4), Point(8, 4)}},
                stages(2, 1, 20, 2));
  const std::vector<int> patternCounts = routeCounts(run->out, kPattern, kPatternEnd);
  ASSERT_EQ(patternCounts.size(), 2u);
  EXPECT_TRUE(std::regex_search(run->out, std::regex("Round=0  time=[-0-9.e+]+  totalOF=[1-9][0-9]*  Wlen2D=")))
      << "the straight runs must overflow first";
  EXPECT_EQ(run->router->totalOF, 0) << run->out;
  int rerouted = 0;
  for (const Net& net : run->db.nets) rerouted += net.twoPins[0].ripupCount > 0;
  EXPECT_GE(rerouted, 2);
  EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
  EXPECT_THAT(run->out, ::testing::HasSubstr("CPU: ripupPath cost time : "));
}

TEST(StageDriver, PostStageReroutesMinimalBentConnectionsMonotonically) {
  // After the monotonic stage p1 is the right end. A monotonic post reroute keeps it there;
  // a maze reroute of a one-connection net would end at the old p2 and swap the ends.
  const auto run = routeGrid(8, 8, 10, 10, {{Point(1, 1), Point(6, 5)}}, stages(1, 1, 0, 1));
  const TwoPin& t = run->db.nets[0].twoPins[0];
  EXPECT_EQ(t.p1, Point(6, 5));
  EXPECT_EQ(t.wireLength, 9);
  EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
}

TEST(StageDriver, StageLinesComeInOrderAndEndWithTheTimerReport) {
  const auto run = routeGrid(8, 8, 10, 10, {{Point(1, 1), Point(6, 5), Point(3, 7)}}, stages(2, 2, 3, 2));
  const std::string t = "[-0-9.e+]+";
  const std::string patternRound =
      "Round=[0-9]+  time=" + t + "  totalOF=[0-9]+  Wlen2D=[0-9]+  num_route_net=[0-9]+\n";
  const std::string mazeRound =
      "Round=[0-9]+  time=" + t + "  totalOF=[0-9]+  maxOF=[0-9]+  Wlen2D=[0-9]+  num_route_net=[0-9]+\n";
  const std::string postRound = "Round=[0-9]+  time=" + t + "  totalOF=[0-9]+  maxOF=[0-9]+  Wlen2D=[0-9]+\n";
  const std::string timer = "cost time : [0-9]+\\.[0-9]{2} seconds\n";
  const std::regex whole(
      "===================Start Pattern Routing===================\n(" + patternRound + "){2}Pattern Routing costs " +
      t + " seconds\n\n===================Start Monotonic Routing===================\n(" + patternRound +
      "){2}Monotonic Routing costs " + t + " seconds\n\n===================Start Maze Routing===================\n(" +
      mazeRound + "){1,3}Maze Routing costs " + t +
      " seconds\n\n===================Start Post Routing===================\n(" + postRound +
      "){2}Post Routing costs " + t + " seconds\n\nCPU: ripupPath " + timer + "CPU: addPath " + timer +
      "CPU: modifyCost " + timer + "CPU: mazeKernel " + timer + "\n");
  EXPECT_TRUE(std::regex_match(run->out, whole)) << run->out;
  // Rounds are numbered from 0 in every stage.
  EXPECT_EQ(run->out.find("Round=0"), run->out.find("Round="));
  EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
}

TEST(StageDriver, NegativeIterationCountsRunNoRound) {
  const auto run = routeGrid(8, 8, 10, 10, {{Point(1, 1), Point(6, 5)}}, stages(1, -3, -1, -2));
  EXPECT_EQ(routeCounts(run->out, kMono, kMonoEnd), (std::vector<int>{}));
  EXPECT_THAT(run->out, ::testing::HasSubstr("Start Post Routing===================\nPost Routing costs"));
  EXPECT_TRUE(routingStateIsConsistent(*run->router, run->db, run->orders, run->preload));
}

}  // namespace
