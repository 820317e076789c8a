// The planar routing flow.
//
// Every connection first gets the cheapest straight or L-shaped route (pattern stage), then
// connections on congested edges are redone by a monotonic dynamic program (monotonic stage).
// The maze stage then rips up and reroutes every overflowing connection, round after round,
// with a congestion history that makes repeatedly overflowed edges dearer and a length bound
// that grows with the reroute count, until no edge overflows or the round budget is spent.
// The post stage finally reroutes every detoured connection under a cost that forbids new
// overflow, to win back wirelength.
//
// Each stage runs a fixed number of rounds from the parameters (the maze stage may stop
// early); a round visits the order list once, so the cost is rounds x connections x the cost
// of one route. Stage times are processor seconds; round lines go to standard output.

#include "router/GlobalRoute.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>

#include "db/Timer.h"
#include "db/parameterSet.h"
#include "router/GlobalRouter.h"

namespace {

// Time limit of the maze stage in processor seconds; (int)seconds > limit stops it.
constexpr double kMazeTimeLimit = 3000000.0;
// ScoreNets rebuilds the maze rip-up list every this many rounds.
constexpr int kRescoreInterval = 15;

int spanX(const TwoPin& t) { return std::abs(t.p1.x - t.p2.x); }
int spanY(const TwoPin& t) { return std::abs(t.p1.y - t.p2.y); }

double secondsSince(std::clock_t start) { return cpuSecondsBetween(start, std::clock()); }

// The smaller planar edge capacity: every usage threshold of the stages is relative to it.
int minCapacity(const GlobalRouter& router) { return std::min(router.hCapacity, router.vCapacity); }

// "Round=r  time=s  totalOF=...  Wlen2D=...  num_route_net=count" of the pattern and
// monotonic stages, flushed so that progress is visible during long runs.
void printPatternRound(const GlobalRouter& router, int round, std::clock_t start, int count) {
  std::printf("Round=%d  time=%g  totalOF=%lld  Wlen2D=%d  num_route_net=%d\n", round, secondsSince(start),
              static_cast<long long>(router.totalOF), router.Wlen2D, count);
  std::fflush(stdout);
}

// A connection's summed overflow as its int field holds it: the sum is 64-bit, the field is not.
int cappedOverflow(std::int64_t overflow) { return int(std::min<std::int64_t>(overflow, INT_MAX)); }

int maxOverflow(const GlobalRouter& router) {
  int x = 0, y = 0, maxOF = 0;
  router.getMaxHistory(x, y, maxOF);
  return maxOF;
}

void buildOrderList(NetDB& db, std::vector<Order>& orders) {
  std::size_t total = orders.size();
  for (const Net& net : db.nets) total += net.twoPins.size();
  orders.reserve(total);
  for (std::size_t i = 0; i < db.nets.size(); ++i) {
    Net& net = db.nets[i];
    for (TwoPin& t : net.twoPins) {
      t.netIndex = int(i);
      orders.push_back(Order{&t, initialOrderScore(t, net)});
    }
  }
  std::sort(orders.begin(), orders.end());
}

void patternStage(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, const parameterSet& params) {
  router.stage = 0;
  router.costSlope = 0.3;
  router.costHeight = 200.0f;
  router.baseCost = 10.0f;
  router.via_cost = float(router.viaCost) * 250.0f;
  router.hardOverflowCost = false;
  router.historyOn = false;
  router.initialCostArray();
  const int m = minCapacity(router);
  std::printf("===================Start Pattern Routing===================\n");
  const std::clock_t start = std::clock();
  router.stage = 0;
  router.Wlen2D = 0;
  for (int r = 0; r < params.patternIteration; ++r) {
    int count = 0;
    for (Order& e : orders) {
      TwoPin& t = *e.twoPin;
      if (!t.needRoute) continue;
      Net& net = db.nets[t.netIndex];
      ++count;
      if (r > 0) {
        router.RipUp(t.p1, t.p2, t.path, net);
        t.path.clear();
      }
      if (t.p1.x == t.p2.x || t.p1.y == t.p2.y) {
        t.overflow = router.Flat(t.p1, t.p2, t.path, net);
        t.needRoute = false;
      } else {
        int maxUsage = 0;
        t.overflow = router.Pattern(t.p1, t.p2, &t, net, maxUsage);
        // Round 0 routes against a partial picture; every bent connection is redone once.
        if (r > 0 && maxUsage < m - 5) t.needRoute = false;
      }
      t.wireLength = int(t.path.size());
    }
    printPatternRound(router, r, start, count);
  }
  std::printf("Pattern Routing costs %g seconds\n\n", secondsSince(start));
}

void monotonicStage(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, const parameterSet& params) {
  const int m = minCapacity(router);
  std::printf("===================Start Monotonic Routing===================\n");
  const std::clock_t start = std::clock();
  router.stage = 1;
  router.via_cost = float(router.viaCost) * 250.0f;
  router.initialFunc_2Dmap(1);
  for (int r = 0; r < params.monotonicIteration; ++r) {
    int count = 0;
    for (Order& e : orders) {
      TwoPin& t = *e.twoPin;
      if (!t.needRoute) continue;
      Net& net = db.nets[t.netIndex];
      ++count;
      router.RipUp(t.p1, t.p2, t.path, net);
      t.path.clear();
      int maxUsage = 0;
      t.overflow = router.DDPattern(t.p1, t.p2, &t, net, maxUsage);
      t.wireLength = int(t.path.size());
      if (maxUsage < m - 4) t.needRoute = false;
    }
    // Later rounds route on congestion alone, with bends ever cheaper. The map's bend entry
    // keeps the stage-start value; only the program reads via_cost.
    router.useSteinerEdges = false;
    // Nothing reads the Steiner edges once the discount is off: return their memory now.
    if (r == 0)
      for (Net& net : db.nets) net.steinerEdges.clear();
    router.via_cost = std::max(router.via_cost - 30.0f, 0.0f);
    printPatternRound(router, r, start, count);
  }
  std::printf("Monotonic Routing costs %g seconds\n\n", secondsSince(start));
}

void mazeStage(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, const parameterSet& params) {
  std::printf("===================Start Maze Routing===================\n");
  const std::clock_t start = std::clock();
  router.historyCostMode = params.historyCostMode;  // read only by the history-table utilities
  router.hardOverflowCost = false;
  router.costSlope = 0.5;
  router.costHeight = 150.0f;
  router.historyBase = 50.0f;
  router.historyPow = 1.8;
  router.baseCost = 10.0f;
  router.via_cost = float(params.wirelengthParam) * float(router.viaCost);
  router.initialCostArray();
  router.stage = 2;
  router.costOffset = float(params.wirelengthParam);
  router.initialFunc_2Dmap(2);

  std::vector<Order> ripupList;
  MazeStallRule stall(params, router.totalOF);
  for (int r = 0; r < params.mazeIteration; ++r) {
    if (r % kRescoreInterval == 0) ScoreNets(router, ripupList, orders, db.nets, r);
    if (r == params.historyStartRound) router.historyOn = true;
    // Only a round priced as the one before can count towards a stall.
    const bool scheduleFixed = stall.scheduleFixed(r, router.costOffset);
    if (r >= params.costRelaxRound) {
      // Late rounds trade wirelength for overflow: no bend cost, a shrinking offset.
      router.via_cost = 0.0f;
      router.costOffset = std::max(router.costOffset - 10.0f, MazeStallRule::kCostOffsetFloor);
      router.initialFunc_2Dmap(2);
    }
    std::printf("Round=%d", r);

    std::sort(ripupList.begin(), ripupList.end());
    int count = 0;
    for (Order& e : ripupList) {
      if (router.totalOF <= 0) break;
      TwoPin& t = *e.twoPin;
      Net& net = db.nets[t.netIndex];
      int maxUsage = 0, vias = 0, wireUnits = 0;
      std::int64_t overflow = 0;
      router.getScore(maxUsage, overflow, vias, wireUnits, &t);
      e.score = double(60 * overflow - 2 * wireUnits) + 0.3 * std::sqrt(double(net.twoPins.size())) -
                double(2 * t.ripupCount);
      t.overflow = cappedOverflow(overflow);
      t.wireLength = wireUnits;
      if (overflow == 0) continue;

      ++count;
      router.RipUp(t.p1, t.p2, t.path, net);
      t.ripupCount += 1;
      const int maxLen = mazeLengthBound(spanX(t), spanY(t), r, t.ripupCount, params.expandCenter, params.expandScale);
      // On failure the old path is still in place and goes back in.
      router.MultiMaze(&t, net, maxLen);
      t.overflow = router.RoutePath(t.p1, t.p2, t.path, net);
    }

    const double seconds = secondsSince(start);
    std::printf("  time=%g  totalOF=%lld  maxOF=%d  Wlen2D=%d  num_route_net=%d\n", seconds,
                static_cast<long long>(router.totalOF), maxOverflow(router), router.Wlen2D, count);
    std::fflush(stdout);
    if (router.totalOF <= params.mazeStopOverflow || seconds >= kMazeTimeLimit + 1.0) break;
    if (stall.stalled(router.totalOF, scheduleFixed)) {
      std::printf("Maze routing stopped: no progress in %d rounds\n", MazeStallRule::kRounds);
      break;
    }
  }
  std::printf("Maze Routing costs %g seconds\n\n", secondsSince(start));
}

void postStage(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, const parameterSet& params) {
  for (Order& e : orders) e.score = postOrderScore(*e.twoPin);
  std::sort(orders.begin(), orders.end());

  router.hardOverflowCost = true;
  router.costOffset = 0.0f;
  router.stage = 3;
  router.baseCost = 1000.0f;
  router.via_cost = float(router.viaCost) * 1000.0f;
  router.initialFunc_2Dmap(2);
  std::printf("===================Start Post Routing===================\n");
  const std::clock_t start = std::clock();
  for (int r = 0; r < params.postRoutingIteration; ++r) {
    for (Order& e : orders) {
      TwoPin& t = *e.twoPin;
      Net& net = db.nets[t.netIndex];
      const int minimal = spanX(t) + spanY(t);
      if (t.wireLength == minimal && (t.p1.x == t.p2.x || t.p1.y == t.p2.y)) continue;  // optimal straight run
      router.RipUp(t.p1, t.p2, t.path, net);
      if (t.wireLength == minimal) {
        // Minimal but bent: only the bends can improve, which the monotonic program prices.
        t.path.clear();
        int maxUsage = 0;
        t.overflow = router.DDPattern(t.p1, t.p2, &t, net, maxUsage);
        t.wireLength = int(t.path.size());
      } else {
        router.MultiMaze(&t, net, int(t.path.size()));
        t.overflow = router.RoutePath(t.p1, t.p2, t.path, net);
      }
    }
    std::printf("Round=%d  time=%g  totalOF=%lld  maxOF=%d  Wlen2D=%d\n", r, secondsSince(start),
                static_cast<long long>(router.totalOF), maxOverflow(router), router.Wlen2D);
  }
  std::printf("Post Routing costs %g seconds\n\n", secondsSince(start));
  printCPUTime();
}

}  // namespace

double initialOrderScore(const TwoPin& twoPin, const Net& net) {
  return 100.0 / (std::min(spanX(twoPin), spanY(twoPin)) + 1) + double(10 * net.wireLength) / double(net.treeLength);
}

double postOrderScore(const TwoPin& twoPin) {
  return double(twoPin.wireLength + 20 * (twoPin.wireLength - (spanX(twoPin) + spanY(twoPin))));
}

int mazeLengthBound(int dx, int dy, int round, int ripupCount, int expandCenter, double expandScale) {
  const int e = std::max(round / 2, ripupCount);
  const double f = (std::atan(double(e - expandCenter)) - std::atan(-20.0)) * expandScale + 1.0;
  return int((dx + dy) * f) + 2;
}

MazeStallRule::MazeStallRule(const parameterSet& params, std::int64_t startOF)
    : unlimited(params.mazeIteration == INT_MAX),
      historyStartRound(params.historyStartRound),
      costRelaxRound(params.costRelaxRound),
      bestOF(startOF) {}

bool MazeStallRule::scheduleFixed(int r, float costOffset) const {
  return r > historyStartRound && r > costRelaxRound && costOffset <= kCostOffsetFloor;
}

bool MazeStallRule::stalled(std::int64_t totalOF, bool fixedSchedule) {
  if (!unlimited) return false;
  if (totalOF < bestOF) {
    bestOF = totalOF;
    staleRounds = 0;
    return false;
  }
  return fixedSchedule && ++staleRounds >= kRounds;
}

void ScoreNets(GlobalRouter& router, std::vector<Order>& ripupList, std::vector<Order>& orders, std::vector<Net>& nets,
               int round) {
  ripupList.clear();
  const int m = minCapacity(router);
  for (Order& e : orders) {
    TwoPin& t = *e.twoPin;
    t.needRoute = true;
    int maxUsage = 0, vias = 0, wireUnits = 0;
    std::int64_t overflow = 0;
    router.getScore(maxUsage, overflow, vias, wireUnits, &t);
    e.score = double(60 * overflow - vias + 3 * wireUnits) - 0.1 * std::sqrt(double(nets[t.netIndex].twoPins.size()));
    // The first list also takes connections near congestion; later ones only congested ones.
    if (maxUsage >= m - 3 || (round <= 0 && maxUsage >= m - 6))
      ripupList.push_back(e);
    else
      t.needRoute = false;
    t.overflow = cappedOverflow(overflow);
    t.wireLength = wireUnits;
  }
}

void GlobalRoute(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, parameterSet& params) {
  buildOrderList(db, orders);
  patternStage(router, db, orders, params);
  monotonicStage(router, db, orders, params);
  mazeStage(router, db, orders, params);
  postStage(router, db, orders, params);
}
