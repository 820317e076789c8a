// The layered post-optimisation driver.
//
// Set-up: layered capacities and prices, every connection's path committed, broken ones
// rerouted. Round 1 reroutes every connection that is not a single unit, in order of score
// (short paths of short nets first). Each further round throws the layered solution away,
// re-runs the negotiated layer assignment on the current planar routes, commits its result,
// repairs, re-scores and reroutes again; round 2 prices with the flatter curve (mode 2).

#include "router3d/Route3D.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "db/NetDB.h"
#include "db/Report.h"
#include "db/Timer.h"
#include "db/parameterSet.h"
#include "layer/Graph.h"
#include "router/BoundingBox.h"
#include "router/GlobalRouter.h"

double score3D(const TwoPin& twoPin, int netWireLength) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const double units = twoPin.path.empty() ? kInf : 1000.0 / double(twoPin.path.size());
  const double net = netWireLength == 0 ? kInf : 10.0 / double(netWireLength);
  return units + net;
}

namespace {

constexpr int kNoLengthBound = 2147483647;

// The net of an order entry, or null (reported) when its index names none.
Net* netOf(NetDB& db, const Order& o) {
  const int i = o.twoPin->netIndex;
  if (i < 0 || i >= int(db.nets.size())) {
    reportInconsistency("Route3D", 5401, format(" connection names net index %d of %d", i, int(db.nets.size())));
    return nullptr;
  }
  return &db.nets[std::size_t(i)];
}

void commitAll(GlobalRouter& router, NetDB& db, std::vector<Order>& orders) {
  for (Net& n : db.nets) n.wireLength = 0;
  for (Order& o : orders)
    if (Net* n = netOf(db, o)) router.Route3DPath(o.twoPin->path, *n);
}

void repair(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, BoundingBox& box) {
  for (Order& o : orders) {
    TwoPin* t = o.twoPin;
    if (!t->needRoute) continue;
    Net* n = netOf(db, o);
    if (n == nullptr) continue;
    router.RipUp3D(t->path, *n);
    t->overflow = router.MultiMaze3D(t, *n, kNoLengthBound, box);
    router.Route3DPath(t->path, *n);
  }
  for (Order& o : orders) o.twoPin->needRoute = false;
}

void scoreAndSort(NetDB& db, std::vector<Order>& orders) {
  for (Order& o : orders) {
    const int i = o.twoPin->netIndex;
    const bool known = i >= 0 && i < int(db.nets.size());
    o.score = score3D(*o.twoPin, known ? db.nets[std::size_t(i)].wireLength : 0);
  }
  std::sort(orders.begin(), orders.end());
}

void printTotalTime() { std::printf("!!!!!!!!!  CPU  Total Time: %g seconds  !!!!!!!\n\n", cpuSecondsSinceStart()); }

// One round of rerouting over the sorted list; keepResults stores each search's result in
// the connection's overflow (every round but the first).
void rerouteRound(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, BoundingBox& box, Timer& roundTimer,
                  bool keepResults) {
  const int count = int(orders.size());
  const int step = count <= 39 ? 1 : count / 20;
  for (int i = 0; i < count; ++i) {
    TwoPin* t = orders[std::size_t(i)].twoPin;
    Net* n = netOf(db, orders[std::size_t(i)]);
    if (n == nullptr || !router.isNeedRoute(t, *n)) continue;
    if (i % step == 0 && i != 0) {
      const std::int64_t totalWL = std::int64_t(router.Wlen2D) + std::int64_t(router.totalVia) * router.viaCost;
      std::printf("Progress=%d%%  time=%.2lf  netlength=%d  via=%d  totalWL=%lld  totalOF=%d\n",
                  int(100 * std::int64_t(i + 1) / (count + 1)), double(roundTimer.getTime()), int(t->path.size()),
                  router.totalVia, static_cast<long long>(totalWL), router.totalOF);
      std::fflush(stdout);
    }
    router.RipUp3D(t->path, *n);
    const int result = router.MultiMaze3D(t, *n, kNoLengthBound, box);
    if (keepResults) t->overflow = result;
    router.Route3DPath(t->path, *n);
  }
}

void roundEnd(GlobalRouter& router, Timer& roundTimer) {
  router.showWL();
  std::printf("3D Routing costs %g seconds\n\n", double(roundTimer.getTime()));
  printTotalTime();
}

}  // namespace

void Route3D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph, parameterSet& params) {
  Timer roundTimer;
  roundTimer.start();
  BoundingBox box;
  box.ur = Point(router.xNum - 1, router.yNum - 1);
  box.ll = Point(0, 0);

  router.grid.allocate3D();
  router.initial3DRouting(db.horizontalTracks, db.verticalTracks, db.adjEdges, db.adjCapacity);
  router.totalOF = 0;
  router.Wlen2D = 0;
  router.totalVia = 0;
  router.baseCost = 1000.0f;
  router.costMode3D = 0;
  router.initialFunc_3Dmap(0);
  commitAll(router, db, orders);
  repair(router, db, orders, box);
  router.costMode3D = 0;
  router.initialFunc_3Dmap(0);
  scoreAndSort(db, orders);

  std::printf("===================The first round of 3D post optimization===================\n");
  rerouteRound(router, db, orders, box, roundTimer, false);
  roundEnd(router, roundTimer);

  for (int r = 1; r < params.optimization3DIteration;) {
    roundTimer.reset();
    roundTimer.start();
    graph.reset(db);
    std::printf("===================Start DP-based Layer Assignment with Negotiation Scheme===================\n");
    graph.convertGRtoLA(db);
    graph.NVM(0, 0, 0, false);
    std::printf("Layer Assignment costs %g seconds\n\n\n", double(roundTimer.getTime()));
    printTotalTime();

    router.reset3DGraph();
    graph.convertLAtoGR(db);
    commitAll(router, db, orders);
    router.costMode3D = r == 1 ? 2 : 0;
    router.initialFunc_3Dmap(2);
    repair(router, db, orders, box);
    scoreAndSort(db, orders);

    ++r;
    std::printf("===================The %dth round of 3D post optimization===================\n", r);
    roundTimer.reset();
    roundTimer.start();
    rerouteRound(router, db, orders, box, roundTimer, true);
    roundEnd(router, roundTimer);
  }
  printCPUTime();
}

bool GlobalRouter::isNeedRoute(TwoPin* twoPin, Net&) const { return twoPin->path.size() != 1; }

int GlobalRouter::get3DScore(int& maxUsage, int& overflow, int& layerChanges, int& wireUnits, TwoPin*& twoPin) const {
  maxUsage = overflow = layerChanges = wireUnits = 0;
  int zp = twoPin->p1.z;
  for (const RPoint& u : twoPin->path) {
    if (u.hori != 0 && u.hori != 1) continue;
    if (u.x < 0 || u.x >= xNum || u.y < 0 || u.y >= yNum || u.z < 0 || u.z >= zNum) continue;
    const int usage = u.hori == 1 ? grid.usage3D.at(u.z, u.y, u.x).x : grid.usage3D.at(u.z, u.y, u.x).y;
    const int cap = u.hori == 1 ? grid.capacity3D.at(u.z, u.y, u.x).x : grid.capacity3D.at(u.z, u.y, u.x).y;
    layerChanges += abs_int(u.z - zp);
    zp = u.z;
    ++wireUnits;
    maxUsage = std::max(maxUsage, usage);
    if (usage > cap) overflow += usage - cap;
  }
  const int last = abs_int(zp - twoPin->p2.z);
  layerChanges += last;
  return last;
}

float GlobalRouter::PathScore3D(TwoPin* twoPin, Net&) const {
  twoPin->overflow = 0;
  float sum = 0.0f;
  for (const RPoint& u : twoPin->path) {
    if (u.x < 0 || u.x >= xNum || u.y < 0 || u.y >= yNum || u.z < 0 || u.z >= zNum) continue;
    const CostEntry& e =
        grid.func_map[std::size_t(u.x) + std::size_t(u.y) * xNum + std::size_t(u.z) * std::size_t(xNum) * yNum];
    sum += u.hori == 1 ? e.x : u.hori == 0 ? e.y : e.z;
  }
  return sum;
}
