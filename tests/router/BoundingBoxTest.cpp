// The search box against brute force over its tiles: membership, growth and the distance to it.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <random>
#include <tuple>
#include <vector>

#include "router/BoundingBox.h"
#include "router/GridGraph.h"

namespace {

// Random boxes in a 7 x 7 area, every point around them: the four `inside` forms agree with
// the box's tiles, and both `distance` forms give the Manhattan distance to the nearest tile.
TEST(SearchBox, MembershipAndDistanceMatchItsTiles) {
  std::mt19937 rng(5);
  const CellGrid cells;  // the search's grid, which the distance does not read
  for (int k = 0; k < 300; ++k) {
    BoundingBox box;
    const int x0 = int(rng() % 7), x1 = int(rng() % 7), y0 = int(rng() % 7), y1 = int(rng() % 7);
    box.ll = Point(std::min(x0, x1), std::min(y0, y1));
    box.ur = Point(std::max(x0, x1), std::max(y0, y1));
    auto tileOf = [&](int x, int y) { return box.ll.x <= x && x <= box.ur.x && box.ll.y <= y && y <= box.ur.y; };
    for (int x = -3; x <= 9; ++x)
      for (int y = -3; y <= 9; ++y) {
        SCOPED_TRACE(testing::Message() << "box " << k << " point (" << x << "," << y << ")");
        int nearest = INT_MAX;
        for (int tx = box.ll.x; tx <= box.ur.x; ++tx)
          for (int ty = box.ll.y; ty <= box.ur.y; ++ty)
            nearest = std::min(nearest, std::abs(tx - x) + std::abs(ty - y));
        ASSERT_EQ(box.inside(x, y), tileOf(x, y));
        ASSERT_EQ(box.inside(Point(x, y)), tileOf(x, y));
        ASSERT_EQ(box.inside(RPoint(x, y, 3, 1)), tileOf(x, y));
        ASSERT_EQ(box.distance(x, y, cells, 7), nearest);
        ASSERT_EQ(box.distance(Point(x, y)), nearest);
      }
    // Box in box: every tile of the other box is a tile of this one.
    BoundingBox other;
    other.ll = Point(int(rng() % 7), int(rng() % 7));
    other.ur = Point(other.ll.x + int(rng() % 3), other.ll.y + int(rng() % 3));
    const bool within = tileOf(other.ll.x, other.ll.y) && tileOf(other.ur.x, other.ur.y);
    EXPECT_EQ(box.inside(other), within) << "box " << k;
  }
}

// Growing an empty box by grid points (never negative) gives their bounds; a list sets the box to its own bounds,
// whatever the box held before, and an empty list leaves it.
TEST(SearchBox, GrowsToTheBoundsOfItsPoints) {
  std::mt19937 rng(9);
  for (int k = 0; k < 100; ++k) {
    std::vector<Point> pts;
    for (int i = 0, n = 1 + int(rng() % 6); i < n; ++i) pts.emplace_back(int(rng() % 20), int(rng() % 20));
    BoundingBox grown, listed;
    listed.ll = Point(-100, -100), listed.ur = Point(100, 100);
    for (const Point& p : pts) grown.Bondary(p.x, p.y);
    listed.Bondary(pts);
    Point lo(INT_MAX, INT_MAX), hi(INT_MIN, INT_MIN);
    for (const Point& p : pts)
      lo = Point(std::min(lo.x, p.x), std::min(lo.y, p.y)), hi = Point(std::max(hi.x, p.x), std::max(hi.y, p.y));
    const auto bounds = std::tuple(lo.x, lo.y, hi.x, hi.y);
    auto of = [](const BoundingBox& b) { return std::tuple(b.ll.x, b.ll.y, b.ur.x, b.ur.y); };
    EXPECT_EQ(of(grown), bounds) << "box " << k;
    EXPECT_EQ(of(listed), bounds) << "box " << k;
    listed.Bondary(std::vector<Point>{});
    EXPECT_EQ(of(listed), bounds) << "box " << k;
  }
}

}  // namespace
