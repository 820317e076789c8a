// The planar maze search on a hand-made cost map: free own-net edges, the ends it leaves, also
// when an earlier search left a pin cell open.

#include <gtest/gtest.h>

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
