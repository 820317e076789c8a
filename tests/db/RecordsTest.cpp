// The shared records: what their comparisons ignore, how copies behave, how they print.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "db/NetDB.h"

namespace {

TEST(Records, PointsInOneTileAreEqualWhateverTheirLayer) {
  EXPECT_TRUE(Point(3, 4, 0) == Point(3, 4, 2));
  EXPECT_FALSE(Point(3, 4, 0) != Point(3, 4, 2));
  EXPECT_TRUE(Point(3, 4) != Point(4, 3));
  EXPECT_EQ(Point(1, 5, 0).distance(Point(4, 1, 3)), 7);
  EXPECT_TRUE(Point(1, 9) < Point(2, 0));
  EXPECT_FALSE(Point(2, 0, 1) < Point(2, 0, 0));
}

TEST(Records, RPointOrderDependsOnDirection) {
  // Horizontal edges order by row first, vertical edges by column first.
  EXPECT_TRUE(RPoint(5, 1, 1) < RPoint(0, 2, 1));
  EXPECT_TRUE(RPoint(1, 5, 0) < RPoint(2, 0, 0));
  EXPECT_TRUE(RPoint(9, 9, 0) < RPoint(0, 0, 1));
  EXPECT_TRUE(RPoint(2, 3, 0, 1) == RPoint(2, 3, 4, 1));  // the operator ignores the layer
  EXPECT_FALSE(eqRPoint{}(RPoint(2, 3, 0, 1), RPoint(2, 3, 4, 1)));
  EXPECT_EQ(RPointHash{}(RPoint(6, 2, 1)), std::size_t((2 + 1) ^ 6));
  EXPECT_EQ(RPointHash{}(RPoint(-6, 2, 0)), std::size_t(std::int64_t(2 ^ -6)));
}

TEST(Records, OrdersSortByScoreThenByLength) {
  TwoPin shortOne(Point(0, 0), Point(1, 0), 0), longOne(Point(0, 0), Point(3, 4), 0);
  const Order high{&shortOne, 5.0}, low{&longOne, 1.0}, tieLong{&longOne, 5.0};
  EXPECT_TRUE(high < low);
  EXPECT_FALSE(low < high);
  EXPECT_TRUE(tieLong < high);  // equal scores: the longer connection first
  EXPECT_FALSE(high < tieLong);
  const Order nan{&shortOne, std::nan("")};
  EXPECT_FALSE(nan < low);
  EXPECT_FALSE(low < nan);
  EXPECT_TRUE((Link{0, 1, 2.0f}) < (Link{0, 2, 1.0f}));  // reversed: the cheaper link is "greater"
  EXPECT_TRUE((hisRecord{0, 0, 1, 9, 0.0}) < (hisRecord{0, 0, 1, 3, 0.0}));
}

TEST(Records, CopiedConnectionsStartUnrouted) {
  TwoPin t(Point(1, 1, 0), Point(4, 1, 2), 7);
  t.path = {RPoint(1, 1, 1), RPoint(2, 1, 1), RPoint(3, 1, 1)};
  t.ripupCount = 3, t.overflow = 2, t.wireLength = 3, t.pathCost = 1.5f, t.needRoute = false;
  const TwoPin copy(t);
  EXPECT_TRUE(copy.path.empty());
  EXPECT_EQ(copy.ripupCount, 0);
  EXPECT_TRUE(copy.needRoute);
  EXPECT_EQ(copy.overflow, 2);
  EXPECT_EQ(copy.netIndex, 7);
  EXPECT_EQ(copy.wireLength, 0);
  EXPECT_EQ(copy.p2.z, 2);
  TwoPin assigned;
  assigned = t;  // assignment carries everything
  EXPECT_EQ(assigned.path.size(), 3u);
  EXPECT_EQ(assigned.ripupCount, 3);
}

TEST(Records, NetOrderAndPrinting) {
  Net a, b;
  a.id = 4, b.id = 9;
  a.pins2D = {Point(0, 0), Point(5, 1)};
  b.pins2D = {Point(0, 0), Point(3, 3), Point(1, 1)};
  EXPECT_TRUE(net_cp(a, b));
  EXPECT_TRUE(b < a);  // more pins first
  Net c = a;
  c.pins2D = {Point(0, 0), Point(2, 2)};
  EXPECT_TRUE(a < c);  // min(|dx|, |dy|): 1 before 2
  EXPECT_TRUE(block_cp(block{-3, 0}, block{2, 2}));
  std::ostringstream s;
  s << Point(2, 3) << RPoint(1, 2, 1) << RPoint(1, 2, 0);
  EXPECT_EQ(s.str(), "(2,3)h(1,2)v(1,2)");
}

}  // namespace
