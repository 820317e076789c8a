// The monotonic router against an exhaustive search over every monotone path of small boxes,
// and its fallback when the search table is unsound.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/PathChain.h"
#include "support/RouterOracle.h"

namespace {

// Cost of a walk from `a` given as steps (true = horizontal, toward +x; false = vertical, toward
// b.y): every edge by DPCost, every change of direction one via_cost, plus one via_cost for
// leaving a vertically and one for arriving at b vertically. Summed in double.
double walkCost(GlobalRouter& router, const Net& net, Point a, int dy, const std::vector<bool>& steps) {
  double sum = 0.0;
  Point at = a;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    if (steps[i]) {
      sum += router.DPCost(at.x, at.y, true, net);
      ++at.x;
    } else {
      sum += router.DPCost(at.x, dy > 0 ? at.y : at.y - 1, false, net);
      at.y += dy;
    }
    if (i > 0 && steps[i] != steps[i - 1]) sum += router.via_cost;
  }
  if (!steps.empty() && !steps.front()) sum += router.via_cost;
  if (!steps.empty() && !steps.back()) sum += router.via_cost;
  return sum;
}

// Least walkCost over every arrangement of w horizontal and h vertical steps.
double bestMonotone(GlobalRouter& router, const Net& net, Point a, Point b) {
  const int w = b.x - a.x, h = std::abs(b.y - a.y), dy = b.y > a.y ? 1 : -1;
  double best = INFINITY;
  for (unsigned mask = 0; mask < (1u << (w + h)); ++mask) {
    if (__builtin_popcount(mask) != w) continue;
    std::vector<bool> steps;
    for (int i = 0; i < w + h; ++i) steps.push_back((mask >> i) & 1u);
    best = std::min(best, walkCost(router, net, a, dy, steps));
  }
  return best;
}

// The routed path (listed from B to A) as steps from A.
std::vector<bool> stepsFromA(const std::vector<RPoint>& path) {
  std::vector<bool> steps;
  for (auto it = path.rbegin(); it != path.rend(); ++it) steps.push_back(it->hori == 1);
  return steps;
}

bool near(double got, double want) { return std::fabs(got - want) <= 1e-4 * std::max(1.0, std::fabs(want)); }

}  // namespace

// Random demands, bend prices, own-net and preferred edges on every box up to 4 x 4 tiles, both
// slopes and both orders of the ends: the program's cost and its path must both be the exhaustive optimum.
TEST(MonotonicRoute, FindsTheCheapestMonotonePath) {
  std::mt19937 rng(20240611u);
  const float kBends[] = {0.0f, 5.0f, 37.5f, 250.0f};
  int checked = 0;
  for (int w = 0; w <= 4; ++w)
    for (int h = 0; h <= 4; ++h)
      for (int variant = 0; variant < 8; ++variant) {
        SCOPED_TRACE("w=" + std::to_string(w) + " h=" + std::to_string(h) + " variant=" + std::to_string(variant));
        auto router = makePlainRouter(9, 9, 10, 8);
        router->stage = 1;
        router->via_cost = kBends[variant % 4];
        for (int& d : router->grid.hUsage.cells) d = int(rng() % 15);
        for (int& d : router->grid.vUsage.cells) d = int(rng() % 15);
        const bool sharedNet = variant >= 4;
        Net net = makeNet(sharedNet ? 2 : 1);
        if (sharedNet) {
          for (int i = 0; i < 6; ++i) {
            const int hori = int(rng() % 2);
            net.routedEdges.insert(RPoint(int(rng() % 8), int(rng() % 8), 0, hori));
          }
          // Preferred edges in the box, their discount switched on or off.
          for (int i = 0; i < 6; ++i) {
            const int hori = int(rng() % 2);
            net.steinerEdges.insert(RPoint(2 + int(rng() % 5), 2 + int(rng() % 5), 0, hori));
          }
          router->useSteinerEdges = rng() % 2 == 0;
        }
        const bool rising = variant % 2 == 0;
        const Point a(2, rising ? 2 : 2 + h);
        const Point b(2 + w, rising ? 2 + h : 2);
        const double best = bestMonotone(*router, net, a, b);

        TwoPin& t = net.twoPins[0];
        // Alternate which end comes first; with equal x the former p2 is the left end.
        const bool leftFirst = (variant / 2) % 2 == 0;
        t.p1 = leftFirst ? a : b;
        t.p2 = leftFirst ? b : a;
        const Point left = w == 0 ? t.p2 : a;
        const Point right = w == 0 ? t.p1 : b;
        int maxUsage = -1;
        router->DDPattern(t.p1, t.p2, &t, net, maxUsage);
        EXPECT_EQ(t.p1, right);
        EXPECT_EQ(t.p2, left);
        EXPECT_TRUE(isChain(t.path, right, left));
        EXPECT_EQ(int(t.path.size()), w + h);
        EXPECT_EQ(t.wireLength, w + h);
        EXPECT_TRUE(near(t.pathCost, best)) << t.pathCost << " vs " << best;
        router->RipUp(t.p1, t.p2, t.path, net);  // price the path on the grid it was chosen on
        const double own = walkCost(*router, net, left, right.y >= left.y ? 1 : -1, stepsFromA(t.path));
        EXPECT_TRUE(near(own, best)) << own << " vs " << best;
        ++checked;
      }
  EXPECT_EQ(checked, 200);
}

// A NaN bend price makes both states of every interior cell a bend, so the trace-back cannot
// end: it is reported and replaced by an L. On the unloaded grid both routers' largest demand
// along the new path is 0.
TEST(MonotonicRoute, UnendingTraceBackFallsBackToAnL) {
  auto router = quietRouter(9, 9, 10, 8);
  router->stage = 1;
  router->via_cost = NAN;
  Net net = makeNet(1);
  TwoPin& t = net.twoPins[0];
  t.p1 = Point(2, 2), t.p2 = Point(5, 4);
  int maxUsage = -1;
  testing::internal::CaptureStdout();
  router->DDPattern(t.p1, t.p2, &t, net, maxUsage);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "ERROR GlobalRouter 2301 monotonic trace-back from (5,4) to (2,2) does not end\n");
  EXPECT_TRUE(isChain(t.path, Point(5, 4), Point(2, 2)));
  EXPECT_EQ(maxUsage, 0);
  router->RipUp(t.p1, t.p2, t.path, net);
  t.path.clear();
  router->Pattern(t.p1, t.p2, &t, net, maxUsage);
  EXPECT_EQ(maxUsage, 0);
}
