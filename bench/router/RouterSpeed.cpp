// Speed of the planar routers on a 1000 x 1000 grid with congested, uneven demand: L shapes,
// the monotonic program and the maze search (rip-up, search, commit) on connections of random
// boxes. Prints the time per connection of each router and the path lengths it produced.
//
//   bench/router/speed.sh [connections]

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "db/NetDB.h"
#include "db/Timer.h"
#include "router/GlobalRouter.h"

namespace {

// Deterministic 32-bit generator (xorshift), so every run routes the same connections.
struct Rng {
  unsigned s = 2463534242u;
  unsigned next() {
    s ^= s << 13, s ^= s >> 17, s ^= s << 5;
    return s;
  }
  int below(int n) { return int(next() % unsigned(n)); }
};

struct Job {
  Point a, b;
};

std::vector<Job> makeJobs(Rng& rng, int count, int grid, int span) {
  std::vector<Job> jobs;
  for (int i = 0; i < count; ++i) {
    const Point a(rng.below(grid), rng.below(grid));
    Point b(a.x + rng.below(2 * span + 1) - span, a.y + rng.below(2 * span + 1) - span);
    b.x = b.x < 0 ? 0 : (b.x >= grid ? grid - 1 : b.x);
    b.y = b.y < 0 ? 0 : (b.y >= grid ? grid - 1 : b.y);
    jobs.push_back({a, b});
  }
  return jobs;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = 1000, cap = 20;
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  const std::vector<int> perLayer(4, cap / 4);
  GlobalRouter router(n, n, 4, cap, cap, perLayer, perLayer, {}, {}, std::vector<int>(4, 2), {}, {}, 0.0);
  Rng rng;
  // Uneven demand: mostly below capacity, a few hot rows and columns above it.
  for (int& d : router.grid.hUsage.cells) d = rng.below(18) + (rng.below(40) == 0 ? 10 : 0);
  for (int& d : router.grid.vUsage.cells) d = rng.below(18) + (rng.below(40) == 0 ? 10 : 0);
  router.costSlope = 0.5;
  router.costHeight = 150.0f;
  router.initialCostArray();
  router.baseCost = 10.0f;
  router.via_cost = 1.0f;

  const std::vector<Job> jobs = makeJobs(rng, count, n, 60);
  Net net;
  net.twoPins.resize(1);
  TwoPin& t = net.twoPins[0];

  // L shapes (stage 0), each ripped up again so the grid stays as generated.
  router.stage = 0;
  long long units = 0;
  double start = wallClockSeconds();
  for (const Job& j : jobs) {
    t.path.clear();
    t.p1 = j.a, t.p2 = j.b;
    int maxUsage = 0;
    router.Pattern(t.p1, t.p2, &t, net, maxUsage);
    units += t.path.size();
    router.RipUp(t.p1, t.p2, t.path, net);
  }
  double s = wallClockSeconds() - start;
  std::printf("Pattern    %7d connections  %8.2f us each  %lld units\n", count, s * 1e6 / count, units);

  router.stage = 1;
  router.via_cost = 250.0f;
  router.initialFunc_2Dmap(1);
  units = 0;
  start = wallClockSeconds();
  for (const Job& j : jobs) {
    t.path.clear();
    t.p1 = j.a, t.p2 = j.b;
    int maxUsage = 0;
    router.DDPattern(t.p1, t.p2, &t, net, maxUsage);
    units += t.path.size();
    router.RipUp(t.p1, t.p2, t.path, net);
  }
  s = wallClockSeconds() - start;
  std::printf("DDPattern  %7d connections  %8.2f us each  %lld units\n", count, s * 1e6 / count, units);

  // Maze: old path = the L, ripped up, searched with a bound of twice the box, committed.
  router.stage = 2;
  router.costOffset = 1.0f;
  router.via_cost = 1.0f;
  router.initialFunc_2Dmap(2);
  units = 0;
  long long found = 0, lShape = 0;
  double mazeSeconds = 0.0;
  for (const Job& j : jobs) {
    t.path.clear();
    t.p1 = j.a, t.p2 = j.b;
    router.stage = 0;  // the L is priced from demand; commit leaves the map alone in stage 0
    int maxUsage = 0;
    router.Pattern(t.p1, t.p2, &t, net, maxUsage);
    router.stage = 2;
    lShape += t.path.size();
    router.RipUp(t.p1, t.p2, t.path, net);
    const int maxLen = 2 * t.p1.distance(t.p2) + 2;
    const std::vector<RPoint> old = t.path;
    start = wallClockSeconds();
    router.MultiMaze(&t, net, maxLen);
    mazeSeconds += wallClockSeconds() - start;
    found += t.path != old;
    units += t.path.size();
    router.RoutePath(t.p1, t.p2, t.path, net);
    router.RipUp(t.p1, t.p2, t.path, net);
  }
  std::printf("MultiMaze  %7d connections  %8.2f us each  %lld units (L shapes %lld), %lld new paths\n", count,
              mazeSeconds * 1e6 / count, units, lShape, found);
  return 0;
}
