// The planar cost model: the congestion table, the three cost-map rules, and the direct prices
// of the pattern and monotonic routers.
//
// Precision is part of the result: each expression is evaluated in the width written here
// (single unless a step says double) so that equal prices stay equal and ties break alike.
// A capacity of 0 is divided as 1.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"

namespace {

float safeCapacity(int c) { return float(std::max(c, 1)); }

RPoint planarKey(int x, int y, bool hori) { return RPoint(x, y, 0, hori ? 1 : 0); }

}  // namespace

void GlobalRouter::initialCostArray() {
  for (int i = 0; i < 1000; ++i)
    costArray[i] = float(double(costHeight) / (std::exp(-costSlope * double(i - maxCapacity)) + 1.0) + 1.0);
}

float GlobalRouter::congestion(int d, int c) const {
  if (d > 990) return float(d) + costArray[999];
  // The centre (entry maxCapacity) is reached when the demand equals the edge's own capacity.
  // A smaller capacity in one direction or a negative pre-loaded demand can push the index off
  // the table; it reads the nearest end.
  const int index = std::clamp(maxCapacity - c + d, 0, 999);
  return costArray[index];
}

float GlobalRouter::hardCost(int d, int c, int h) const {
  if (d < c) {
    const float ratio = float(d) / safeCapacity(c);
    return float(double(baseCost) * (double(ratio) + 1.0));
  }
  const float over = float(d - c + 1) * 5000000.0f;
  return float(double(over) + double(h) / 10.0);
}

float GlobalRouter::edgeCost(int rule, int x, int y, bool hori) const {
  const int d = grid.getCost(x, y, hori);
  const int c = capacityOf(hori);
  const float w = baseCost;
  float price;
  switch (rule) {
    case 0:
      price = float(d) + 3.0f * w;
      break;
    case 1:
      price = hardOverflowCost ? hardCost(d, c, historyOf(x, y, hori))
                               : (float(d) / safeCapacity(c) + congestion(d, c)) * w;
      break;
    default: {
      if (hardOverflowCost) {
        price = hardCost(d, c, historyOf(x, y, hori));
        break;
      }
      const float s = congestion(d, c);
      if (!historyOn) {
        price = s * w + costOffset;
        break;
      }
      const double h = double(historyOf(x, y, hori));
      price =
          float(double(costOffset) + double(w) * (double(s) * (std::pow(h, historyPow) / double(historyBase) + 1.0)));
    }
  }
  // An edge raised above its layer's tracks starts with a negative demand, which can take the
  // price below zero; the maze search needs prices of at least 0, so such an edge costs
  // nothing, as the net's own edges do during a search.
  return price < 0.0f ? 0.0f : price;
}

void GlobalRouter::initialFunc_2Dmap(int mode) {
  if (mode < 0 || mode > 2) {
    std::printf("ERORR %s  %d\n", "GlobalRouter", 148);
    return;
  }
  for (int x = 0; x < xNum; ++x)
    for (int y = 0; y < yNum; ++y) {
      CostEntry& e = grid.func_2Dmap[grid.mapIndex(x, y)];
      if (x < xNum - 1) e.x = edgeCost(mode, x, y, true);
      if (y < yNum - 1) e.y = edgeCost(mode, x, y, false);
      e.z = via_cost;
    }
}

void GlobalRouter::update2DmapCost(int x, int y, int hori) {
  if (hori == 2) {
    if (x < 0 || x >= xNum || y < 0 || y >= yNum) {
      std::printf("ERROR %s  %d -  x=%d  y=%d  hori=%d\n", "GlobalRouter", 2024, x, y, hori);
      return;
    }
    grid.func_2Dmap[grid.mapIndex(x, y)].z = via_cost;
    return;
  }
  if (hori != 0 && hori != 1) {
    std::printf("ERROR %s  %d -  x=%d  y=%d  hori=%d\n", "GlobalRouter", 2024, x, y, hori);
    return;
  }
  if (stage == 0) {
    std::printf("ERROR %s %d\n", "GlobalRouter", hori == 1 ? 2014 : 2018);
    return;
  }
  if (stage < 1 || stage > 3) return;
  const int rule = stage == 1 ? 1 : 2;
  CostEntry& e = grid.func_2Dmap[grid.mapIndex(x, y)];
  if (hori == 1)
    e.x = edgeCost(rule, x, y, true);
  else
    e.y = edgeCost(rule, x, y, false);
}

float GlobalRouter::PatternCost(int x, int y, int hori, const Net& net) const {
  bool routed = false, steiner = false;
  if (net.twoPins.size() >= 2) {
    const RPoint key = planarKey(x, y, hori != 0);
    routed = net.routedEdges.count(key) > 0;
    steiner = !routed && net.steinerEdges.count(key) > 0;
  }
  return PatternCostKnown(x, y, hori, routed, steiner);
}

float GlobalRouter::PatternCostKnown(int x, int y, int hori, bool routed, bool steiner) const {
  const float d = float(grid.getCost(x, y, hori != 0));
  const float w = baseCost;
  if (routed) return 0.0f;  // committing it again adds no demand
  if (steiner) return d + w;
  return 3.0f * w + d;
}

float GlobalRouter::DPCost(int x, int y, bool hori, const Net& net) const {
  bool routed = false, steiner = false;
  if (net.twoPins.size() >= 2) {
    const RPoint key = planarKey(x, y, hori);
    routed = net.routedEdges.count(key) > 0;
    steiner = !routed && useSteinerEdges && net.steinerEdges.count(key) > 0;
  }
  return DPCostKnown(x, y, hori, routed, steiner);
}

float GlobalRouter::DPCostKnown(int x, int y, bool hori, bool routed, bool steiner) const {
  const int d = grid.getCost(x, y, hori);
  const int c = capacityOf(hori);
  if (routed) return 0.0f;
  if (steiner) return float(double(baseCost) * (double(congestion(d, c)) + double(d) * 0.5 / double(std::max(c, 1))));
  if (hardOverflowCost) return hardCost(d, c, historyOf(x, y, hori));
  return (float(d) / safeCapacity(c) + congestion(d, c)) * baseCost;
}
