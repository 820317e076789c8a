// Layered prices: the curve below capacity, the flat penalty past it, and the via multiplier.
#include <gtest/gtest.h>

#include "Router3DFixture.h"

namespace {

// 4 x 4 tiles; layer 0: 9 horizontal tracks, pitch 2; layer 1: 6 vertical tracks, pitch 3;
// the horizontal edge of (2, 2) on layer 0 adjusted to 0 tracks. baseCost 1000, mode 0.
const struct {
  const char* name;
  int x, y, z, dir;  // dir 0 vertical, 1 horizontal, 2 via
  int demand, viaCost;
  float price;
} kPrices[] = {
    {"below capacity: 1000 * (0.3^2 * 0.025 + 1)", 0, 0, 0, 1, 2, 1, 1002.25f},
    {"full edge: pitch 2 * 5e6 * 1", 0, 0, 0, 1, 9, 1, 10000000.0f},
    {"three past capacity: 2 * 5e6 * 4", 0, 0, 0, 1, 12, 1, 40000000.0f},
    {"full vertical edge on pitch 3", 1, 1, 1, 0, 6, 1, 15000000.0f},
    {"no tracks: the first unit already overflows", 2, 2, 0, 1, 0, 1, 10000000.0f},
    {"via at via cost 3", 1, 2, 0, 2, 0, 3, 3000.0f},
    {"via at via cost 1", 1, 2, 0, 2, 0, 1, 1000.0f},
    {"via at via cost 0", 1, 2, 0, 2, 5, 0, 0.0f},
};

TEST(LayeredPrice, OverCapacityPenaltyAndViaCostMultiplier) {
  for (const auto& c : kPrices) {
    SCOPED_TRACE(c.name);
    auto r = makeLayeredRouter(4, 4, {9, 0}, {0, 6}, {2, 3}, {RPoint(2, 2, 0, 1)}, {0});
    r->viaCost = c.viaCost;
    Point_i& u = r->grid.usage3D.at(c.z, c.y, c.x);
    (c.dir == 1 ? u.x : c.dir == 0 ? u.y : u.z) = c.demand;
    EXPECT_EQ(r->cost3D(c.x, c.y, c.z, c.dir), c.price);
  }
}

}  // namespace
