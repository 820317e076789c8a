// The spanning-tree decomposition's guards: a tile map that does not cover every pin ends the
// run, and two pins on one tile never become a connection.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "steiner/MST.h"

namespace {

TEST(MSTDeathTest, PinOutsideTheTileMapEndsTheRun) {
  TileMap map;
  map.allocate(3, 2);
  const Point kOutside[] = {Point(3, 0), Point(0, 2), Point(-1, 1), Point(1, -1)};
  for (const Point& p : kOutside) {
    const std::vector<Point> pins{Point(2, 1), p};
    std::vector<Link> out;
    const std::string at = std::to_string(p.x) + "," + std::to_string(p.y);
    SCOPED_TRACE(at);
    EXPECT_EXIT(MST(pins, out, map, true), testing::ExitedWithCode(1),
                "^Error: MST: pin \\(" + at + "\\) lies outside the 3x2 tile map\n$");
  }
  // The corners of the map are inside it; without the map nothing is checked.
  std::vector<Link> out;
  MST({Point(0, 0), Point(2, 1)}, out, map, true);
  MST({Point(0, 0), Point(9, 9)}, out, map, false);
  EXPECT_EQ(out.size(), 2u);
}

// Pins 0 and 2 share tile (2,3) on different layers: their zero-length link is the cheapest,
// joins them, and yields no connection; the two real links remain.
TEST(BuildCongestionDrivenTree, PinsOnOneTileGiveNoConnection) {
  std::vector<Net> nets(1);
  nets[0].pins2D = {Point(2, 3, 0), Point(5, 3, 0), Point(2, 3, 1), Point(5, 1, 0)};
  BuildCongestionDrivenTree(nets);
  const Net& n = nets[0];
  ASSERT_EQ(n.twoPins.size(), 2u);
  for (const TwoPin& t : n.twoPins) {
    EXPECT_NE(t.p1, t.p2);
    EXPECT_EQ(t.netIndex, 0);
  }
  EXPECT_EQ(n.wireLength, 5);
  EXPECT_EQ(n.treeLength, 5);
}

}  // namespace
