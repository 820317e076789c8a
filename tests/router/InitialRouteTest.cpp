// Steiner-guided decomposition: preferred edges of straight branches, the rebuild of a net
// along its tree, the checks on the tree, and the whole pass with the real tables.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "router/InitialRoute.h"
#include "steiner/MST.h"
#include "steiner/flute.h"
#include "support/RouterOracle.h"
#include "support/RunProcess.h"

namespace {

std::vector<RPoint> edgesOf(const EdgeMultiset& set) {
  std::vector<RPoint> out;
  set.forEach([&](const RPoint& r) { out.push_back(r); });
  return out;
}

MATCHER_P4(IsEdge, x, y, z, hori, "") { return arg.x == x && arg.y == y && arg.z == z && arg.hori == hori; }

TEST(FluteFlat, InsertsTheUnitEdgesOfAStraightSegment) {
  const auto router = makePlainRouter(20, 20, 4, 4);
  const struct {
    const char* name;
    Point a, b;
    std::vector<RPoint> expected;  // (x, y, z, hori)
  } kCases[] = {
      {"vertical, upper end first",
       Point(2, 5),
       Point(2, 2),
       {RPoint(2, 2, 0, 0), RPoint(2, 3, 0, 0), RPoint(2, 4, 0, 0)}},
      {"horizontal, right end first", Point(9, 7), Point(7, 7), {RPoint(7, 7, 0, 1), RPoint(8, 7, 0, 1)}},
      {"one unit", Point(0, 0), Point(1, 0), {RPoint(0, 0, 0, 1)}},
      {"both ends on one tile", Point(3, 3), Point(3, 3), {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Net net;
    router->FluteFlat(c.a, c.b, net);
    const std::vector<RPoint> got = edgesOf(net.steinerEdges);
    ASSERT_EQ(got.size(), c.expected.size());
    for (const RPoint& e : c.expected) EXPECT_EQ(net.steinerEdges.count(e), 1u) << e;
  }
}

TEST(FluteFlat, KeepsDuplicatesOfOverlappingSegments) {
  const auto router = makePlainRouter(20, 20, 4, 4);
  Net net;
  router->FluteFlat(Point(0, 4), Point(5, 4), net);
  router->FluteFlat(Point(3, 4), Point(8, 4), net);
  EXPECT_EQ(net.steinerEdges.size(), 10u);
  EXPECT_EQ(net.steinerEdges.count(RPoint(3, 4, 0, 1)), 2u);
  EXPECT_EQ(net.steinerEdges.count(RPoint(5, 4, 0, 1)), 1u);
}

// A tree of d pins; branches given as {x, y, n}.
Tree makeTree(int deg, int length, const std::vector<Branch>& branches) {
  Tree t;
  t.deg = deg;
  t.length = length;
  t.branch.reset(new Branch[branches.size()]);
  for (std::size_t i = 0; i < branches.size(); ++i) t.branch[i] = branches[i];
  return t;
}

// Pins at x = 0, 8 and 17 of row 0: the spanning tree is 8 + 9 = 17 whatever the map says
// (the long pair costs at least 0.7 * 17 = 11.9 > 9).
struct RowNet {
  std::unique_ptr<GlobalRouter> router = makePlainRouter(20, 6, 4, 4);
  TileMap map;
  Net net;
  RowNet() {
    map.allocate(20, 6, 0);
    net.id = 42;
    net.pins2D = {Point(0, 0, 0), Point(8, 0, 1), Point(17, 0, 2)};
    net.twoPins.emplace_back(Point(0, 0), Point(17, 0), 7);
    net.twoPins[0].path.push_back(RPoint(0, 0, 0, 1));
    net.wireLength = 20;
    net.treeLength = 20;
  }
  // The tree: every pin joins the Steiner point (8, 0).
  Tree tree(int length) const { return makeTree(3, length, {{0, 0, 3}, {8, 0, 3}, {17, 0, 3}, {8, 0, 3}}); }
};

TEST(SteinerGuidedRebuild, AShorterTreeRebuildsTheNetAndAddsToBothCounters) {
  RowNet row;
  EXPECT_EQ(applySteinerTree(*row.router, row.net, 7, row.tree(16), row.map), SteinerOutcome::kRebuilt);
  // 20 + 17 and 16 + 17: the counters keep their old values and both add the rebuilt length.
  EXPECT_EQ(row.net.wireLength, 37);
  EXPECT_EQ(row.net.treeLength, 33);
  ASSERT_EQ(row.net.twoPins.size(), 2u);
  for (const TwoPin& t : row.net.twoPins) {
    EXPECT_TRUE(t.path.empty());
    EXPECT_TRUE(t.needRoute);
    EXPECT_EQ(t.ripupCount, 0);
    EXPECT_EQ(t.netIndex, 7);
  }
  EXPECT_EQ(row.net.twoPins[0].p1, Point(0, 0));
  EXPECT_EQ(row.net.twoPins[0].p2, Point(8, 0));
  EXPECT_EQ(row.net.twoPins[0].p2.z, 1) << "ends carry the pins' layers";
  EXPECT_EQ(row.net.twoPins[1].p1, Point(8, 0));
  EXPECT_EQ(row.net.twoPins[1].p2, Point(17, 0));
  // Branches 0-3 and 2-3 are straight: the 17 horizontal units of row 0; 1-3 is degenerate.
  EXPECT_EQ(row.net.steinerEdges.size(), 17u);
  for (int x = 0; x < 17; ++x) EXPECT_EQ(row.net.steinerEdges.count(RPoint(x, 0, 0, 1)), 1u) << x;
  EXPECT_EQ(row.map[0][0], 3);
  EXPECT_EQ(row.map[8][0], 3);
  EXPECT_EQ(row.map[17][0], 3);
  EXPECT_EQ(row.map[1][0], 0);
}

TEST(SteinerGuidedRebuild, ATreeThatIsNotShorterOnlySetsTheTreeLength) {
  for (const int length : {20, 25}) {
    SCOPED_TRACE(length);
    RowNet row;
    EXPECT_EQ(applySteinerTree(*row.router, row.net, 7, row.tree(length), row.map), SteinerOutcome::kKept);
    EXPECT_EQ(row.net.treeLength, length);
    EXPECT_EQ(row.net.wireLength, 20);
    ASSERT_EQ(row.net.twoPins.size(), 1u);
    EXPECT_EQ(row.net.twoPins[0].path.size(), 1u);
    EXPECT_TRUE(row.net.steinerEdges.empty());
    EXPECT_EQ(row.map[8][0], 0) << "the map is written only for rebuilt nets";
  }
}

TEST(SteinerGuidedRebuild, DiagonalAndDegenerateBranchesWriteTheMapOnly) {
  const auto router = makePlainRouter(10, 10, 4, 4);
  TileMap map;
  map.allocate(10, 10, 0);
  Net net;
  net.pins2D = {Point(1, 1), Point(5, 4), Point(5, 9)};
  net.wireLength = 30;
  // 0 -> 3 diagonal, 1 -> 3 degenerate, 2 -> 1 vertical (5 units), 3 -> 3 the root.
  const Tree tree = makeTree(3, 12, {{1, 1, 3}, {5, 4, 3}, {5, 9, 1}, {5, 4, 3}});
  EXPECT_EQ(applySteinerTree(*router, net, 0, tree, map), SteinerOutcome::kRebuilt);
  EXPECT_EQ(net.steinerEdges.size(), 5u);
  for (int y = 4; y < 9; ++y) EXPECT_EQ(net.steinerEdges.count(RPoint(5, y, 0, 0)), 1u) << y;
  EXPECT_EQ(map[1][1], 3);
  EXPECT_EQ(map[5][4], 3);
  EXPECT_EQ(map[5][9], 1);
}

TEST(SteinerGuidedRebuild, RejectsAMalformedTreeWithOneLineAndLeavesTheNet) {
  const struct {
    const char* name;
    int deg;
    std::vector<Branch> branches;
    const char* mustSay;
  } kBad[] = {
      {"branch leading past the tree", 3, {{0, 0, 3}, {8, 0, 4}, {17, 0, 3}, {8, 0, 3}}, "branch 1 leads to branch 4"},
      {"negative branch index", 3, {{0, 0, -1}, {8, 0, 3}, {17, 0, 3}, {8, 0, 3}}, "branch 0 leads to branch -1"},
      {"Steiner point right of the grid", 3, {{0, 0, 3}, {8, 0, 3}, {17, 0, 3}, {20, 0, 3}}, "(20,0) lies outside"},
      {"Steiner point below the grid", 3, {{0, 0, 3}, {8, 0, 3}, {17, 0, 3}, {8, -1, 3}}, "(8,-1) lies outside"},
      {"degree differs from the pin count",
       4,
       {{0, 0, 3}, {8, 0, 3}, {17, 0, 3}, {8, 0, 3}, {8, 0, 3}, {8, 0, 3}},
       "degree 4 for 3 pins"},
  };
  for (const auto& c : kBad) {
    SCOPED_TRACE(c.name);
    RowNet row;
    const Tree tree = makeTree(c.deg, 16, c.branches);
    ::testing::internal::CaptureStdout();
    const SteinerOutcome outcome = applySteinerTree(*row.router, row.net, 7, tree, row.map);
    std::fflush(stdout);
    const std::string out = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(outcome, SteinerOutcome::kBadTree);
    EXPECT_THAT(out, ::testing::StartsWith("ERROR InitialRoute 1 net 42: "));
    EXPECT_THAT(out, ::testing::HasSubstr(c.mustSay));
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1);
    EXPECT_EQ(row.net.treeLength, 20);
    EXPECT_EQ(row.net.twoPins.size(), 1u);
    EXPECT_TRUE(row.net.steinerEdges.empty());
    for (const int v : row.map.cells) ASSERT_EQ(v, 0);
  }
}

// ---------------------------------------------------------------------------------------------
// The whole pass, with the tables the build generates.

// Runs in the build directory, where the Steiner tables are generated.
struct InBuildDir {
  std::string old;
  InBuildDir() {
    char buf[4096];
    old = getcwd(buf, sizeof buf) ? buf : ".";
    EXPECT_EQ(chdir(KORVANE_BINARY_DIR), 0);
  }
  ~InBuildDir() { (void)!chdir(old.c_str()); }
};

Net netOf(const std::vector<Point>& pins) {
  Net n;
  n.pins2D = pins;
  n.pins3D = pins;
  return n;
}

TEST(InitialRoute, RebuildsOnlyNetsOfThreeTo149PinsWithAShorterTree) {
  InBuildDir here;
  const auto router = makePlainRouter(200, 200, 10, 10);
  std::vector<Net> nets;
  // 0: a plus of four arms: spanning tree 30, Steiner tree 20 through (5, 5).
  nets.push_back(netOf({Point(0, 5), Point(10, 5), Point(5, 0), Point(5, 10)}));
  // 1: two pins: never looked at.
  nets.push_back(netOf({Point(0, 0), Point(9, 9)}));
  // 2: three pins in one row: the tree is no shorter than the spanning tree.
  nets.push_back(netOf({Point(0, 20), Point(4, 20), Point(9, 20)}));
  // 3: 150 pins: too many.
  std::vector<Point> many;
  for (int i = 0; i < 150; ++i) many.push_back(Point(i, 100 + (i * 7) % 50));
  nets.push_back(netOf(many));
  // 4: an L of three pins: spanning tree 20 = tree 20 (the corner is a pin).
  nets.push_back(netOf({Point(30, 30), Point(40, 30), Point(30, 40)}));
  BuildCongestionDrivenTree(nets);
  ASSERT_EQ(nets[0].wireLength, 30);
  std::vector<int> wire, tree;
  std::vector<std::size_t> connections;
  for (const Net& n : nets) {
    wire.push_back(n.wireLength);
    tree.push_back(n.treeLength);
    connections.push_back(n.twoPins.size());
  }

  initialRoute(*router, nets);

  // Net 0: tree 20; rebuilt spanning tree biased toward the tree's centre, still 30 long.
  EXPECT_EQ(nets[0].treeLength, 20 + 30);
  EXPECT_EQ(nets[0].wireLength, 30 + 30);
  EXPECT_EQ(nets[0].twoPins.size(), 3u);
  EXPECT_EQ(nets[0].steinerEdges.size(), 20u) << "four straight arms of 5 units";
  for (const TwoPin& t : nets[0].twoPins) EXPECT_EQ(t.netIndex, 0);
  for (const std::size_t i : {1u, 3u}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(nets[i].wireLength, wire[i]);
    EXPECT_EQ(nets[i].treeLength, tree[i]);
    EXPECT_EQ(nets[i].twoPins.size(), connections[i]);
    EXPECT_TRUE(nets[i].steinerEdges.empty());
  }
  for (const std::size_t i : {2u, 4u}) {
    SCOPED_TRACE(i);
    EXPECT_EQ(nets[i].treeLength, i == 2 ? 9 : 20) << "the tree length replaces the first one";
    EXPECT_EQ(nets[i].wireLength, wire[i]);
    EXPECT_EQ(nets[i].twoPins.size(), connections[i]);
    EXPECT_TRUE(nets[i].steinerEdges.empty());
  }
}

TEST(InitialRoute, MissingTablesEndTheRunWithTheTableReadersMessage) {
  TempDir empty;
  // A fresh process: the table reader ends it. Its message goes to standard output, which the
  // death test does not see, so standard output is sent to standard error.
  EXPECT_EXIT(
      {
        if (chdir(empty.path.c_str()) != 0 || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) std::exit(3);
        const auto router = makePlainRouter(4, 4, 2, 2);
        std::vector<Net> nets;
        initialRoute(*router, nets);
        std::exit(0);
      },
      ::testing::ExitedWithCode(1), "Error in opening POWV9.dat\n");
}

}  // namespace
