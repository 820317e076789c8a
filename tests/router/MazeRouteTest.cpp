// The planar maze search on hand-made cost maps: shortest paths and the ends they leave, the
// cost and length bounds, free own-net edges, search ends on pins only, the open-set rules,
// the stamp wrap and the guards against stale cell state and parent cycles.

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/PathChain.h"
#include "support/RouterOracle.h"

namespace {

// A maze-stage router whose every edge costs `price`, every bend `bend`, and one tile of
// estimated distance `unit`.
std::unique_ptr<GlobalRouter> mazeRouter(int xs, int ys, float price, float bend, float unit) {
  auto router = makePlainRouter(xs, ys, 10, 10);
  router->stage = 2;
  router->baseCost = unit;
  router->costOffset = 0.0f;
  router->via_cost = bend;
  for (CostEntry& e : router->grid.func_2Dmap) e.x = e.y = price, e.z = bend;
  return router;
}

void setPrice(GlobalRouter& router, int x, int y, int hori, float price) {
  CostEntry& e = router.grid.func_2Dmap[router.grid.mapIndex(x, y)];
  (hori == 1 ? e.x : e.y) = price;
}

bool openSetEmpty(const GlobalRouter& router) {
  return router.heap->n == 0 && router.heap->min == nullptr && router.queue.count == 0 && router.queue.head == nullptr;
}

GridCell& cell(GlobalRouter& router, int x, int y) { return router.grid.cells.at(0, y, x); }

// A net routed as given: connection i has ends ends[i] and path paths[i].
Net makeRoutedNet(const std::vector<Point>& pins, const std::vector<std::pair<Point, Point>>& ends,
                  const std::vector<std::vector<RPoint>>& paths) {
  Net net;
  net.pins2D = pins;
  net.twoPins.reserve(ends.size());  // a TwoPin copy drops its path
  for (std::size_t i = 0; i < ends.size(); ++i) {
    net.twoPins.emplace_back(ends[i].first, ends[i].second, 0);
    net.twoPins.back().path = paths[i];
  }
  return net;
}

}  // namespace

TEST(MazeSearch, SingleConnectionFindsTheShortestPathAndSwapsItsEnds) {
  auto router = mazeRouter(5, 5, 1.0f, 0.0f, 1.0f);
  Net net = makeNet(1);
  TwoPin& t = net.twoPins[0];
  t.p1 = Point(0, 0), t.p2 = Point(3, 2);
  // The old detour: up to row 4, across, down to row 2 (9 units).
  t.path = {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 3, 0}, {0, 4, 1}, {1, 4, 1}, {2, 4, 1}, {3, 3, 0}, {3, 2, 0}};
  t.overflow = 7;
  const int stamp = router->searchStamp;
  router->MultiMaze(&t, net, 100);
  EXPECT_EQ(t.p1, Point(3, 2));  // the target reached
  EXPECT_EQ(t.p2, Point(0, 0));  // the source the path starts from
  EXPECT_TRUE(isChain(t.path, t.p1, t.p2));
  EXPECT_EQ(t.path.size(), 5u);
  EXPECT_EQ(t.wireLength, 5);
  EXPECT_EQ(t.pathCost, 5.0f);
  EXPECT_EQ(t.overflow, 0);
  EXPECT_TRUE(router->sources.empty());
  EXPECT_TRUE(router->targets.empty());
  EXPECT_EQ(router->searchStamp, stamp + 1);
  EXPECT_TRUE(openSetEmpty(*router));
}

// The old L costs its four edges; every new path pays a bend on top unless bends are free.
TEST(MazeSearch, CostBoundKeepsTheOldPathWhenNothingIsCheaper) {
  const std::vector<RPoint> oldPath = {{0, 0, 1}, {1, 0, 1}, {2, 0, 0}, {2, 1, 0}};
  for (const float bend : {1.0f, 0.0f}) {
    SCOPED_TRACE("bend " + std::to_string(bend));
    auto router = mazeRouter(3, 3, 1.0f, bend, 1.0f);
    Net net = makeNet(1);
    TwoPin& t = net.twoPins[0];
    t.p1 = Point(0, 0), t.p2 = Point(2, 2);
    t.path = oldPath;
    router->MultiMaze(&t, net, 100);
    if (bend > 0.0f) {
      EXPECT_EQ(t.path, oldPath);
      EXPECT_EQ(t.p1, Point(0, 0));
      EXPECT_EQ(t.p2, Point(2, 2));
      EXPECT_EQ(t.pathCost, 4.0f);  // the old path's cost
    } else {
      EXPECT_EQ(t.p1, Point(2, 2));
      EXPECT_EQ(t.path.size(), 4u);
      EXPECT_EQ(t.pathCost, 4.0f);
    }
    EXPECT_EQ(t.overflow, 0);
    EXPECT_TRUE(openSetEmpty(*router));
  }
}

// Row 1 is dear, so the only affordable paths detour over row 0 or row 2 with 6 units. The bound
// prunes a step when the length before it plus the estimate after it passes maxLen: the detour
// passes with maxLen 5 (5 + 0 at its last step) and fails with 4 (0 + 5 at its first).
TEST(MazeSearch, LengthBoundCountsTheLengthBeforeTheStep) {
  const std::vector<RPoint> oldPath = {{0, 1, 0}, {0, 2, 1}, {1, 2, 1}, {2, 2, 1}, {3, 2, 1}, {4, 1, 0}};
  for (const int maxLen : {4, 5}) {
    SCOPED_TRACE("maxLen " + std::to_string(maxLen));
    auto router = mazeRouter(5, 3, 1.0f, 0.0f, 1.0f);
    for (int x = 0; x < 4; ++x) setPrice(*router, x, 1, 1, 100.0f);
    Net net = makeNet(1);
    TwoPin& t = net.twoPins[0];
    t.p1 = Point(0, 1), t.p2 = Point(4, 1);
    t.path = oldPath;
    router->MultiMaze(&t, net, maxLen);
    if (maxLen == 4) {
      EXPECT_EQ(t.path, oldPath);
      EXPECT_EQ(t.p1, Point(0, 1));
    } else {
      EXPECT_EQ(t.p1, Point(4, 1));
      EXPECT_TRUE(isChain(t.path, t.p1, t.p2));
      EXPECT_EQ(t.path.size(), 6u);
    }
  }
}

// Pins P (0,0) and Q (5,2); the other connection runs P to the Steiner point S (5,0) along row 0.
// Rerouting S-Q starts at P (the only source pin), rides row 0 for free and climbs column 5.
TEST(MazeSearch, OwnNetEdgesAreFreeAndAddNoLength) {
  const struct {
    const char* name;
    bool staleOpenFlagOnS;
  } kCases[] = {{"clean cells", false}, {"S left open by an earlier search", true}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto router = mazeRouter(6, 3, 1.0f, 0.5f, 1.0f);
    const std::vector<RPoint> row0 = {{0, 0, 1}, {1, 0, 1}, {2, 0, 1}, {3, 0, 1}, {4, 0, 1}};
    Net net = makeRoutedNet({{0, 0}, {5, 2}}, {{{0, 0}, {5, 0}}, {{5, 0}, {5, 2}}},
                            {row0, {{4, 0, 1}, {4, 0, 0}, {4, 1, 0}, {4, 2, 1}}});
    for (const RPoint& r : row0) net.routedEdges.insert(r);
    if (c.staleOpenFlagOnS) {
      // An earlier search left S in its open set with a large key; only its key may survive.
      GridCell& s = cell(*router, 5, 0);
      s.inQueue = true;
      s.inDeque = true;
      s.key = 1.0e9f;
    }
    TwoPin& t = net.twoPins[1];
    router->MultiMaze(&t, net, 6);
    EXPECT_EQ(t.p1, Point(5, 2));
    EXPECT_EQ(t.p2, Point(0, 0));  // the ends moved to the pins
    EXPECT_TRUE(isChain(t.path, t.p1, t.p2));
    EXPECT_EQ(t.path.size(), 7u);
    EXPECT_EQ(t.pathCost, 2.5f);  // two priced edges and the bend at S
    EXPECT_EQ(cell(*router, 5, 2).length, 2);
    EXPECT_EQ(router->sources, (std::vector<Point>{{0, 0}}));
    // The free entries are priced again by the stage's rule afterwards.
    for (const RPoint& r : row0)
      EXPECT_EQ(router->grid.func_2Dmap[router->grid.mapIndex(r.x, r.y)].x, router->edgeCost(2, r.x, r.y, true));
    EXPECT_TRUE(openSetEmpty(*router));
  }
}

// Pins P (0,0) and R (5,2); the target side runs from the Steiner point S (1,2) to R along row
// 2. The search reaches row 2 early but may end only on the pin R. A stale pin X (3,0) that no
// connection ends on still has a union-find link to P from an earlier search: it must not be
// taken for a source.
TEST(MazeSearch, EndsOnTargetPinsOnlyAndSplitsThePinsBySide) {
  auto router = mazeRouter(6, 3, 1.0f, 0.0f, 1.0f);
  Net net = makeRoutedNet({{0, 0}, {5, 2}, {3, 0}}, {{{1, 2}, {5, 2}}, {{0, 0}, {1, 2}}},
                          {{{1, 2, 1}, {2, 2, 1}, {3, 2, 1}, {4, 2, 1}}, {{0, 0, 0}, {0, 1, 0}, {0, 2, 1}}});
  for (const RPoint& r : net.twoPins[0].path) net.routedEdges.insert(r);
  router->searchStamp = 5;
  GridCell& x = cell(*router, 3, 0);
  x.visitStamp = 4;
  x.ufParent = &cell(*router, 0, 0);
  TwoPin& t = net.twoPins[1];
  router->MultiMaze(&t, net, 10);
  EXPECT_EQ(router->sources, (std::vector<Point>{{0, 0}}));
  EXPECT_EQ(router->targets, (std::vector<Point>{{5, 2}, {3, 0}, {1, 2}, {2, 2}, {3, 2}, {4, 2}}));
  // X costs 3 as well, but its key carries its distance 2 to the box; R's last steps are free.
  EXPECT_EQ(t.p1, Point(5, 2));
  EXPECT_EQ(t.p2, Point(0, 0));
  EXPECT_TRUE(isChain(t.path, t.p1, t.p2));
  EXPECT_EQ(t.pathCost, 3.0f);
}

TEST(MazeSearch, EndsOnTheFarPinAcrossTheTargetSidesFreeEdges) {
  auto router = mazeRouter(6, 3, 1.0f, 0.0f, 1.0f);
  Net net = makeRoutedNet({{0, 0}, {5, 2}}, {{{1, 2}, {5, 2}}, {{0, 0}, {1, 2}}},
                          {{{1, 2, 1}, {2, 2, 1}, {3, 2, 1}, {4, 2, 1}}, {{0, 0, 0}, {0, 1, 0}, {0, 2, 1}}});
  for (const RPoint& r : net.twoPins[0].path) net.routedEdges.insert(r);
  TwoPin& t = net.twoPins[1];
  router->MultiMaze(&t, net, 10);
  EXPECT_EQ(t.p1, Point(5, 2));  // not the target side's first routed tile
  EXPECT_EQ(t.p2, Point(0, 0));
  EXPECT_TRUE(isChain(t.path, t.p1, t.p2));
  EXPECT_EQ(t.path.size(), 7u);
  EXPECT_EQ(t.pathCost, 3.0f);
  EXPECT_EQ(cell(*router, 5, 2).targetStamp, router->searchStamp - 1);
  EXPECT_NE(cell(*router, 3, 2).targetStamp, router->searchStamp - 1);
}

// Source (0,0), target (2,0) on a 3 x 2 grid with free bends and no estimate: the two-edge
// route along row 0 and the four-edge route over row 1 cost 2 each. Whichever reaches the target
// first, the shorter one must own it at the end.
TEST(MazeSearch, EqualKeyWithShorterLengthTakesTheParent) {
  const struct {
    const char* name;
    float rowPrices[2];     // h(0,0), h(1,0)
    float detourPrices[4];  // v(0,0), h(0,1), h(1,1), v(2,0)
  } kCases[] = {
      {"shorter arrives second", {1.5f, 0.5f}, {0.25f, 0.25f, 0.5f, 1.0f}},
      {"shorter arrives first", {1.0f, 1.0f}, {0.25f, 0.5f, 0.5f, 0.75f}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    auto router = mazeRouter(3, 2, 100.0f, 0.0f, 0.0f);
    setPrice(*router, 0, 0, 1, c.rowPrices[0]);
    setPrice(*router, 1, 0, 1, c.rowPrices[1]);
    setPrice(*router, 0, 0, 0, c.detourPrices[0]);
    setPrice(*router, 0, 1, 1, c.detourPrices[1]);
    setPrice(*router, 1, 1, 1, c.detourPrices[2]);
    setPrice(*router, 2, 0, 0, c.detourPrices[3]);
    Net net = makeNet(1);
    TwoPin& t = net.twoPins[0];
    t.p1 = Point(0, 0), t.p2 = Point(2, 0);
    t.path = {{0, 0, 0}, {0, 1, 1}, {1, 1, 1}, {2, 0, 0}};
    router->MultiMaze(&t, net, 100);
    EXPECT_EQ(t.path, (std::vector<RPoint>{{1, 0, 1}, {0, 0, 1}}));
    EXPECT_EQ(t.pathCost, 2.0f);
  }
}

// Insertion: at the head when no deque key is above it, at the tail when at or above the tail's
// key and below twice it, else into the heap. Taking: the smaller key first, the heap on a tie.
TEST(MazeOpenSet, InsertionAndTakeOrder) {
  auto router = mazeRouter(8, 1, 1.0f, 0.0f, 1.0f);
  const auto open = [&](int x, float key) {
    GridCell& c = cell(*router, x, 0);
    c.key = key;
    router->openInsert(&c);
    return c.inDeque;
  };
  EXPECT_TRUE(open(0, 3.0f));    // empty deque
  EXPECT_TRUE(open(1, 5.0f));    // tail 3 <= 5 < 6
  EXPECT_FALSE(open(2, 10.0f));  // 10 >= 2 * 5
  EXPECT_TRUE(open(3, 3.0f));    // equal to the head: in front
  EXPECT_FALSE(open(4, 4.0f));   // between head and tail
  EXPECT_TRUE(open(5, 1.0f));
  std::vector<int> order;
  while (GridCell* c = router->openTakeNext()) order.push_back(c->x);
  EXPECT_EQ(order, (std::vector<int>{5, 3, 0, 4, 1, 2}));

  // Heap minimum and deque head with the same key: the heap's cell leaves first.
  open(0, 3.0f);
  EXPECT_FALSE(open(1, 10.0f));
  EXPECT_EQ(router->openTakeNext()->x, 0);
  EXPECT_TRUE(open(2, 10.0f));  // the deque is empty again
  EXPECT_EQ(router->openTakeNext()->x, 1);
  EXPECT_EQ(router->openTakeNext()->x, 2);
  EXPECT_EQ(router->openTakeNext(), nullptr);
}

// After the last stamp the next search starts again from 0 with every cell's stamps cleared,
// so a target mark left from long ago cannot end the new search early.
TEST(MazeSearch, StampWrapsToZeroAndClearsTheCells) {
  auto router = mazeRouter(5, 1, 1.0f, 0.0f, 1.0f);
  router->searchStamp = INT_MAX - 1;
  cell(*router, 1, 0).targetStamp = 0;  // stale marks of stamp 0 from before the wrap
  cell(*router, 2, 0).visitStamp = 0;
  Net net = makeNet(1);
  TwoPin& t = net.twoPins[0];
  t.p1 = Point(0, 0), t.p2 = Point(4, 0);
  t.path = {{0, 0, 1}, {1, 0, 1}, {2, 0, 1}, {3, 0, 1}};
  router->MultiMaze(&t, net, 100);  // the last stamp: ends at the target (4,0)
  EXPECT_EQ(t.p1, Point(4, 0));
  EXPECT_EQ(router->searchStamp, 0);
  for (int x = 0; x < 5; ++x) {
    EXPECT_EQ(cell(*router, x, 0).visitStamp, -1);
    EXPECT_EQ(cell(*router, x, 0).targetStamp, -1);
  }
  cell(*router, 1, 0).targetStamp = 0;
  router->searchStamp = INT_MAX - 2;  // no wrap one stamp earlier
  router->traceBack(&t, net, false, nullptr, true);
  EXPECT_EQ(router->searchStamp, INT_MAX - 1);
  EXPECT_EQ(cell(*router, 1, 0).targetStamp, 0);
}

// A parent chain that loops must end the trace-back as a failed search, not hang it.
TEST(MazeSearch, TraceBackRefusesAParentCycle) {
  auto router = mazeRouter(3, 3, 1.0f, 0.0f, 1.0f);
  GridCell& a = cell(*router, 1, 1);
  GridCell& b = cell(*router, 1, 2);
  GridCell& c = cell(*router, 2, 2);
  a.parent = &b, b.parent = &c, c.parent = &a;
  router->openInserts = 3;
  Net net = makeNet(1);
  TwoPin& t = net.twoPins[0];
  t.p1 = Point(0, 0), t.p2 = Point(0, 1);
  t.path = {{0, 0, 0}};
  const int stamp = router->searchStamp;
  testing::internal::CaptureStdout();
  EXPECT_FALSE(router->traceBack(&t, net, true, &a, true));
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("ERROR GlobalRouter 2302"), std::string::npos) << out;
  EXPECT_EQ(t.path, (std::vector<RPoint>{{0, 0, 0}}));
  EXPECT_EQ(t.p1, Point(0, 0));
  EXPECT_EQ(router->searchStamp, stamp + 1);
}

// The layered form keeps each unit's layer and turns a change of layer into one via unit.
TEST(MazeSearch, LayeredTraceBackListsViasAndLayers) {
  auto router = makePlainRouter(3, 3, 10, 10);
  router->zNum = router->grid.zNum = 3;
  router->grid.cells.allocateUpper(3);
  GridCell& end = router->grid.cells.at(2, 1, 1);
  GridCell& down = router->grid.cells.at(1, 1, 1);
  GridCell& west = router->grid.cells.at(1, 1, 0);
  end.parent = &down, down.parent = &west, west.parent = nullptr;
  router->openInserts = 3;
  Net net = makeNet(1);
  TwoPin& t = net.twoPins[0];
  EXPECT_TRUE(router->traceBack(&t, net, true, &end, false));
  EXPECT_EQ(t.path.size(), 2u);
  EXPECT_EQ(t.path[0].hori, 2);
  EXPECT_EQ(t.path[0].z, 1);
  EXPECT_EQ(t.path[1].hori, 1);
  EXPECT_EQ(t.path[1].x, 0);
  EXPECT_EQ(t.path[1].z, 1);
  EXPECT_EQ(t.p1.z, 2);
  EXPECT_EQ(t.p2, Point(0, 1));
  EXPECT_EQ(t.p2.z, 1);
  EXPECT_EQ(t.wireLength, 2);
}
