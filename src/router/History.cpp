// Congestion history utilities: rescaling, the tabulated history cost, percentile ranking,
// raising counts from a path or from the whole grid, and the cost-map consistency check.
// Edges are walked horizontal first (x outer, y inner), then vertical.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"

void GlobalRouter::convertHistoryBase(float newBase) {
  forEachEdge([&](int x, int y, bool hori) {
    int& h = historyRef(x, y, hori);
    h = int(std::pow(std::pow(double(h), historyPow) * double(newBase) / double(historyBase), 1.0 / historyPow) + 0.5);
  });
  historyBase = newBase;
}

void GlobalRouter::convertHistoryPow(double newPow) {
  forEachEdge([&](int x, int y, bool hori) {
    int& h = historyRef(x, y, hori);
    h = int(std::pow(std::pow(double(h), historyPow), 1.0 / newPow) + 0.5);
  });
  historyPow = newPow;
}

void GlobalRouter::updateHistoryCost() {
  if (historyCost.size() < 2 * std::size_t(std::max(maxHistory, 0)))
    historyCost.resize(4 * std::size_t(maxHistory), 0.0);
  const double rounds = double(historyRounds);
  for (std::size_t i = 0; i < historyCost.size(); ++i) {
    if (historyCostMode == 1)
      historyCost[i] = double(i) / (4.0 * std::sqrt(rounds) + 7.0);
    else if (historyCostMode == 2)
      historyCost[i] = std::pow(double(i) / (2.0 * std::log(rounds) + 2.0), 1.7);
  }
}

void GlobalRouter::sortHistory() {
  std::vector<hisRecord> records;
  forEachEdge([&](int x, int y, bool hori) {
    const int h = historyOf(x, y, hori);
    if (h > 0) records.push_back(hisRecord{x, y, hori ? 1 : 0, h, 0.0});
  });
  // Equal values get equal ranks, so the unstable order among them does not show.
  std::sort(records.begin(), records.end());
  const int n = int(records.size());
  int rank = 0;
  for (int i = 0; i < n; ++i) {
    hisRecord& r = records[i];
    if (i == 0 || r.value != records[i - 1].value) rank = i;
    const int percent = int((std::int64_t(n) - rank) * 100 / n);
    r.percent = percent;
    historyRef(r.x, r.y, r.hori == 1) = percent;
  }
}

void GlobalRouter::historyInc(const std::vector<RPoint>& path) {
  for (const RPoint& r : path) {
    const bool hori = r.hori != 0;
    const int d = grid.getCost(r.x, r.y, hori);
    if (historyOn && d > capacityOf(hori)) ++historyRef(r.x, r.y, hori);
  }
}

void GlobalRouter::UpdateHistory(bool) {
  forEachEdge([&](int x, int y, bool hori) {
    int& h = historyRef(x, y, hori);
    if (grid.getCost(x, y, hori) > capacityOf(hori)) ++h;
    maxHistory = std::max(maxHistory, h);
  });
}

void GlobalRouter::initHistory() {
  historyOn = true;
  UpdateHistory(true);
}

void GlobalRouter::checkCost(int mode) const {
  if (mode < 0 || mode > 3) {
    // No recomputation rule for other modes.
    std::printf("ERROR %s %d\n", "GlobalRouter", 668);
    return;
  }
  const int rule = std::min(mode, 2);
  for (int x = 0; x < xNum; ++x)
    for (int y = 0; y < yNum; ++y) {
      const std::size_t k = grid.mapIndex(x, y);
      const CostEntry& e = grid.func_2Dmap[k];
      if (x < xNum - 1) {
        const float cost = edgeCost(rule, x, y, true);
        if (e.x != cost)
          std::printf("ERROR %s %d    func_2Dmap[%d].x=%.2lf cost=%.2lf\n", "GlobalRouter", 672, int(k), double(e.x),
                      double(cost));
      }
      if (y < yNum - 1) {
        const float cost = edgeCost(rule, x, y, false);
        if (e.y != cost)
          std::printf("ERROR %s %d    func_2Dmap[%d].y=%.2lf cost=%.2lf\n", "GlobalRouter", 680, int(k), double(e.y),
                      double(cost));
      }
      if (e.z != via_cost)
        std::printf("ERROR %s %d    func_2Dmap[%d].z=%.2lf via_cost=%.2lf\n", "GlobalRouter", 684, int(k), double(e.z),
                    double(via_cost));
    }
}
