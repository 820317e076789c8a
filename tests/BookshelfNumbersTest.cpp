// Numbers of a bookshelf set as the readers store them: placement coordinates and pin offsets
// truncated toward zero, and capacity adjustments named by their lower or left tile.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "Bookshelf.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/RunProcess.h"

namespace {

template <class Body>
void quietly(Body body) {
  ::testing::internal::CaptureStdout();
  body();
  std::fflush(stdout);
  ::testing::internal::GetCapturedStdout();
}

TEST(PlacementFile, CoordinatesTruncateTowardZero) {
  TempDir dir;
  const std::string pl = dir.write("a.pl", "UCLA pl 1.0\n\no0 10.9 -3.7 : N\np0 -0.5 7.999 : N /FIXED\n");
  std::vector<placeCell> cells(2);
  quietly([&] { read_place_file(pl.c_str(), cells, 1); });
  EXPECT_EQ((std::vector<int>{cells[0].x, cells[0].y, cells[1].x, cells[1].y}), (std::vector<int>{10, -3, 0, 7}));
}

// Node o0 has its corner at (100, 50) and is 10 x 4; a pin lies at the corner plus
// trunc(offset + 0.5 + size / 2) on each axis. Tiles are 1 x 1 from the origin, so a pin's tile
// is its position. Each net joins one o0 pin to o1, far away.
TEST(NetFile, PinOffsetsTruncateTowardZero) {
  const struct {
    const char* offsets;
    int px, py;
  } kPins[] = {
      {"0 0", 105, 52},   {"-2 -2", 103, 50}, {"-5.6 -2.6", 100, 50},
      {"-6 -3", 100, 50}, {"-7 -4", 99, 49},  {"2.4 1.4", 107, 53},
  };
  std::string nets = "NumNets : 6\nNumPins : 12\n\n";
  for (const auto& p : kPins)
    nets += "NetDegree : 2 n" + std::to_string(&p - kPins) + "\n o0 I : " + p.offsets + "\n o1 O\n";
  std::vector<placeCell> cells(2);
  cells[0].x = 100, cells[0].y = 50, cells[0].width = 10, cells[0].height = 4;
  cells[1].x = 20, cells[1].y = 20;
  cells[0].placeLine = cells[1].placeLine = 1;
  NetDB db;
  db.gridX = db.gridY = 200, db.numLayers = 1, db.tileWidth = db.tileHeight = 1;
  parameterSet params;
  TempDir dir;
  const std::string path = dir.write("a.nets", nets);
  quietly([&] { read_net_file(path.c_str(), cells, db, params, 2); });
  ASSERT_EQ(db.nets.size(), std::size(kPins));
  for (std::size_t i = 0; i < db.nets.size(); ++i) {
    SCOPED_TRACE(kPins[i].offsets);
    const Point& pin = db.nets[i].pins3D[0];
    EXPECT_EQ((std::vector<int>{pin.x, pin.y}), (std::vector<int>{kPins[i].px, kPins[i].py}));
  }
}

// Both ends of an adjustment are read, in either order: a vertical edge is named by its lower
// tile, a horizontal one by its left tile.
TEST(RouteFile, AdjustmentsNameTheirEdgeByTheLowerOrLeftTile) {
  TempDir dir;
  const std::string route =
      dir.write("a.route",
                "Grid : 10 10 2\nVerticalCapacity : 0 20\nHorizontalCapacity : 20 0\nMinWireWidth : 1 1\n"
                "MinWireSpacing : 1 1\nViaSpacing : 0 0\nGridOrigin : 0 0\nTileSize : 10 10\n"
                "NumEdgeCapacityAdjustments : 4\n5 7 2 5 6 2 8\n5 6 2 5 7 2 8\n8 3 1 7 3 1 8\n7 3 1 8 3 1 8\n");
  std::vector<placeCell> cells;
  NetDB db;
  const parameterSet params;
  quietly([&] { read_route_file(route.c_str(), cells, db, params, 0); });
  std::vector<std::vector<int>> edges;
  for (const RPoint& e : db.adjEdges) edges.push_back({e.hori, e.x, e.y, e.z});
  EXPECT_EQ(edges, (std::vector<std::vector<int>>{{0, 5, 6, 1}, {0, 5, 6, 1}, {1, 7, 3, 0}, {1, 7, 3, 0}}));
}

}  // namespace
