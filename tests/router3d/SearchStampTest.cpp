// The search stamp's wrap: after the last stamp value every cell's visit and target stamps are
// cleared, so no stale mark can pass for one of the restarted stamps.

#include <gtest/gtest.h>

#include <climits>

#include "router/BoundingBox.h"
#include "router/GridCell.h"
#include "router3d/LayeredSearch.h"
#include "router3d/Router3DFixture.h"

namespace {

TEST(SearchStamp, WrapsToZeroAndClearsEveryCell) {
  testing::internal::CaptureStdout();
  auto r = makeLayeredRouter(4, 3, {2, 0, 2}, {0, 2, 0}, {1, 1, 1});
  testing::internal::GetCapturedStdout();
  Net net;
  net.pins2D = {Point(0, 0), Point(3, 2)};
  net.twoPins.emplace_back(Point(0, 0), Point(3, 2), 0);
  TwoPin& t = net.twoPins[0];

  // Planar: the search that ends on stamp 2147483646 hands on stamp 0 with all marks cleared.
  r->searchStamp = INT_MAX - 1;
  auto markPlanarCells = [&] {
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) r->grid.cells.at(0, y, x).visitStamp = r->grid.cells.at(0, y, x).targetStamp = 0;
  };
  auto planarCellsCleared = [&] {
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x)
        if (r->grid.cells.at(0, y, x).visitStamp != -1 || r->grid.cells.at(0, y, x).targetStamp != -1) return false;
    return true;
  };
  markPlanarCells();
  r->traceBack(&t, net, false, nullptr, true);
  EXPECT_EQ(r->searchStamp, 0);
  EXPECT_TRUE(planarCellsCleared());

  // Layered: a search on the last stamp clears its own cells too, and the next search, on
  // stamp 0, finds a path of the same price back.
  BoundingBox box;
  ASSERT_GT(r->MultiMaze3D(&t, net, INT_MAX, box), 0);
  const float first = t.pathCost;
  r->searchStamp = INT_MAX - 1;
  markPlanarCells();
  ASSERT_GT(r->MultiMaze3D(&t, net, INT_MAX, box), 0);
  EXPECT_EQ(t.pathCost, first);
  EXPECT_EQ(r->searchStamp, 0);
  EXPECT_TRUE(planarCellsCleared());
  for (const LayeredCell& c : r->search3D->cells) {
    EXPECT_EQ(c.visitStamp, -1);
    EXPECT_EQ(c.targetStamp, -1);
  }
  ASSERT_GT(r->MultiMaze3D(&t, net, INT_MAX, box), 0);
  EXPECT_EQ(t.pathCost, first);
  EXPECT_EQ(r->searchStamp, 1);
}

}  // namespace
