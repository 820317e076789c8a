// The search box: growing, containment and both distance forms.

#include <gtest/gtest.h>

#include "router/BoundingBox.h"

TEST(BoundingBox, GrowsFromEmptyToTheBoundsOfItsPoints) {
  BoundingBox box;
  EXPECT_FALSE(box.inside(0, 0));
  box.Bondary(4, 1);
  EXPECT_TRUE(box.inside(4, 1));
  box.Bondary(2, 6);
  box.Bondary(3, 3);
  EXPECT_EQ(box.ll, Point(2, 1));
  EXPECT_EQ(box.ur, Point(4, 6));

  BoundingBox fromList;
  fromList.Bondary(std::vector<Point>{{9, 9}, {7, 12}, {8, 10}});
  EXPECT_EQ(fromList.ll, Point(7, 9));  // starts from the first point, not from the empty box
  EXPECT_EQ(fromList.ur, Point(9, 12));
  EXPECT_TRUE(fromList.inside(RPoint(8, 11, 1)));
  EXPECT_FALSE(fromList.inside(Point(6, 10)));
  EXPECT_TRUE(box.inside(BoundingBox{Point(3, 5), Point(2, 2)}));
  EXPECT_FALSE(box.inside(BoundingBox{Point(5, 5), Point(2, 2)}));
}

// Box ll = (2, 1), ur = (4, 6). The search form clamps; the point form takes the nearer side
// inside a range and the nearest corner outside both.
TEST(BoundingBox, DistanceToTheBox) {
  BoundingBox box;
  box.Bondary(2, 1);
  box.Bondary(4, 6);
  const struct {
    const char* name;
    int x, y, clamped, pointForm;
  } kCases[] = {
      {"inside", 3, 3, 0, 0},
      {"on the border", 4, 6, 0, 0},
      {"left, within the rows", 0, 4, 2, 2},
      {"above, within the columns", 3, 9, 3, 3},
      {"below-right corner region", 7, -2, 6, 6},
      {"above-left corner region", 1, 8, 3, 3},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(box.distance(c.x, c.y), c.clamped);
    EXPECT_EQ(box.distance(Point(c.x, c.y)), c.pointForm);
  }
}
