// The layered rounds: progress lines, repair of broken connections, the price curve per round,
// and the state they leave (recounted from the final paths).
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>

#include "Router3DFixture.h"
#include "db/parameterSet.h"
#include "layer/Graph.h"
#include "router3d/Route3D.h"
#include "support/LaTestProblem.h"

namespace {

std::unique_ptr<GlobalRouter> routerFor(const NetDB& db, int viaCost) {
  auto r = std::make_unique<GlobalRouter>(db.gridX, db.gridY, db.numLayers, db.totalHorizontalTracks,
                                          db.totalVerticalTracks, db.horizontalTracks, db.verticalTracks, db.adjEdges,
                                          db.adjCapacity, db.wirePitch, db.repeatPinCount, db.pinCount, 0.0);
  r->viaCost = viaCost;
  return r;
}

std::vector<Order> ordersOf(NetDB& db) {
  std::vector<Order> orders;
  for (Net& n : db.nets)
    for (TwoPin& t : n.twoPins) orders.push_back(Order{&t, 0.0});
  return orders;
}

// The final state agrees with a recount from the final paths: every connection's path is
// committed once, and the prices are current.
void expectStateMatchesPaths(const GlobalRouter& r, const NetDB& db) {
  std::vector<LayeredCommit> live;
  for (std::size_t n = 0; n < db.nets.size(); ++n)
    for (const TwoPin& t : db.nets[n].twoPins) {
      EXPECT_FALSE(t.needRoute);
      live.push_back(LayeredCommit{int(n), t.path});
    }
  EXPECT_TRUE(matchesRecount(r, db.nets, recountLayered(r, db.nets, live)));
}

// `count` two-pin nets on a 12 x 12 grid, `oneUnit` of them one tile long, the rest longer.
NetDB straightNets(int count, int oneUnit) {
  NetDB db = makeGridDB(12, 12, {3, 3}, {3, 3});
  db.nets.reserve(std::size_t(count));
  for (int i = 0; i < count; ++i) {
    const int y = i % 12, x = (i / 12) % 4;
    const Point a(x, y), b(i < oneUnit ? x + 1 : x + 3 + (i % 5), y);
    Net& n = addNet(db, i, {a, b});
    n.twoPins.reserve(1);
    addLConnection(db, n, a, b);
  }
  return db;
}

// Runs `rounds` layered rounds over straightNets(30, 3) with via cost 1; keeps the router and
// the captured standard output.
struct StraightNetsRun {
  std::unique_ptr<GlobalRouter> router;
  std::string out;
  bool ok = false;
  explicit StraightNetsRun(int rounds) {
    NetDB db = straightNets(30, 3);
    router = routerFor(db, 1);
    Graph graph;
    graph.initialLA(db, 1, 0.0);
    std::vector<Order> orders = ordersOf(db);
    parameterSet params;
    params.optimization3DIteration = rounds;
    testing::internal::CaptureStdout();
    ok = Route3D(*router, db, orders, graph, params);
    out = testing::internal::GetCapturedStdout();
  }
};

struct ProgressCase {
  const char* name;
  int entries, oneUnit;
  int expectedLines;
  const char* firstLine;
  const char* lastLine;
};
const ProgressCase kProgress[] = {
    // step 1: a line before every rerouted entry from i = 1; one-unit paths (they sort
    // first, at i = 0 .. 2) are never rerouted and print nothing.
    {"30 entries", 30, 3, 27, "Progress=12%", "Progress=96%"},  // i = 3: 400 / 31; i = 29: 3000 / 31
    // step 5: lines at i = 5, 10, ..., 95; i = 5 shows 600 / 101 = 5, i = 95 9600 / 101 = 95.
    {"100 entries", 100, 0, 19, "Progress=5%", "Progress=95%"},
};

TEST(Route3DRounds, PrintsProgressAtEveryStepAndSkipsOneUnitPaths) {
  for (const ProgressCase& c : kProgress) {
    SCOPED_TRACE(c.name);
    NetDB db = straightNets(c.entries, c.oneUnit);
    auto router = routerFor(db, 1);
    Graph graph;
    graph.initialLA(db, 1, 0.0);
    std::vector<Order> orders = ordersOf(db);
    // A one-unit connection left broken by the conversion (its unit a row off) is repaired
    // before the rounds, which never reroute one-unit paths.
    TwoPin& broken = db.nets[0].twoPins[0];
    broken.path = {RPoint(broken.p1.x, broken.p1.y + 1, 0, 1)};
    broken.needRoute = true;
    parameterSet params;
    params.optimization3DIteration = 1;
    testing::internal::CaptureStdout();
    Route3D(*router, db, orders, graph, params);
    std::istringstream out(testing::internal::GetCapturedStdout());
    std::vector<std::string> progress;
    for (std::string l; std::getline(out, l);)
      if (l.rfind("Progress=", 0) == 0) progress.push_back(l);
    ASSERT_EQ(int(progress.size()), c.expectedLines);
    EXPECT_EQ(progress[0].substr(0, progress[0].find(' ')), c.firstLine);
    EXPECT_EQ(progress.back().substr(0, progress.back().find(' ')), c.lastLine);
    EXPECT_TRUE(std::regex_match(progress[0], std::regex("Progress=[0-9]+%  time=[0-9]+\\.[0-9]{2}  netlength=[0-9]+  "
                                                         "via=[0-9]+  totalWL=[0-9]+  totalOF=[0-9]+")))
        << progress[0];
    for (const Order& o : orders) EXPECT_TRUE(o.twoPin->path.size() >= 1);
    const auto& p = broken.path;
    EXPECT_TRUE(std::any_of(p.begin(), p.end(), [&](const RPoint& u) {
      return u.hori == 1 && u.x == std::min(broken.p1.x, broken.p2.x) && u.y == broken.p1.y;
    }));
    expectStateMatchesPaths(*router, db);
  }
}

// Prices follow the flatter curve in the second layered round only: after one, two and three
// rounds an edge no net uses has the price of the steep, flat and steep curve.
TEST(Route3DRounds, FlatterPriceCurveInTheSecondRoundOnly) {
  for (int rounds : {1, 2, 3}) {
    const StraightNetsRun run(rounds);
    const GlobalRouter* router = run.router.get();
    const double r = 1.0 / double(router->grid.capacity3D.at(0, 11, 10).x + 1);
    EXPECT_EQ(entryAt(*router, 10, 11, 0).x, float(1000.0 * (r * r * (rounds == 2 ? 0.01 : 0.025) + 1.0))) << rounds;
  }
}

// A connection no layered path can repair (no layer has horizontal tracks) is a warning naming
// its net; the net left open fails the stage, and a net routed elsewhere is not named.
TEST(Route3DRounds, AnOpenNetIsNamedAndFailsTheStage) {
  NetDB db = makeGridDB(6, 6, {0, 0}, {3, 3});
  addLConnection(db, addNet(db, 8, {Point(1, 1), Point(1, 4)}), Point(1, 1), Point(1, 4));
  TwoPin& lost = addLConnection(db, addNet(db, 7, {Point(0, 0), Point(3, 0)}), Point(0, 0), Point(3, 0));
  lost.path.clear();
  lost.needRoute = true;
  auto router = routerFor(db, 1);
  Graph graph;
  std::vector<Order> orders = ordersOf(db);
  parameterSet params;
  params.optimization3DIteration = 1;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_FALSE(Route3D(*router, db, orders, graph, params));
  const std::string err = testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(err,
            "Warning: net n7: no layered path repairs a connection it lost in layer assignment\n"
            "Error: net n7: the layered routes leave a pin unconnected\n");
}

// Three layered rounds: every round ends with its time line and the total-time line, each
// followed by an empty line; the layer assignment between rounds prints its time line and two
// empty lines before the total; the stage ends with the four activity timers and an empty line.
TEST(Route3DRounds, TimeLinesCloseEveryRoundAndTheStage) {
  const StraightNetsRun run(3);
  ASSERT_TRUE(run.ok);
  const std::string out =
      std::regex_replace(run.out, std::regex("(costs|Time:|time :) [0-9][-0-9.e+]* seconds"), "$1 T seconds");
  const std::string roundEnd = "3D Routing costs T seconds\n\n!!!!!!!!!  CPU  Total Time: T seconds  !!!!!!!\n\n";
  const std::string assignment =
      "===================Start DP-based Layer Assignment with Negotiation Scheme===================\n";
  const std::string assignmentEnd =
      "Layer Assignment costs T seconds\n\n\n!!!!!!!!!  CPU  Total Time: T seconds  !!!!!!!\n\n";
  std::size_t at = 0;
  for (const std::string& piece :
       {std::string("===================The first round of 3D post optimization===================\n"), roundEnd,
        assignment, assignmentEnd, std::string("===================The 2th round of 3D post optimization"), roundEnd,
        assignment, assignmentEnd, std::string("===================The 3th round of 3D post optimization"), roundEnd}) {
    const std::size_t p = out.find(piece, at);
    ASSERT_NE(p, std::string::npos) << "missing or out of order:\n" << piece << "\nin:\n" << out;
    at = p + piece.size();
  }
  EXPECT_EQ(out.substr(at - roundEnd.size()),
            roundEnd +
                "CPU: ripupPath cost time : T seconds\nCPU: addPath cost time : T seconds\n"
                "CPU: modifyCost cost time : T seconds\nCPU: mazeKernel cost time : T seconds\n\n");
}

// Ripping up a unit that the net does not hold never lowers the demand another net pays.
TEST(LayeredCommit, RipUpOfAUnitTheNetDoesNotHoldChangesNothing) {
  auto r = makeLayeredRouter(4, 4, {5, 5}, {5, 5}, {1, 1});
  Net n, other;
  n.twoPins.resize(2);
  other.twoPins.resize(1);
  std::vector<RPoint> b = {RPoint(1, 1, 0, 1)};
  r->Route3DPath(b, other);
  r->RipUp3D(b, n);
  EXPECT_EQ(r->grid.usage3D.at(0, 1, 1).x, 1);
  EXPECT_EQ(r->Wlen2D, 1);
}

}  // namespace
