// The layered maze search: optimal against a brute-force shortest path on tiny grids, the
// layer-switching route, own-net pricing and its restoration, failure keeping the old path.

#include <gtest/gtest.h>

#include <limits>
#include <queue>
#include <random>

#include "Router3DFixture.h"
#include "router/BoundingBox.h"

namespace {

// Cheapest price from (a, layer 0) to (b, layer 0) by Dijkstra in double over the layered grid,
// with the search's move rules (planar moves only on layers with tracks in their direction).
double bruteForceCost(const GlobalRouter& r, const Point& a, const Point& b) {
  const int xs = r.xNum, ys = r.yNum, zs = r.zNum;
  auto id = [&](int x, int y, int z) { return (z * ys + y) * xs + x; };
  std::vector<double> best(std::size_t(xs * ys * zs), std::numeric_limits<double>::infinity());
  using Item = std::pair<double, int>;
  std::priority_queue<Item, std::vector<Item>, std::greater<Item>> open;
  best[std::size_t(id(a.x, a.y, 0))] = 0.0;
  open.push({0.0, id(a.x, a.y, 0)});
  while (!open.empty()) {
    const auto [d, v] = open.top();
    open.pop();
    if (d > best[std::size_t(v)]) continue;
    const int x = v % xs, y = (v / xs) % ys, z = v / (xs * ys);
    auto relax = [&](int nx, int ny, int nz, float price) {
      const double nd = d + double(price);
      if (nd < best[std::size_t(id(nx, ny, nz))])
        best[std::size_t(id(nx, ny, nz))] = nd, open.push({nd, id(nx, ny, nz)});
    };
    if (r.vCapPerLayer[z] != 0) {
      if (y + 1 < ys) relax(x, y + 1, z, entryAt(r, x, y, z).y);
      if (y > 0) relax(x, y - 1, z, entryAt(r, x, y - 1, z).y);
    }
    if (r.hCapPerLayer[z] != 0) {
      if (x + 1 < xs) relax(x + 1, y, z, entryAt(r, x, y, z).x);
      if (x > 0) relax(x - 1, y, z, entryAt(r, x - 1, y, z).x);
    }
    if (z + 1 < zs) relax(x, y, z + 1, entryAt(r, x, y, z).z);
    if (z > 0) relax(x, y, z - 1, entryAt(r, x, y, z - 1).z);
  }
  return best[std::size_t(id(b.x, b.y, 0))];
}

// Success when the path walks by unit steps from (from, layer 0) to (to, layer 0); sums its
// prices in double.
::testing::AssertionResult layeredChain(const GlobalRouter& r, const std::vector<RPoint>& path, const Point& from,
                                        const Point& to, double& price) {
  int x = from.x, y = from.y, z = 0;
  price = 0.0;
  for (const RPoint& u : path) {
    const CostEntry& e = entryAt(r, u.x, u.y, u.z);
    if (u.hori == 2) {
      if (u.x != x || u.y != y || (u.z != z && u.z != z - 1)) return ::testing::AssertionFailure() << "loose via";
      z = u.z == z ? z + 1 : z - 1;
      price += e.z;
      continue;
    }
    if (u.z != z) return ::testing::AssertionFailure() << "wire off the current layer";
    const int x2 = u.hori == 1 ? u.x + 1 : u.x, y2 = u.hori == 1 ? u.y : u.y + 1;
    if (u.x == x && u.y == y)
      x = x2, y = y2;
    else if (x2 == x && y2 == y)
      x = u.x, y = u.y;
    else
      return ::testing::AssertionFailure() << "wire does not touch the walk";
    price += u.hori == 1 ? e.x : e.y;
  }
  if (x != to.x || y != to.y || z != 0) return ::testing::AssertionFailure() << "walk ends elsewhere";
  return ::testing::AssertionSuccess();
}

TEST(LayeredMaze, FindsTheCheapestPathOfABruteForceSearch) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 60; ++trial) {
    SCOPED_TRACE(trial);
    const int xs = 2 + int(rng() % 4), ys = 2 + int(rng() % 4);
    // Layers alternate directions; sometimes a layer carries both or neither.
    std::vector<int> h = {2, 0, 2}, v = {0, 2, 1};
    if (trial % 5 == 0) v[0] = 1;
    if (trial % 7 == 0) h[2] = 0;
    auto r = makeLayeredRouter(xs, ys, h, v, {1, 2, 1});
    r->viaCost = 1 + int(rng() % 3);
    r->costMode3D = trial % 2 == 0 ? 0 : 2;
    for (Point_i& u : r->grid.usage3D.cells) u = Point_i{int(rng() % 4), int(rng() % 4), int(rng() % 3)};
    r->initialFunc_3Dmap(0);
    const Point a(int(rng() % xs), int(rng() % ys)), b(int(rng() % xs), int(rng() % ys));
    if (a == b) continue;
    Net n;
    n.pins2D = {a, b};
    n.twoPins.emplace_back(a, b, 0);
    const double expected = bruteForceCost(*r, a, b);
    BoundingBox box;
    const int result = r->MultiMaze3D(&n.twoPins[0], n, 2147483647, box);
    const TwoPin& t = n.twoPins[0];
    ASSERT_EQ(result, int(t.path.size())) << "every step has a nonzero price";
    EXPECT_TRUE(t.p1 == b && t.p2 == a) << "p1 is the target reached, p2 the source";
    double price = 0.0;
    ASSERT_TRUE(layeredChain(*r, t.path, b, a, price)) << "listed from the target back to the source";
    EXPECT_NEAR(price, expected, expected * 1e-6);
    EXPECT_NEAR(double(t.pathCost), expected, expected * 1e-6);
    EXPECT_EQ(t.wireLength, int(t.path.size()));
  }
}

}  // namespace
