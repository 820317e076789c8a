// Layered commit and rip-up against a recount from the live paths, over random paths.
#include <gtest/gtest.h>

#include <random>

#include "Router3DFixture.h"

namespace {

// A random walk of up to 8 steps on the layered grid: wire units on any layer, vias up and
// down, revisits allowed.
std::vector<RPoint> randomLayeredPath(std::mt19937& rng, int xs, int ys, int zs) {
  std::vector<RPoint> p;
  int x = int(rng() % xs), y = int(rng() % ys), z = int(rng() % zs);
  const int steps = int(rng() % 9);
  for (int i = 0; i < steps; ++i) {
    switch (rng() % 6) {
      case 0:
        if (x + 1 < xs) p.emplace_back(x, y, z, 1), ++x;
        break;
      case 1:
        if (x > 0) --x, p.emplace_back(x, y, z, 1);
        break;
      case 2:
        if (y + 1 < ys) p.emplace_back(x, y, z, 0), ++y;
        break;
      case 3:
        if (y > 0) --y, p.emplace_back(x, y, z, 0);
        break;
      case 4:
        if (z + 1 < zs) p.emplace_back(x, y, z, 2), ++z;
        break;
      default:
        if (z > 0) --z, p.emplace_back(x, y, z, 2);
    }
  }
  return p;
}

// Tight capacities so that many units overflow (pitches 1, 2, 3 weight them); nets with one
// and with three connections. After every commit or rip-up the layered state equals the
// recount; ripping everything up restores the empty grid and its prices.
TEST(LayeredCommit, CommitAndRipUpMatchARecountAndRestoreEveryUsage) {
  constexpr int kX = 5, kY = 4, kZ = 3;
  std::mt19937 rng(515);
  auto r = makeLayeredRouter(kX, kY, {2, 0, 1}, {0, 2, 1}, {1, 2, 3});
  r->viaCost = 2;
  r->initialFunc_3Dmap(0);
  const std::vector<CostEntry> emptyPrices = r->grid.func_map;
  std::vector<Net> nets(6);
  for (std::size_t i = 0; i < nets.size(); ++i) nets[i].twoPins.resize(i % 2 == 0 ? 1 : 3);
  std::vector<LayeredCommit> live;
  for (int step = 0; step < 2000; ++step) {
    if (live.empty() || rng() % 5 < 3) {
      LayeredCommit c{int(rng() % nets.size()), randomLayeredPath(rng, kX, kY, kZ)};
      r->Route3DPath(c.path, nets[std::size_t(c.net)]);
      live.push_back(std::move(c));
    } else {
      const std::size_t i = rng() % live.size();
      r->RipUp3D(live[i].path, nets[std::size_t(live[i].net)]);
      live.erase(live.begin() + std::ptrdiff_t(i));
    }
    ASSERT_TRUE(matchesRecount(*r, nets, recountLayered(*r, nets, live))) << "step " << step;
  }
  while (!live.empty()) {
    r->RipUp3D(live.back().path, nets[std::size_t(live.back().net)]);
    live.pop_back();
  }
  for (const Point_i& u : r->grid.usage3D.cells) ASSERT_TRUE(u.x == 0 && u.y == 0 && u.z == 0);
  EXPECT_EQ(r->totalOF, 0);
  EXPECT_EQ(r->Wlen2D, 0);
  EXPECT_EQ(r->totalVia, 0);
  for (std::size_t i = 0; i < emptyPrices.size(); ++i) {
    EXPECT_EQ(r->grid.func_map[i].x, emptyPrices[i].x);
    EXPECT_EQ(r->grid.func_map[i].y, emptyPrices[i].y);
    EXPECT_EQ(r->grid.func_map[i].z, emptyPrices[i].z);
  }
  for (const Net& n : nets) EXPECT_TRUE(n.routedEdges.empty());
}

}  // namespace
