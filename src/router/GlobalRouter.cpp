// Router construction: settings, the grid, and the demand pre-loaded by capacity adjustments
// and pin blockage.

#include "router/GlobalRouter.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "db/NetDB.h"
#include "db/Report.h"

Timer t_do_cpu_maze, t_do_cpu_maze_total;

namespace {

int countAt(const std::vector<std::vector<int>>& grid, int x, int y) {
  if (x < 0 || std::size_t(x) >= grid.size() || y < 0 || std::size_t(y) >= grid[x].size()) return 0;
  return grid[x][y];
}

// Blockage of b tracks on an edge of demand d and capacity c. Capped at the capacity, but never
// below the demand it had: an edge already over capacity keeps its demand.
int blockedDemand(int d, std::int64_t b, int c) {
  const std::int64_t raised = std::min<std::int64_t>(std::int64_t(d) + b, c);
  return int(std::max<std::int64_t>(d, raised));
}

}  // namespace

GlobalRouter::GlobalRouter(int xNum_, int yNum_, int zNum_, int hCapacity_, int vCapacity_,
                           std::vector<int> hCapPerLayer_, std::vector<int> vCapPerLayer_,
                           const std::vector<RPoint>& adjEdges, const std::vector<int>& adjCapacity,
                           const std::vector<int>& wirePitch_, const std::vector<std::vector<int>>& repeatPinCount,
                           const std::vector<std::vector<int>>& pinCount, double pinBlockageFactor)
    : heap(fh_makekeyheap(1)),
      xNum(xNum_),
      yNum(yNum_),
      zNum(zNum_),
      grid(xNum_, yNum_, zNum_, hCapacity_, vCapacity_),
      hCapacity(hCapacity_),
      vCapacity(vCapacity_),
      historyCost(300, 0.0),
      maxCapacity(std::max(hCapacity_, vCapacity_)),
      wirePitch(wirePitch_),
      hCapPerLayer(std::move(hCapPerLayer_)),
      vCapPerLayer(std::move(vCapPerLayer_)) {
  initialCostArray();
  hHistory.allocate(grid.hUsage.xNum, grid.hUsage.yNum);
  vHistory.allocate(grid.vUsage.xNum, grid.vUsage.yNum);

  // Capacity adjustments: the tracks an edge loses on its layer become demand of the planar
  // edge; the planar capacity stays. Duplicates of one edge each subtract from the layer default.
  if (adjEdges.size() != adjCapacity.size()) std::printf("ERROR: %s %d\n", "GlobalRouter", 172);
  const std::size_t pairs = std::min(adjEdges.size(), adjCapacity.size());
  std::int64_t adjustSum = 0;  // new capacities, in tracks: many large ones pass 32 bits
  for (std::size_t i = 0; i < pairs; ++i) {
    const RPoint& e = adjEdges[i];
    const int c = adjCapacity[i];
    const bool hori = e.hori != 0;
    const std::vector<int>& layerCap = hori ? hCapPerLayer : vCapPerLayer;
    if (e.z < 0 || std::size_t(e.z) >= layerCap.size() || !grid.edgeExists(e.x, e.y, hori)) {
      reportInconsistency("GlobalRouter", 173,
                          format(" adjustment %zu: no edge (%d,%d) hori=%d on layer %d", i, e.x, e.y, e.hori, e.z));
      continue;
    }
    int& demand = hori ? grid.hUsage[e.x][e.y] : grid.vUsage[e.x][e.y];
    demand = addPreload(demand, std::int64_t(layerCap[e.z]) - c);
    adjustSum += c;
  }
  std::printf("total adjust capacity=%lld\n", static_cast<long long>(adjustSum));

  // Pin blockage: every tile's pins block b tracks of each incident edge, so an edge collects
  // the blockage of both its ends.
  for (int x = 0; x < xNum; ++x)
    for (int y = 0; y < yNum; ++y) {
      const double pins = double(countAt(repeatPinCount, x, y) + countAt(pinCount, x, y));
      double raw = std::ceil(pins * pinBlockageFactor);
      if (!(raw > 0.0)) continue;  // nothing to add (NaN included)
      raw = std::min(raw, double(INT_MAX));
      const std::int64_t b = std::int64_t(raw);
      if (y < yNum - 1) grid.vUsage[x][y] = blockedDemand(grid.vUsage[x][y], b, vCapacity);
      if (y > 0) grid.vUsage[x][y - 1] = blockedDemand(grid.vUsage[x][y - 1], b, vCapacity);
      if (x > 0) grid.hUsage[x - 1][y] = blockedDemand(grid.hUsage[x - 1][y], b, hCapacity);
      if (x < xNum - 1) grid.hUsage[x][y] = blockedDemand(grid.hUsage[x][y], b, hCapacity);
    }
}
