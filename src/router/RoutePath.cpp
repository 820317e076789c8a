// Path commit and rip-up, and the statistics read from the planar demand.
//
// Commit and rip-up are the only places where routed demand enters or leaves the grid. A net
// with two or more connections records every use of a unit edge in its routedEdges multiset
// and pays demand, wirelength, overflow and history only on an edge's first use (commit) and
// last use (rip-up), so an edge shared by its connections costs one track. A net with one
// connection keeps no multiset and pays for every unit. Any hori other than 0 is horizontal.

#include <algorithm>
#include <cstdio>

#include "db/NetDB.h"
#include "db/Report.h"
#include "router/GlobalRouter.h"

int GlobalRouter::RoutePath(const Point&, const Point&, const std::vector<RPoint>& path, Net& net) {
  t_addPath.start();
  const bool shared = net.twoPins.size() >= 2;
  int count = 0;
  for (const RPoint& r : path) {
    if (shared) {
      if (net.routedEdges.insert(r) > 0) continue;  // already paid for
    }
    const bool hori = r.hori != 0;
    int& d = grid.demand(r.x, r.y, hori);
    ++net.wireLength;
    ++Wlen2D;
    ++d;
    const bool over = d > (hori ? grid.hCapacity : grid.vCapacity);
    if (over) {
      ++count;
      if (historyOn) ++historyRef(r.x, r.y, hori);
    }
    if (stage > 1) update2DmapCost(r.x, r.y, r.hori);
  }
  totalOF += count;
  t_addPath.stop();
  return count;
}

void GlobalRouter::RipUp(const Point& p1, const Point& p2, const std::vector<RPoint>& path, Net& net) {
  // A connection whose ends share a tile needs no wire of its own: it is never ripped up,
  // whatever its path holds.
  if (p1 == p2) return;
  t_ripupPath.start();
  const bool shared = net.twoPins.size() >= 2;
  for (const RPoint& r : path) {
    if (shared) {
      if (net.routedEdges.eraseOneCount(r) > 0) continue;  // still used by another connection
    }
    const bool hori = r.hori != 0;
    --net.wireLength;
    --Wlen2D;
    --grid.demand(r.x, r.y, hori);
    if (stage > 1) update2DmapCost(r.x, r.y, r.hori);
    // The removed unit overflowed when the demand it leaves is still at or above capacity.
    if (grid.getCost(r.x, r.y, hori) >= capacityOf(hori)) --totalOF;
  }
  t_ripupPath.stop();
}

// The overflow is summed in 64 bits: edges far over capacity (repeated adjustments) add up fast.
void GlobalRouter::getScore(int& maxUsage, std::int64_t& overflow, int& vias, int& wireUnits,
                            const TwoPin* twoPin) const {
  maxUsage = vias = wireUnits = 0;
  overflow = 0;
  for (const RPoint& r : twoPin->path) {
    if (r.hori == 2) {
      ++vias;
      continue;
    }
    const bool hori = r.hori != 0;
    const int d = grid.getCost(r.x, r.y, hori);
    maxUsage = std::max(maxUsage, d);
    if (d > capacityOf(hori)) overflow += d - capacityOf(hori);
    ++wireUnits;
  }
}

int GlobalRouter::getMaxHistory(int& x, int& y, int& maxOverflow) const {
  x = y = -1;
  maxOverflow = 0;
  int best = 0;
  forEachEdge([&](int ex, int ey, bool hori) {
    const int h = historyOf(ex, ey, hori);
    if (h > best) best = h, x = ex, y = ey;
    maxOverflow = std::max(maxOverflow, grid.getCost(ex, ey, hori) - capacityOf(hori));
  });
  return best;
}

int GlobalRouter::getWirelength() const {
  int total = 0;
  forEachEdge([&](int x, int y, bool hori) { total += grid.getCost(x, y, hori); });
  return total;
}

int GlobalRouter::getWirelength(int& maxOverflow) const {
  int total = 0;
  int largest = 0;
  forEachEdge([&](int x, int y, bool hori) {
    const int d = grid.getCost(x, y, hori);
    total += d;
    largest = std::max(largest, d - (hori ? grid.hCapacity : grid.vCapacity));
  });
  maxOverflow = largest;
  return total;
}

int GlobalRouter::getOverflow() const {
  int total = 0;
  forEachEdge([&](int x, int y, bool hori) {
    total += std::max(0, grid.getCost(x, y, hori) - (hori ? grid.hCapacity : grid.vCapacity));
  });
  return total;
}

void GlobalRouter::showPath(const std::vector<RPoint>& path) const {
  for (const RPoint& r : path) std::printf("x=%d y=%d z=%d hori=%d\n", r.x, r.y, r.z, r.hori);
}

float GlobalRouter::PathScore(TwoPin* twoPin, const Net&) const {
  twoPin->overflow = 0;
  float sum = 0.0f;
  for (const RPoint& r : twoPin->path) {
    // Planar units read the planar map; layered ones the layered map, once it exists.
    const CostEntry* e = nullptr;
    if (r.x < 0 || r.x >= xNum || r.y < 0 || r.y >= yNum || r.z < 0 || r.z >= zNum) {
    } else if (r.z == 0) {
      e = &grid.func_2Dmap[grid.mapIndex(r.x, r.y)];
    } else if (grid.layered()) {
      e = &grid.func_map[std::size_t(r.x) + std::size_t(r.y) * xNum + std::size_t(r.z) * xNum * yNum];
    }
    if (e == nullptr) {
      reportInconsistency("GlobalRouter", 610, format(" unit (%d,%d,%d) hori=%d", r.x, r.y, r.z, r.hori));
      continue;
    }
    sum += r.hori == 1 ? e->x : r.hori == 0 ? e->y : e->z;
  }
  return sum;
}

void GlobalRouter::addAdjustment(int x, int y, int value, bool hori) { grid.demand(x, y, hori) += value; }
