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

using GetCostDeathTest = ::testing::Test;

}  // namespace
