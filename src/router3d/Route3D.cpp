// The layered post-optimisation driver.
//
// Set-up: layered capacities and prices, every connection's path committed, broken ones
// rerouted. Round 1 reroutes every connection that is not a single unit, in order of score
// (short paths of short nets first). Each further round throws the layered solution away,
// re-runs the negotiated layer assignment on the current planar routes, commits its result,
// repairs, re-scores and reroutes again; round 2 prices with the flatter curve (mode 2).
// Before it is committed, every path gets the vias from its ends up to the pins of its net on
// those tiles. The stage ends by checking that every net joins all its pins, each on its own
// layer.

#include "router3d/Route3D.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <numeric>
#include <string>

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

// Searches start and end on the lowest layer, and layer assignment stacks a connection's end
// only to one layer of its tile; pins above need the via stack from there. The highest pin
// layer of every net tells at once where nothing is to be added (every pin on the lowest layer).
class PinStacks {
 public:
  PinStacks(const NetDB& db, int layers) : layers(layers) {
    top.reserve(db.nets.size());
    for (const Net& n : db.nets) {
      int z = 0;
      for (const Point& p : n.pins3D) z = std::max(z, p.z);
      top.push_back(z);
    }
  }

  // Adds to the path the vias at each end tile between the layer the path ends on there and
  // every pin of the net on that tile. Units the path already has are not added again (a
  // single-connection net would count them twice). Call it only on a path not committed.
  void add(TwoPin& t, const Net& n) const {
    const std::size_t i = std::size_t(t.netIndex);
    if (i < top.size() && top[i] == 0 && t.p1.z <= 0 && t.p2.z <= 0) return;
    for (const Point end : {t.p1, t.p2}) {
      int lo = std::numeric_limits<int>::max(), hi = -1;
      for (const Point& p : n.pins3D)
        if (p.x == end.x && p.y == end.y) lo = std::min(lo, p.z), hi = std::max(hi, p.z);
      if (hi < 0) continue;  // no pin here: a Steiner point, joined by the other connections
      const int z = std::clamp(end.z, 0, layers - 1);
      for (int l = std::min(z, lo); l < std::max(z, hi); ++l) {
        const RPoint via(end.x, end.y, l, 2);
        if (std::none_of(t.path.begin(), t.path.end(), [&](const RPoint& u) { return eqRPoint()(u, via); }))
          t.path.push_back(via);
      }
    }
  }

 private:
  int layers;
  std::vector<int> top;  // highest pin layer per net index
};

void commitAll(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, const PinStacks& stacks) {
  for (Net& n : db.nets) n.wireLength = 0;
  for (Order& o : orders)
    if (Net* n = netOf(db, o)) {
      stacks.add(*o.twoPin, *n);
      router.Route3DPath(o.twoPin->path, *n);
    }
}

// Rips up, searches and commits one connection; returns the search's result, negative when
// it found nothing and the old path went back in.
int reroute(GlobalRouter& router, TwoPin* t, Net& n, BoundingBox& box, const PinStacks& stacks) {
  router.RipUp3D(t->path, n);
  const int result = router.MultiMaze3D(t, n, kNoLengthBound, box);
  if (result >= 0) stacks.add(*t, n);
  router.Route3DPath(t->path, n);
  return result;
}

// The net's name in the problem, or n<id> where the database keeps no names.
std::string netLabel(const NetDB& db, std::size_t i) {
  if (db.netNames.size() == db.nets.size()) return std::string(db.netNames[i]);
  return "n" + std::to_string(db.nets[i].id);
}

void repair(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, BoundingBox& box, const PinStacks& stacks) {
  for (Order& o : orders) {
    TwoPin* t = o.twoPin;
    if (!t->needRoute) continue;
    Net* n = netOf(db, o);
    if (n == nullptr) continue;
    t->overflow = reroute(router, t, *n, box, stacks);
    if (t->overflow < 0) {
      std::fflush(stdout);
      std::fprintf(stderr, "Warning: net %s: no layered path repairs a connection it lost in layer assignment\n",
                   netLabel(db, std::size_t(t->netIndex)).c_str());
    }
  }
  for (Order& o : orders) o.twoPin->needRoute = false;
}

// Every pin of the net, on its own layer, in one piece of the net's committed units.
bool joinsAllPins(const GlobalRouter& router, const Net& n, std::vector<std::int64_t>& nodes,
                  std::vector<std::int64_t>& ends, std::vector<int>& parent) {
  const std::int64_t xs = router.xNum, ys = router.yNum;
  auto node = [&](int x, int y, int z) { return (std::int64_t(z) * ys + y) * xs + x; };
  ends.clear();
  auto addUnit = [&](const RPoint& u) {
    ends.push_back(node(u.x, u.y, u.z));
    ends.push_back(u.hori == 1   ? node(u.x + 1, u.y, u.z)
                   : u.hori == 0 ? node(u.x, u.y + 1, u.z)
                                 : node(u.x, u.y, u.z + 1));
  };
  if (n.twoPins.size() == 1)
    for (const RPoint& u : n.twoPins.front().path) addUnit(u);
  else
    n.routedEdges.forEach(addUnit);
  nodes.assign(ends.begin(), ends.end());
  std::sort(nodes.begin(), nodes.end());
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  parent.resize(nodes.size());
  std::iota(parent.begin(), parent.end(), 0);
  auto indexOf = [&](std::int64_t v) {
    const auto it = std::lower_bound(nodes.begin(), nodes.end(), v);
    return it != nodes.end() && *it == v ? int(it - nodes.begin()) : -1;
  };
  auto root = [&](int a) {
    while (parent[a] != a) a = parent[a] = parent[parent[a]];
    return a;
  };
  for (std::size_t k = 0; k < ends.size(); k += 2) parent[root(indexOf(ends[k]))] = root(indexOf(ends[k + 1]));
  int first = -1;
  for (const Point& p : n.pins3D) {
    const int i = indexOf(node(p.x, p.y, p.z));
    if (i < 0) return false;
    if (first < 0) first = root(i);
    if (root(i) != first) return false;
  }
  return true;
}

// Reports every net the stage leaves open on standard error; true when there is none.
bool allNetsJoined(const GlobalRouter& router, const NetDB& db) {
  std::vector<std::int64_t> nodes, ends;
  std::vector<int> parent;
  int open = 0;
  for (std::size_t i = 0; i < db.nets.size(); ++i)
    if (!joinsAllPins(router, db.nets[i], nodes, ends, parent)) {
      if (open++ == 0) std::fflush(stdout);
      std::fprintf(stderr, "Error: net %s: the layered routes leave a pin unconnected\n", netLabel(db, i).c_str());
    }
  return open == 0;
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
                  const PinStacks& stacks, bool keepResults) {
  const int count = int(orders.size());
  const int step = count <= 39 ? 1 : count / 20;
  for (int i = 0; i < count; ++i) {
    TwoPin* t = orders[std::size_t(i)].twoPin;
    Net* n = netOf(db, orders[std::size_t(i)]);
    if (n == nullptr || !router.isNeedRoute(t, *n)) continue;
    if (i % step == 0 && i != 0) {
      const std::int64_t totalWL = std::int64_t(router.Wlen2D) + std::int64_t(router.totalVia) * router.viaCost;
      std::printf("Progress=%d%%  time=%.2lf  netlength=%d  via=%d  totalWL=%lld  totalOF=%lld\n",
                  int(100 * std::int64_t(i + 1) / (count + 1)), double(roundTimer.getTime()), int(t->path.size()),
                  router.totalVia, static_cast<long long>(totalWL), static_cast<long long>(router.totalOF));
      std::fflush(stdout);
    }
    const int result = reroute(router, t, *n, box, stacks);
    if (keepResults) t->overflow = result;
  }
}

void roundEnd(GlobalRouter& router, Timer& roundTimer) {
  router.showWL();
  std::printf("3D Routing costs %g seconds\n\n", double(roundTimer.getTime()));
  printTotalTime();
}

}  // namespace

bool Route3D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph, parameterSet& params) {
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
  const PinStacks stacks(db, router.zNum);
  commitAll(router, db, orders, stacks);
  repair(router, db, orders, box, stacks);
  router.costMode3D = 0;
  router.initialFunc_3Dmap(0);
  scoreAndSort(db, orders);

  std::printf("===================The first round of 3D post optimization===================\n");
  rerouteRound(router, db, orders, box, roundTimer, stacks, false);
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
    commitAll(router, db, orders, stacks);
    router.costMode3D = r == 1 ? 2 : 0;
    router.initialFunc_3Dmap(2);
    repair(router, db, orders, box, stacks);
    scoreAndSort(db, orders);

    ++r;
    std::printf("===================The %dth round of 3D post optimization===================\n", r);
    roundTimer.reset();
    roundTimer.start();
    rerouteRound(router, db, orders, box, roundTimer, stacks, true);
    roundEnd(router, roundTimer);
  }
  printCPUTime();
  return allNetsJoined(router, db);
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
