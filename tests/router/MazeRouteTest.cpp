// The planar maze search on hand-made cost maps: shortest paths and the ends they leave, and
// the cost and length bounds.

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
