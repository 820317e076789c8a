// Layered commit and rip-up: exact inverses, checked against a recount from the live paths
// after every step of random sequences, plus the shared-unit, repeated-unit, overflow and via
// cases.

#include <gtest/gtest.h>

#include <random>

#include "Router3DFixture.h"

namespace {

// A random layered walk of up to `steps` units from a random node; units stay inside the grid
// and name existing edges and vias, and may repeat.
std::vector<RPoint> randomPath(std::mt19937& rng, int xs, int ys, int zs, int steps) {
  std::uniform_int_distribution<int> pick(0, 5);
  int x = int(rng() % xs), y = int(rng() % ys), z = int(rng() % zs);
  std::vector<RPoint> path;
  while (int(path.size()) < steps) {
    switch (pick(rng)) {
      case 0:
        if (y + 1 < ys) path.emplace_back(x, y, z, 0), ++y;
        break;
      case 1:
        if (x + 1 < xs) path.emplace_back(x, y, z, 1), ++x;
        break;
      case 2:
        if (y > 0) --y, path.emplace_back(x, y, z, 0);
        break;
      case 3:
        if (x > 0) --x, path.emplace_back(x, y, z, 1);
        break;
      case 4:
        if (z + 1 < zs) path.emplace_back(x, y, z, 2), ++z;
        break;
      default:
        if (z > 0) --z, path.emplace_back(x, y, z, 2);
        break;
    }
  }
  return path;
}

TEST(LayeredCommit, RandomCommitsAndRipUpsMatchARecountAfterEveryStep) {
  for (unsigned seed = 1; seed <= 6; ++seed) {
    SCOPED_TRACE(seed);
    std::mt19937 rng(seed);
    auto r = makeLayeredRouter(5, 4, {2, 0, 1}, {0, 2, 1}, {2, 3, 5});
    // Nets of 1, 2 and 3 connections; small capacities so that overflow is common.
    std::vector<Net> nets(4);
    const int connections[] = {1, 2, 3, 1};
    for (std::size_t n = 0; n < nets.size(); ++n)
      for (int c = 0; c < connections[n]; ++c) nets[n].twoPins.emplace_back(Point(0, 0), Point(1, 1), int(n));
    const std::vector<Point_i> usageBefore = r->grid.usage3D.cells;
    std::vector<LayeredCommit> live;
    for (int step = 0; step < 300; ++step) {
      if (live.empty() || rng() % 3 != 0) {
        LayeredCommit c{int(rng() % nets.size()), randomPath(rng, 5, 4, 3, 1 + int(rng() % 9))};
        const int before = r->totalOF;
        const int added = r->Route3DPath(c.path, nets[std::size_t(c.net)]);
        ASSERT_EQ(r->totalOF - before, added) << "the result is the overflow added";
        live.push_back(c);
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
    EXPECT_TRUE(r->grid.usage3D.cells.size() == usageBefore.size());
    for (std::size_t i = 0; i < usageBefore.size(); ++i) {
      const Point_i& u = r->grid.usage3D.cells[i];
      ASSERT_TRUE(u.x == 0 && u.y == 0 && u.z == 0) << "node " << i;
    }
    EXPECT_EQ(r->totalOF, 0);
    EXPECT_EQ(r->Wlen2D, 0);
    EXPECT_EQ(r->totalVia, 0);
    for (const Net& n : nets) {
      EXPECT_EQ(n.wireLength, 0);
      EXPECT_EQ(n.routedEdges.size(), 0u);
    }
  }
}

}  // namespace
