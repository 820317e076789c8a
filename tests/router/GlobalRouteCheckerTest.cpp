// The routing-state checker must see each kind of damage on its own, or the tests that rely
// on it prove nothing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <utility>

#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "router/GlobalRoute.h"
#include "router/GlobalRouter.h"
#include "steiner/MST.h"
#include "support/RouterOracle.h"
#include "support/RoutingStateChecker.h"

namespace {

// Net 0: three pins (two connections); net 1: one bent connection; net 2: one straight one.
struct Routed {
  NetDB db;
  std::unique_ptr<GlobalRouter> router = makePlainRouter(10, 10, 3, 3);
  std::vector<Order> orders;
  PreloadedDemand preload;

  Routed() {
    db.gridX = db.gridY = 10;
    const std::vector<std::vector<Point>> pins = {
        {Point(1, 1), Point(6, 1), Point(6, 7)}, {Point(2, 8), Point(8, 3)}, {Point(0, 5), Point(9, 5)}};
    for (const auto& p : pins) {
      Net net;
      net.pins2D = p;
      db.nets.push_back(net);
    }
    router->addAdjustment(4, 5, 2, true);  // some pre-loaded demand on net 2's row
    router->viaCost = 1;
    preload = snapshotDemand(*router);
    BuildCongestionDrivenTree(db.nets);
    parameterSet params;
    params.mazeIteration = 5;
    ::testing::internal::CaptureStdout();
    GlobalRoute(*router, db, orders, params);
    std::fflush(stdout);
    (void)::testing::internal::GetCapturedStdout();
  }
  TwoPin& twoPin(int net, int k) { return db.nets[std::size_t(net)].twoPins[std::size_t(k)]; }
};

TEST(RoutingStateChecker, AcceptsAnUntouchedRunAndFindsEachKindOfDamage) {
  {
    Routed run;
    EXPECT_TRUE(routingStateIsConsistent(*run.router, run.db, run.orders, run.preload));
  }
  const struct {
    const char* name;
    std::function<void(Routed&)> damage;
    const char* mustSay;
  } kDamage[] = {
      {"a unit shifted off the chain", [](Routed& r) { r.twoPin(2, 0).path[3].y += 1; }, "does not touch"},
      {"a unit on layer 1", [](Routed& r) { r.twoPin(1, 0).path[0].z = 1; }, "is no planar edge"},
      {"a unit off the grid", [](Routed& r) { r.twoPin(2, 0).path.back().x = 9; }, "is no planar edge"},
      {"a path one unit short", [](Routed& r) { r.twoPin(2, 0).path.pop_back(); }, "not at p2"},
      {"a stale wire length", [](Routed& r) { r.twoPin(1, 0).wireLength += 1; }, "wireLength"},
      {"a wrong net index", [](Routed& r) { r.twoPin(1, 0).netIndex = 0; }, "netIndex"},
      {"a pin cut off",
       [](Routed& r) {
         // Both connections of net 0 now join the same two pins: paths and demand stay
         // plausible, but the third pin hangs free.
         TwoPin& a = r.twoPin(0, 0);
         TwoPin& b = r.twoPin(0, 1);
         b.p1 = a.p1, b.p2 = a.p2, b.path = a.path, b.wireLength = a.wireLength;
       },
       "is not connected"},
      {"one track too many", [](Routed& r) { r.router->grid.hUsage[4][5] += 1; }, "hUsage[4][5]"},
      {"one track too few", [](Routed& r) { r.router->grid.vUsage[0][0] -= 1; }, "vUsage[0][0]"},
      {"Wlen2D off by one", [](Routed& r) { r.router->Wlen2D += 1; }, "Wlen2D"},
      {"totalOF off by one", [](Routed& r) { r.router->totalOF += 1; }, "totalOF"},
      {"scores out of order", [](Routed& r) { std::swap(r.orders.front().score, r.orders.back().score); },
       "scores above"},
      {"an entry missing", [](Routed& r) { r.orders.pop_back(); }, "order list holds"},
      {"an entry twice", [](Routed& r) { r.orders[1].twoPin = r.orders[0].twoPin; }, "listed twice"},
  };
  for (const auto& c : kDamage) {
    SCOPED_TRACE(c.name);
    Routed run;
    ASSERT_GT(run.orders.front().score, run.orders.back().score);
    c.damage(run);
    const std::vector<std::string> problems = routingStateProblems(*run.router, run.db, run.orders, run.preload);
    EXPECT_THAT(problems, ::testing::Contains(::testing::HasSubstr(c.mustSay)));
  }
}

}  // namespace
