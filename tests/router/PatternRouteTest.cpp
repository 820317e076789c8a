// Straight runs and L shapes on hand-made grids: the units listed, the ends rewritten, the
// cheaper shape and its tie rule, the usage reported and the commit.

#include <gtest/gtest.h>

#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/PathChain.h"
#include "support/RouterOracle.h"

namespace {

struct Load {
  int x, y, hori, demand;
};

void applyLoads(GlobalRouter& router, const std::vector<Load>& loads) {
  for (const Load& l : loads) (l.hori ? router.grid.hUsage[l.x][l.y] : router.grid.vUsage[l.x][l.y]) = l.demand;
}

std::vector<RPoint> units(std::initializer_list<RPoint> list) { return list; }

}  // namespace

// Each row is one straight connection; the ends come back left (or lower) end first.
TEST(FlatRoute, ListsTheRunFromTheLeftOrLowerEnd) {
  const struct {
    const char* name;
    Point p1, p2;
    Point wantP1, wantP2;
    std::vector<RPoint> want;
  } kCases[] = {
      {"row given right to left", {5, 2}, {1, 2}, {1, 2}, {5, 2}, units({{1, 2, 1}, {2, 2, 1}, {3, 2, 1}, {4, 2, 1}})},
      {"row given left to right", {1, 2}, {5, 2}, {1, 2}, {5, 2}, units({{1, 2, 1}, {2, 2, 1}, {3, 2, 1}, {4, 2, 1}})},
      {"column given top first", {3, 4}, {3, 1}, {3, 1}, {3, 4}, units({{3, 1, 0}, {3, 2, 0}, {3, 3, 0}})},
      {"column given bottom first", {3, 1}, {3, 4}, {3, 1}, {3, 4}, units({{3, 1, 0}, {3, 2, 0}, {3, 3, 0}})},
      {"one tile", {2, 2}, {2, 2}, {2, 2}, {2, 2}, {}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto router = makePlainRouter(7, 6, 4, 4);
    Net net = makeNet(1);
    Point p1 = c.p1, p2 = c.p2;
    std::vector<RPoint> path;
    EXPECT_EQ(router->Flat(p1, p2, path, net), 0);
    EXPECT_EQ(p1, c.wantP1);
    EXPECT_EQ(p2, c.wantP2);
    EXPECT_EQ(path, c.want);
    EXPECT_EQ(router->Wlen2D, int(c.want.size()));
    for (const RPoint& r : c.want) EXPECT_EQ(router->grid.getCost(r.x, r.y, r.hori == 1), 1);
  }
}

// Every row loads some edges (single-connection net unless said: an edge costs 3 * 10 + demand)
// and names the L expected, in walking order from the left end.
TEST(PatternRoute, TakesTheCheaperLAndOnTiesTheLowerRow) {
  enum NetKind { kSingle, kOwnEdgesOnLowerRow, kSteinerEdgesOnUpperL };
  const struct {
    const char* name;
    Point p1, p2;
    std::vector<Load> loads;
    NetKind kind;
    Point wantP1, wantP2;
    std::vector<RPoint> want;
    int wantMaxUsage;
  } kCases[] = {
      {"rising, lower row loaded: up first",
       {1, 1},
       {4, 3},
       {{2, 1, 1, 5}, {2, 3, 1, 2}},
       kSingle,
       {1, 1},
       {4, 3},
       units({{1, 1, 0}, {1, 2, 0}, {1, 3, 1}, {2, 3, 1}, {3, 3, 1}}),
       2},
      {"rising, equal costs: lower row first",
       {4, 3},
       {1, 1},
       {},
       kSingle,
       {1, 1},
       {4, 3},
       units({{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {4, 1, 0}, {4, 2, 0}}),
       0},
      {"falling, left column loaded: row first",
       {1, 4},
       {4, 2},
       {{1, 2, 0, 3}, {4, 3, 0, 1}},
       kSingle,
       {1, 4},
       {4, 2},
       units({{1, 4, 1}, {2, 4, 1}, {3, 4, 1}, {4, 3, 0}, {4, 2, 0}}),
       1},
      {"falling, equal costs: down first to the lower row",
       {4, 2},
       {1, 4},
       {{5, 0, 1, 9}},
       kSingle,
       {1, 4},
       {4, 2},
       units({{1, 3, 0}, {1, 2, 0}, {1, 2, 1}, {2, 2, 1}, {3, 2, 1}}),
       0},
      {"same column: the former p2 is the left end",
       {2, 1},
       {2, 4},
       {{2, 2, 0, 4}},
       kSingle,
       {2, 4},
       {2, 1},
       units({{2, 3, 0}, {2, 2, 0}, {2, 1, 0}}),
       4},
      {"own-net edges are free even when loaded",
       {1, 1},
       {4, 3},
       {{2, 1, 1, 5}},
       kOwnEdgesOnLowerRow,
       {1, 1},
       {4, 3},
       units({{1, 1, 1}, {2, 1, 1}, {3, 1, 1}, {4, 1, 0}, {4, 2, 0}}),
       5},
      {"Steiner edges cost the weight, not three",
       {1, 1},
       {4, 3},
       {},
       kSteinerEdgesOnUpperL,
       {1, 1},
       {4, 3},
       units({{1, 1, 0}, {1, 2, 0}, {1, 3, 1}, {2, 3, 1}, {3, 3, 1}}),
       0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto router = makePlainRouter(7, 6, 10, 10);
    applyLoads(*router, c.loads);
    Net net = makeNet(c.kind == kSingle ? 1 : 2);
    if (c.kind == kOwnEdgesOnLowerRow)
      for (int x = 1; x < 4; ++x) net.routedEdges.insert(RPoint(x, 1, 0, 1));
    if (c.kind == kSteinerEdgesOnUpperL)
      for (const RPoint& r : units({{1, 1, 0}, {1, 2, 0}, {1, 3, 1}, {2, 3, 1}, {3, 3, 1}})) net.steinerEdges.insert(r);
    TwoPin& t = net.twoPins[0];
    t.p1 = c.p1, t.p2 = c.p2;
    int maxUsage = -1;
    EXPECT_EQ(router->Pattern(t.p1, t.p2, &t, net, maxUsage), 0);
    EXPECT_EQ(t.p1, c.wantP1);
    EXPECT_EQ(t.p2, c.wantP2);
    EXPECT_EQ(t.path, c.want);
    EXPECT_TRUE(isChain(t.path, t.p1, t.p2));
    EXPECT_EQ(maxUsage, c.wantMaxUsage);
    EXPECT_EQ(t.wireLength, int(c.want.size()));
    // Committed: a single-connection net pays every unit on top of its load.
    if (c.kind == kSingle)
      for (const RPoint& r : c.want) {
        int load = 0;
        for (const Load& l : c.loads)
          if (l.x == r.x && l.y == r.y && l.hori == r.hori) load = l.demand;
        EXPECT_EQ(router->grid.getCost(r.x, r.y, r.hori == 1), load + 1) << r;
      }
  }
}
