// The layer model's demand set-up and its overflow count, against the rules written out here:
// capacity adjustments, pin blockage, and the per-edge count of units above capacity.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <tuple>
#include <vector>

#include "layer/Graph.h"
#include "support/LaTestProblem.h"

namespace {

// A random grid (one row or column at times) with random per-layer tracks, some zero, random
// pin and repeat counts per tile and random adjustments; `repeats` lets adjustments hit one
// (edge, layer) more than once.
NetDB randomModelDB(std::mt19937& rng, bool repeats) {
  const int xs = 1 + int(rng() % 4), ys = 1 + int(rng() % 4), L = 2 + int(rng() % 3);
  std::vector<int> hTracks(L), vTracks(L);
  for (int l = 0; l < L; ++l) hTracks[l] = rng() % 3 == 0 ? 0 : 1 + int(rng() % 5), vTracks[l] = int(rng() % 4);
  hTracks[rng() % L] = 3, vTracks[rng() % L] = 4;
  NetDB db = makeGridDB(xs, ys, hTracks, vTracks);
  for (int x = 0; x < xs; ++x)
    for (int y = 0; y < ys; ++y) db.pinCount[x][y] = int(rng() % 5), db.repeatPinCount[x][y] = int(rng() % 3);
  std::map<std::tuple<int, int, int, int>, bool> used;
  for (int k = 0; k < 6; ++k) {
    const int hori = int(rng() % 2);
    const int ex = xs - hori, ey = ys - (1 - hori);  // grid edges in that direction
    if (ex < 1 || ey < 1) continue;
    const RPoint e(int(rng() % ex), int(rng() % ey), int(rng() % L), hori);
    if (!repeats && used[{e.hori, e.x, e.y, e.z}]) continue;
    used[{e.hori, e.x, e.y, e.z}] = true;
    const int tracks = hori ? hTracks[e.z] : vTracks[e.z];
    for (int twice = 0; twice < (repeats ? 2 : 1); ++twice) {
      db.adjEdges.push_back(e);
      db.adjCapacity.push_back(int(rng() % (tracks + 2)) - 1);  // -1 (more than blocked) to tracks
    }
  }
  return db;
}

// What each (edge, layer) holds by the rules: an adjustment to capacity c sets the demand to
// tracks - c (the last one wins) and adds that to the edge's 2D usage; with blockage, each
// tile at either end adds ceil((repeat + pin count) * factor) on the lowest layer with tracks in
// the edge's direction, and that layer's demand is then capped at its tracks.
struct ExpectedModel {
  std::map<std::tuple<int, int, int, int>, int> demand;  // (hori, x, y, layer)
  std::map<std::tuple<int, int, int>, int> usage;        // (hori, x, y)
};
ExpectedModel expectedModel(const NetDB& db, double factor, bool withBlockage) {
  ExpectedModel m;
  for (std::size_t i = 0; i < db.adjEdges.size(); ++i) {
    const RPoint& e = db.adjEdges[i];
    const int tracks = e.hori ? db.horizontalTracks[e.z] : db.verticalTracks[e.z];
    m.demand[{e.hori, e.x, e.y, e.z}] = tracks - db.adjCapacity[i];
    m.usage[{e.hori, e.x, e.y}] += tracks - db.adjCapacity[i];
  }
  if (!withBlockage) return m;
  auto blockage = [&](int x, int y) { return int(std::ceil((db.repeatPinCount[x][y] + db.pinCount[x][y]) * factor)); };
  for (const int hori : {0, 1}) {
    const std::vector<int>& tracks = hori ? db.horizontalTracks : db.verticalTracks;
    int lowest = 0;
    while (tracks[lowest] == 0) ++lowest;
    for (int x = 0; x + hori < db.gridX; ++x)
      for (int y = 0; y + 1 - hori < db.gridY; ++y) {
        int& d = m.demand[{hori, x, y, lowest}];
        d = std::min(d + blockage(x, y) + blockage(x + hori, y + 1 - hori), tracks[lowest]);
      }
  }
  return m;
}

void expectModel(const Graph& g, const ExpectedModel& want) {
  for (const int hori : {0, 1}) {
    const LayerGrid<int>& demand = hori ? g.demandH : g.demandV;
    const EdgeGrid<int>& usage = hori ? g.usage2DH : g.usage2DV;
    const EdgeGrid<int>& of3D = hori ? g.of3DH : g.of3DV;
    for (int x = 0; x + hori < g.xGrid; ++x)
      for (int y = 0; y + 1 - hori < g.yGrid; ++y) {
        SCOPED_TRACE(testing::Message() << (hori ? "horizontal" : "vertical") << " edge " << x << "," << y);
        const auto u = want.usage.find({hori, x, y});
        EXPECT_EQ(usage[x][y], u == want.usage.end() ? 0 : u->second);
        EXPECT_EQ(of3D[x][y], 0);
        for (int l = 0; l < g.layerNum; ++l) {
          const auto d = want.demand.find({hori, x, y, l});
          EXPECT_EQ(demand.at(x, y, l), d == want.demand.end() ? 0 : d->second) << "layer " << l;
        }
      }
  }
}

TEST(LayerModel, PinBlockageFillsTheLowestLayerOfEachDirectionAroundPinTiles) {
  std::mt19937 rng(15);
  const double kFactors[] = {0.0, 0.05, 0.37, 0.5, 1.0};
  for (int trial = 0; trial < 200; ++trial) {
    SCOPED_TRACE(trial);
    const NetDB db = randomModelDB(rng, false);
    const double factor = kFactors[trial % std::size(kFactors)];
    Graph g;
    g.initialLA(db, 1, factor);
    expectModel(g, expectedModel(db, factor, true));
  }
}

// Repeated adjustments of one (edge, layer): the demand is the last one's, the usage grows by
// each. reset applies them again, without pin blockage.
TEST(LayerModel, RepeatedAdjustmentSetsTheDemandAndAddsToTheUsage) {
  std::mt19937 rng(16);
  for (int trial = 0; trial < 100; ++trial) {
    SCOPED_TRACE(trial);
    const NetDB db = randomModelDB(rng, true);
    Graph g;
    g.initialLA(db, 1, 0.5);
    g.reset(db);
    expectModel(g, expectedModel(db, 0.5, false));
  }
}

// of3D counts, per grid edge, the demand units above capacity over its layers. Assigning nets
// (tree programme or greedy pass) and ripping them up must keep it equal to that recount, and
// the rip-up must restore every grid.
TEST(LayerModel, OverflowCountFollowsEveryBookingAndRipUp) {
  std::mt19937 rng(17);
  auto recount = [](const Graph& g, bool hori) {
    const LayerGrid<int>& demand = hori ? g.demandH : g.demandV;
    const std::vector<int>& cap = hori ? g.capH : g.capV;
    std::vector<int> over;
    for (int x = 0; x < demand.xNum; ++x)
      for (int y = 0; y < demand.yNum; ++y) {
        int o = 0;
        for (int l = 0; l < g.layerNum; ++l) o += std::max(0, demand.at(x, y, l) - cap[l]);
        over.push_back(o);
      }
    return over;
  };
  auto counted = [](const Graph& g, bool hori) {
    const EdgeGrid<int>& of3D = hori ? g.of3DH : g.of3DV;
    return of3D.cells;
  };
  for (int trial = 0; trial < 60; ++trial) {
    SCOPED_TRACE(trial);
    NetDB db = makeGridDB(4, 4, {2, 1, 2}, {1, 2, 1});
    for (int id = 0; id < 6; ++id) {
      std::vector<Point> pins;
      for (int p = 0; p < 3; ++p) pins.push_back(Point(int(rng() % 4), int(rng() % 4), int(rng() % 3)));
      addNet(db, id, pins);
    }
    routeWithLShapes(db);
    Graph g;
    testing::internal::CaptureStdout();
    g.initialLA(db, 1, 0.0);
    g.convertGRtoLA(db);
    testing::internal::GetCapturedStdout();
    // Start at, below and above capacity, with the count matching.
    for (int& d : g.demandH.cells) d = int(rng() % 4);
    for (int& d : g.demandV.cells) d = int(rng() % 4);
    for (const bool hori : {false, true}) (hori ? g.of3DH : g.of3DV).cells = recount(g, hori);
    const Graph before = g;
    g.fastCostMode = trial % 3 == 0;
    for (net& n : g.nets) {
      if (trial % 2 == 0)
        g.singleNetLA(n, false);
      else
        g.greedy_singleNetLA(n, false, trial % 4 == 1);
    }
    for (const bool hori : {false, true}) EXPECT_EQ(counted(g, hori), recount(g, hori)) << "after booking";
    for (net& n : g.nets) g.ripUp(n);
    for (const bool hori : {false, true}) EXPECT_EQ(counted(g, hori), recount(g, hori)) << "after rip-up";
    EXPECT_EQ(g.demandH.cells, before.demandH.cells);
    EXPECT_EQ(g.demandV.cells, before.demandV.cells);
    EXPECT_EQ(g.of3DH.cells, before.of3DH.cells);
    EXPECT_EQ(g.of3DV.cells, before.of3DV.cells);
    for (const edge& e : g.edgePool) EXPECT_EQ(e.layer, -1);
  }
}

}  // namespace
