// The blockage capacity model: covered lengths, the scaled capacities and which tile
// boundaries a blocking rectangle reaches.
#include <gtest/gtest.h>

#include <cstdio>

#include "BlockageModel.h"
#include "Bookshelf.h"
#include "db/NetDB.h"

namespace {

// 3 x 3 tiles of 40 x 40 from the origin. Layer 0: vertical, 20 units, pitch 2 (10 tracks).
// Layer 1: horizontal, 20 units, pitch 2. Layer 2: vertical 1 unit, pitch 2 (no tracks).
// Layer 3: both directions, 20 units each, pitch 2. Layer 4: vertical 45 units, pitch 4.
NetDB grid(int tileWidth = 40) {
  NetDB db;
  db.gridX = 3, db.gridY = 3, db.numLayers = 5;
  db.tileWidth = tileWidth, db.tileHeight = 40;
  db.verticalCapacity = {20, 0, 1, 20, 45};
  db.horizontalCapacity = {0, 20, 0, 20, 0};
  db.minWireWidth = {1, 1, 1, 1, 2};
  db.minWireSpacing = {1, 1, 1, 1, 2};
  db.wirePitch = {2, 2, 2, 2, 4};
  for (int z = 0; z < 5; ++z) {
    db.verticalTracks.push_back(db.verticalCapacity[z] / db.wirePitch[z]);
    db.horizontalTracks.push_back(db.horizontalCapacity[z] / db.wirePitch[z]);
  }
  return db;
}

placeCell node(int x, int y, int w, int h, std::vector<int> layers, std::vector<shape> shapes = {}) {
  placeCell c;
  c.x = x, c.y = y, c.width = w, c.height = h;
  c.blockedLayers = std::move(layers);
  c.shapes = std::move(shapes);
  return c;
}

// {hori, x, y, z, tracks} of every adjustment.
std::vector<std::vector<int>> adjust(std::vector<placeCell> cells, NetDB db) {
  ::testing::internal::CaptureStdout();
  adjust_capacity(cells, db);
  std::fflush(stdout);
  EXPECT_EQ(::testing::internal::GetCapturedStdout(), "adjust grid edge capacity\n");
  std::vector<std::vector<int>> v;
  for (std::size_t i = 0; i < db.adjEdges.size(); ++i) {
    const RPoint& e = db.adjEdges[i];
    v.push_back({e.hori, e.x, e.y, e.z, db.adjCapacity[i]});
  }
  return v;
}

using Edges = std::vector<std::vector<int>>;

TEST(BlockageCapacity, ScalesTheLayerCapacityAndCutsToWholePitches) {
  // A node across the top of row 0, covering `blocked` units of column 0.
  const struct {
    int blocked;
    int tracks;
  } kCases[] = {
      {10, 7},  // 20 * 30/40 = 15 -> 14
      {40, 0},  // fully covered
      {1, 9},   // 19.5 -> 19 -> 18
      {20, 5},  // 10 exactly
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.blocked);
    EXPECT_EQ(adjust({node(0, 30, c.blocked, 20, {0})}, grid()), (Edges{{0, 0, 0, 0, c.tracks}}));
  }
  // 45 units, pitch 4, tile 1000 wide, 1 covered: 44.955 -> 44, which differs from 45, so the
  // layer's own 11 tracks are listed.
  EXPECT_EQ(adjust({node(0, 30, 1, 20, {4})}, grid(1000)), (Edges{{0, 0, 0, 4, 11}}));
  // The quotient comes first: 22 * (15 / 22) is just below 15 in double precision, so a layer
  // of 22 units and pitch 1 keeps 14 tracks where 22 * 15 / 22 would keep 15.
  NetDB narrow = grid(22);
  narrow.verticalCapacity[0] = 22, narrow.minWireSpacing[0] = 0;
  EXPECT_EQ(adjust({node(0, 30, 7, 20, {0})}, narrow), (Edges{{0, 0, 0, 0, 14}}));
}

TEST(BlockageCapacity, CountsOverlapsOnceWhateverTheNodeOrder) {
  const placeCell a = node(5, 30, 10, 20, {0}), b = node(10, 30, 15, 20, {0}), c = node(30, 30, 2, 20, {0});
  // Union 5..25 and 30..32 = 22 of 40: 20 * 18/40 = 9 -> 8 -> 4 tracks.
  EXPECT_EQ(adjust({a, b, c}, grid()), (Edges{{0, 0, 0, 0, 4}}));
  EXPECT_EQ(adjust({c, b, a}, grid()), (Edges{{0, 0, 0, 0, 4}}));
}

TEST(BlockageCapacity, ReachesOnlyTheBoundariesItCovers) {
  const struct {
    const char* name;
    std::vector<placeCell> cells;
    Edges edges;
  } kCases[] = {
      {"inside one row blocks nothing", {node(0, 5, 40, 30, {0})}, {}},
      {"two rows, two columns",
       {node(30, 30, 20, 60, {0})},
       {{0, 0, 0, 0, 7}, {0, 0, 1, 0, 7}, {0, 1, 0, 0, 7}, {0, 1, 1, 0, 7}}},
      {"the grid's top is no edge", {node(0, 100, 40, 40, {0})}, {}},
      {"clipped at the grid's left side", {node(-20, 30, 40, 20, {0})}, {{0, 0, 0, 0, 5}}},
      {"horizontal layer: right boundary, along y", {node(30, 0, 20, 10, {1})}, {{1, 0, 0, 1, 7}}},
      {"shapes replace the node's rectangle",
       {node(0, 0, 120, 120, {0}, {shape{40, 70, 10, 20}, shape{0, 0, 5, 5}})},
       {{0, 1, 1, 0, 7}}},
      {"lower side on an interior row boundary", {node(0, 40, 10, 20, {0})}, {{0, 0, 0, 0, 7}}},
      {"left side on an interior column boundary", {node(40, 30, 20, 20, {1})}, {{1, 0, 0, 1, 7}, {1, 0, 1, 1, 7}}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(adjust(c.cells, grid()), c.edges);
  }
}

}  // namespace
