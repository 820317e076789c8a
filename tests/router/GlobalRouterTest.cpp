// Router construction: the demand that capacity adjustments and pin blockage pre-load.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "router/GlobalRouter.h"

namespace {

using PinGrid = std::vector<std::vector<int>>;

// Layer 0 carries the horizontal tracks, layer 1 the vertical ones.
GlobalRouter buildRouter(int xs, int ys, int hTracks, int vTracks, const std::vector<RPoint>& adj,
                         const std::vector<int>& adjCap, const PinGrid& repeat, const PinGrid& pins, double factor) {
  return GlobalRouter(xs, ys, 2, hTracks, vTracks, {hTracks, 0}, {0, vTracks}, adj, adjCap, {2, 2}, repeat, pins,
                      factor);
}

// Each adjustment subtracts from its layer's own count, even for an edge listed twice; the
// total line sums the new capacities, not the tracks taken away. Empty pin grids count no pins,
// whatever the blockage factor.
TEST(RouterConstruction, AdjustmentsLoadTheLostTracksAndPrintTheSumOfNewCapacities) {
  const std::vector<RPoint> adj = {RPoint(1, 2, 0, 1), RPoint(2, 1, 1, 0), RPoint(1, 2, 0, 1)};
  const std::vector<int> cap = {4, 5, 7};
  const PinGrid none;
  testing::internal::CaptureStdout();
  GlobalRouter r = buildRouter(4, 4, 10, 8, adj, cap, none, none, 1.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "total adjust capacity=16\n");
  EXPECT_EQ(r.grid.hUsage[1][2], 6 + 3);
  EXPECT_EQ(r.grid.vUsage[2][1], 3);
  EXPECT_EQ(r.grid.hUsage[0][2] + r.grid.vUsage[1][1], 0);
}

// Every tile blocks b = ceil((repeated pins + pins) * factor) tracks of each of its existing
// edges (up, down, left, right); an edge takes both ends' blockage, capped at its capacity.
TEST(RouterConstruction, PinBlockageLoadsEachTilesEdgesCappedAtCapacity) {
  constexpr int kX = 5, kY = 4, kH = 6, kV = 4;
  std::mt19937 rng(7);
  PinGrid repeat(kX, std::vector<int>(kY)), pins(kX, std::vector<int>(kY));
  for (int x = 0; x < kX; ++x)
    for (int y = 0; y < kY; ++y) repeat[x][y] = int(rng() % 3), pins[x][y] = int(rng() % 5);
  repeat[0][0] = 1, pins[0][0] = 2;  // a corner with 3 pins: 2 tracks at factor 0.5, on two edges
  for (const double factor : {0.0, 0.05, 0.34, 0.5, 1.5}) {
    SCOPED_TRACE(factor);
    testing::internal::CaptureStdout();
    const GlobalRouter r = buildRouter(kX, kY, kH, kV, {}, {}, repeat, pins, factor);
    testing::internal::GetCapturedStdout();
    auto blocked = [&](int x, int y) { return int(std::ceil(double(repeat[x][y] + pins[x][y]) * factor)); };
    for (int x = 0; x < kX; ++x)
      for (int y = 0; y < kY; ++y) {
        if (x + 1 < kX) {
          EXPECT_EQ(r.grid.hUsage[x][y], std::min(blocked(x, y) + blocked(x + 1, y), kH)) << x << "," << y;
        }
        if (y + 1 < kY) {
          EXPECT_EQ(r.grid.vUsage[x][y], std::min(blocked(x, y) + blocked(x, y + 1), kV)) << x << "," << y;
        }
      }
    EXPECT_EQ(r.totalOF, 0);
  }
}

}  // namespace
