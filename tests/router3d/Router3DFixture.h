#pragma once
// Layered routers on hand-made grids, and an independent recount of the layered state from
// the set of committed paths (the oracle of the commit, rip-up and search tests).

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"

// A router with per-layer tracks and pitches, layered state made and capacities filled.
inline std::unique_ptr<GlobalRouter> makeLayeredRouter(int xs, int ys, std::vector<int> hTracks,
                                                       std::vector<int> vTracks, std::vector<int> pitch,
                                                       std::vector<RPoint> adj = {}, std::vector<int> adjCap = {}) {
  int hSum = 0, vSum = 0;
  for (int t : hTracks) hSum += t;
  for (int t : vTracks) vSum += t;
  const std::vector<std::vector<int>> noPins;
  auto r = std::make_unique<GlobalRouter>(xs, ys, int(hTracks.size()), hSum, vSum, hTracks, vTracks,
                                          std::vector<RPoint>{}, std::vector<int>{}, pitch, noPins, noPins, 0.0);
  r->grid.allocate3D();
  r->initial3DRouting(hTracks, vTracks, adj, adjCap);
  r->baseCost = 1000.0f;
  r->costMode3D = 0;
  r->initialFunc_3Dmap(0);
  return r;
}

inline const CostEntry& entryAt(const GlobalRouter& r, int x, int y, int z) {
  return r.grid.func_map[std::size_t(x) + std::size_t(y) * r.xNum + std::size_t(z) * r.xNum * r.yNum];
}

// One committed path of one connection of nets[net].
struct LayeredCommit {
  int net = 0;
  std::vector<RPoint> path;
};

// Demand, totals and per-net counts implied by the committed paths alone: a net with two or
// more connections uses each distinct unit once, other nets pay per step.
struct LayeredRecount {
  std::vector<Point_i> usage;  // same index as usage3D
  int Wlen2D = 0, totalVia = 0, totalOF = 0;
  std::vector<int> netWireLength;
  std::vector<std::size_t> multisetSize;
};

inline LayeredRecount recountLayered(const GlobalRouter& r, const std::vector<Net>& nets,
                                     const std::vector<LayeredCommit>& live) {
  LayeredRecount out;
  out.usage.assign(r.grid.usage3D.cells.size(), Point_i{});
  out.netWireLength.assign(nets.size(), 0);
  out.multisetSize.assign(nets.size(), 0);
  auto idx = [&r](const RPoint& u) { return (std::size_t(u.z) * r.yNum + u.y) * r.xNum + u.x; };
  for (std::size_t n = 0; n < nets.size(); ++n) {
    std::vector<RPoint> used;  // distinct units of a shared net
    for (const LayeredCommit& c : live) {
      if (c.net != int(n)) continue;
      for (const RPoint& u : c.path) {
        if (nets[n].twoPins.size() >= 2) {
          ++out.multisetSize[n];
          bool seen = false;
          for (const RPoint& v : used) seen = seen || eqRPoint()(u, v);
          if (seen) continue;
          used.push_back(u);
        }
        Point_i& p = out.usage[idx(u)];
        ++(u.hori == 1 ? p.x : u.hori == 0 ? p.y : p.z);
        ++out.netWireLength[n];
        ++(u.hori == 2 ? out.totalVia : out.Wlen2D);
      }
    }
  }
  // Overflow as the running total keeps it: every unit at or past capacity adds the pitch.
  for (int z = 0; z < r.zNum; ++z)
    for (int y = 0; y < r.yNum; ++y)
      for (int x = 0; x < r.xNum; ++x) {
        const Point_i& u = out.usage[(std::size_t(z) * r.yNum + y) * r.xNum + x];
        const Point_i& c = r.grid.capacity3D.at(z, y, x);
        if (u.x > c.x) out.totalOF += (u.x - c.x) * r.wirePitch[z];
        if (u.y > c.y) out.totalOF += (u.y - c.y) * r.wirePitch[z];
      }
  return out;
}

inline ::testing::AssertionResult matchesRecount(const GlobalRouter& r, const std::vector<Net>& nets,
                                                 const LayeredRecount& e) {
  for (std::size_t i = 0; i < e.usage.size(); ++i) {
    const Point_i& a = r.grid.usage3D.cells[i];
    if (a.x != e.usage[i].x || a.y != e.usage[i].y || a.z != e.usage[i].z)
      return ::testing::AssertionFailure() << "usage3D differs at node " << i;
  }
  if (r.Wlen2D != e.Wlen2D) return ::testing::AssertionFailure() << "Wlen2D " << r.Wlen2D << " != " << e.Wlen2D;
  if (r.totalVia != e.totalVia)
    return ::testing::AssertionFailure() << "totalVia " << r.totalVia << " != " << e.totalVia;
  if (r.totalOF != e.totalOF) return ::testing::AssertionFailure() << "totalOF " << r.totalOF << " != " << e.totalOF;
  for (std::size_t n = 0; n < nets.size(); ++n) {
    if (nets[n].wireLength != e.netWireLength[n])
      return ::testing::AssertionFailure() << "net " << n << " wireLength " << nets[n].wireLength;
    if (nets[n].twoPins.size() >= 2 && nets[n].routedEdges.size() != e.multisetSize[n])
      return ::testing::AssertionFailure() << "net " << n << " multiset size " << nets[n].routedEdges.size();
  }
  // Every price entry equals the price of its element at the current demand.
  for (int z = 0; z < r.zNum; ++z)
    for (int y = 0; y < r.yNum; ++y)
      for (int x = 0; x < r.xNum; ++x) {
        const CostEntry& c = entryAt(r, x, y, z);
        if (c.x != r.cost3D(x, y, z, 1) || c.y != r.cost3D(x, y, z, 0) || c.z != r.cost3D(x, y, z, 2))
          return ::testing::AssertionFailure() << "func_map stale at (" << x << "," << y << "," << z << ")";
      }
  return ::testing::AssertionSuccess();
}
