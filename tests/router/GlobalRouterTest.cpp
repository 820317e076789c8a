#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "router/GlobalRouter.h"

namespace {

using ::testing::HasSubstr;

struct Built {
  std::unique_ptr<GlobalRouter> router;
  std::string out;  // what construction printed
};

// A 4 x 3 grid, two layers of 5 + 5 horizontal and 3 + 3 vertical tracks (hCapacity 10, vCapacity 6).
Built build(const std::vector<RPoint>& adjEdges, const std::vector<int>& adjCapacity,
            const std::vector<std::vector<int>>& pins = {}, double factor = 0.0, int xs = 4, int ys = 3) {
  const std::vector<std::vector<int>> noRepeats;
  testing::internal::CaptureStdout();
  auto r = std::make_unique<GlobalRouter>(xs, ys, 2, 10, 6, std::vector<int>{5, 5}, std::vector<int>{3, 3}, adjEdges,
                                          adjCapacity, std::vector<int>{2, 2}, noRepeats, pins, factor);
  return {std::move(r), testing::internal::GetCapturedStdout()};
}

std::vector<std::vector<int>> pinGrid(int xs, int ys, std::vector<std::tuple<int, int, int>> counts) {
  std::vector<std::vector<int>> g(xs, std::vector<int>(ys, 0));
  for (auto [x, y, n] : counts) g[x][y] = n;
  return g;
}

TEST(RouterConstruction, AdjustmentBecomesDemandAndTotalShowsNewCapacities) {
  // Layer 1 horizontal edge (1,2) drops from 5 to 2 tracks; layer 0 vertical (3,0) from 3 to 0.
  const Built b = build({RPoint(1, 2, 1, 1), RPoint(3, 0, 0, 0)}, {2, 0});
  EXPECT_EQ(b.out, "total adjust capacity=2\n");
  EXPECT_EQ(b.router->grid.hUsage[1][2], 3);
  EXPECT_EQ(b.router->grid.vUsage[3][0], 3);
  EXPECT_EQ(b.router->getWirelength(), 6);  // nothing else pre-loaded
  EXPECT_EQ(b.router->totalOF, 0);
  EXPECT_EQ(b.router->hCapacity, 10);  // capacities stay
}

TEST(RouterConstruction, DuplicateAdjustmentsEachSubtractFromTheLayerDefault) {
  const Built b = build({RPoint(0, 0, 0, 1), RPoint(0, 0, 0, 1)}, {4, 3});
  EXPECT_EQ(b.router->grid.hUsage[0][0], (5 - 4) + (5 - 3));
  EXPECT_EQ(b.out, "total adjust capacity=7\n");
}

TEST(RouterConstruction, MismatchedListsReportAndApplyOnlyThePairs) {
  const Built longer = build({RPoint(0, 0, 0, 1), RPoint(1, 0, 0, 1)}, {1});
  EXPECT_EQ(longer.out, "ERROR: GlobalRouter 172\ntotal adjust capacity=1\n");
  EXPECT_EQ(longer.router->grid.hUsage[0][0], 4);
  EXPECT_EQ(longer.router->grid.hUsage[1][0], 0);
  const Built shorter = build({RPoint(0, 0, 0, 1)}, {2, 0, 0});
  EXPECT_EQ(shorter.out, "ERROR: GlobalRouter 172\ntotal adjust capacity=2\n");
  EXPECT_EQ(shorter.router->grid.hUsage[0][0], 3);
}

TEST(RouterConstruction, OutOfRangeAdjustmentIsSkippedWithAnErrorLine) {
  const struct {
    const char* name;
    RPoint edge;
  } kBad[] = {{"horizontal edge past the last column", RPoint(3, 0, 0, 1)},
              {"vertical edge past the last row", RPoint(0, 2, 0, 0)},
              {"negative column", RPoint(-1, 0, 0, 1)},
              {"layer above the top", RPoint(0, 0, 2, 1)},
              {"negative layer", RPoint(0, 0, -1, 0)}};
  for (const auto& c : kBad) {
    SCOPED_TRACE(c.name);
    const Built b = build({c.edge, RPoint(0, 0, 0, 1)}, {1, 4});
    EXPECT_THAT(b.out, HasSubstr("ERROR GlobalRouter 173"));
    EXPECT_THAT(b.out, HasSubstr("total adjust capacity=4\n"));
    EXPECT_EQ(b.router->getWirelength(), 1);  // only the valid one applied
  }
}

TEST(RouterConstruction, PinBlockageReachesEveryExistingIncidentEdge) {
  // 3 pins, factor 0.5: ceil(1.5) = 2 on each incident edge.
  const Built corner = build({}, {}, pinGrid(4, 3, {{0, 0, 3}}), 0.5);
  EXPECT_EQ(corner.router->grid.hUsage[0][0], 2);
  EXPECT_EQ(corner.router->grid.vUsage[0][0], 2);
  EXPECT_EQ(corner.router->getWirelength(), 4);  // a corner touches two edges

  const Built inner = build({}, {}, pinGrid(4, 3, {{1, 1, 3}}), 0.5);
  EXPECT_EQ(inner.router->grid.hUsage[0][1], 2);
  EXPECT_EQ(inner.router->grid.hUsage[1][1], 2);
  EXPECT_EQ(inner.router->grid.vUsage[1][0], 2);
  EXPECT_EQ(inner.router->grid.vUsage[1][1], 2);
  EXPECT_EQ(inner.router->getWirelength(), 8);

  const Built far = build({}, {}, pinGrid(4, 3, {{3, 2, 3}}), 0.5);
  EXPECT_EQ(far.router->grid.hUsage[2][2], 2);
  EXPECT_EQ(far.router->grid.vUsage[3][1], 2);
  EXPECT_EQ(far.router->getWirelength(), 4);

  // Both end tiles of horizontal edge (1,1) block it: 2 + 2.
  const Built both = build({}, {}, pinGrid(4, 3, {{1, 1, 3}, {2, 1, 3}}), 0.5);
  EXPECT_EQ(both.router->grid.hUsage[1][1], 4);
}

TEST(RouterConstruction, PinBlockageStopsAtCapacityAndNeverLowersDemand) {
  // Horizontal (0,0) pre-loaded to 9 of 10 by adjustments 5 -> 0 and 5 -> 1.
  const Built capped = build({RPoint(0, 0, 0, 1), RPoint(0, 0, 1, 1)}, {0, 1}, pinGrid(4, 3, {{0, 0, 10}}), 0.5);
  EXPECT_EQ(capped.router->grid.hUsage[0][0], 10);  // 9 + 5 capped at 10
  EXPECT_EQ(capped.router->grid.vUsage[0][0], 5);   // 0 + 5, below 6

  // Over capacity before blockage (three adjustments: 5 + 5 + 2 = 12 > 10): stays 12.
  const Built over =
      build({RPoint(0, 0, 0, 1), RPoint(0, 0, 1, 1), RPoint(0, 0, 0, 1)}, {0, 0, 3}, pinGrid(4, 3, {{0, 0, 1}}), 1.0);
  EXPECT_EQ(over.router->grid.hUsage[0][0], 12);
  EXPECT_EQ(over.router->totalOF, 0);  // pre-loaded demand never counts as overflow

  // A factor so large the product leaves the int range: capped, no overflow.
  const Built huge = build({}, {}, pinGrid(4, 3, {{1, 1, 7}}), 1e300);
  EXPECT_EQ(huge.router->grid.hUsage[1][1], 10);
  EXPECT_EQ(huge.router->grid.vUsage[1][0], 6);

  const Built none = build({}, {}, pinGrid(4, 3, {{1, 1, 7}}), 0.0);
  EXPECT_EQ(none.router->getWirelength(), 0);
}

TEST(RouterConstruction, OneByOneGridHasNoEdges) {
  const Built b = build({}, {}, pinGrid(1, 1, {{0, 0, 4}}), 1.0, 1, 1);
  EXPECT_EQ(b.out, "total adjust capacity=0\n");
  EXPECT_EQ(b.router->getWirelength(), 0);
  EXPECT_EQ(b.router->grid.cells.at(0, 0, 0).heapNode.data, &b.router->grid.cells.at(0, 0, 0));
  int x = 0, y = 0, of = 7;
  EXPECT_EQ(b.router->getMaxHistory(x, y, of), 0);
  EXPECT_EQ(of, 0);
}

TEST(RouterConstruction, LayeredStateIsMadeOnlyOnRequest) {
  const Built b = build({}, {});
  GridGraph& g = b.router->grid;
  EXPECT_FALSE(g.layered());
  EXPECT_EQ(g.cells.layers(), 1);
  EXPECT_TRUE(g.func_map.empty());
  GridCell* first = &g.cells.at(0, 1, 2);
  g.allocate3D();
  EXPECT_TRUE(g.layered());
  EXPECT_EQ(g.cells.layers(), 1);  // the layered search keeps its own cells
  EXPECT_EQ(&g.cells.at(0, 1, 2), first);
  EXPECT_EQ(g.func_map.size(), 4u * 3u * 2u);
  EXPECT_EQ(g.usage3D.at(1, 2, 3).z, 0);
  g.usage3D.at(1, 2, 3).z = 5;
  g.allocate3D();  // a second call keeps the state
  EXPECT_EQ(g.usage3D.at(1, 2, 3).z, 5);
  // Cells of further layers start fresh; a wrapped search stamp clears the stamps of every layer.
  g.cells.allocateUpper(2);
  const GridCell& c = g.cells[1][2][3];
  EXPECT_EQ(c.x, 3);
  EXPECT_EQ(c.y, 2);
  EXPECT_EQ(c.z, 1);
  EXPECT_EQ(c.heapNode.data, &c);
  EXPECT_EQ(c.visitStamp, -1);
  EXPECT_EQ(c.key, 2147483648.0f);
  g.cells.at(0, 0, 0).visitStamp = 9;
  g.cells.at(1, 2, 3).targetStamp = 9;
  g.cells.clearStamps();
  EXPECT_EQ(g.cells.at(0, 0, 0).visitStamp, -1);
  EXPECT_EQ(g.cells.at(1, 2, 3).targetStamp, -1);
}

using GetCostDeathTest = ::testing::Test;
TEST(GetCostDeathTest, MissingEdgesAbortInEveryBuild) {
  const Built b = build({}, {});
  const GridGraph& g = b.router->grid;
  EXPECT_EQ(g.getCost(2, 2, true), 0);   // last horizontal edge
  EXPECT_EQ(g.getCost(3, 1, false), 0);  // last vertical edge
  EXPECT_DEATH(g.getCost(3, 0, true), "GridGraph:276.*x < xNum - 1");
  EXPECT_DEATH(g.getCost(0, 3, true), "GridGraph:277");
  EXPECT_DEATH(g.getCost(0, 2, false), "GridGraph:277.*y < yNum - 1");
  EXPECT_DEATH(g.getCost(-1, 0, false), "GridGraph:276");
}

}  // namespace
