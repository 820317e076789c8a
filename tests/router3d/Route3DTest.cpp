// The layered post-optimisation driver: round control and console lines (times masked), the
// state it leaves, and whole generated designs through the planar stages, layer assignment
// and three layered rounds, re-checked by the independent result checker.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <regex>
#include <sstream>

#include "Parser.h"
#include "Router3DFixture.h"
#include "db/parameterSet.h"
#include "layer/Graph.h"
#include "router/GlobalRoute.h"
#include "router/InitialRoute.h"
#include "router3d/Route3D.h"
#include "steiner/MST.h"
#include "support/LaTestProblem.h"
#include "support/ResultChecker.h"
#include "support/RunProcess.h"

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

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) out.push_back(line);
  return out;
}

// Times become "T"; everything else stays byte for byte.
std::string maskTimes(const std::string& text) {
  static const std::regex seconds("(costs |Time: |time=|: )[0-9.e+-]+( seconds)?");
  return std::regex_replace(text, seconds, "$1T$2");
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

struct ProgressCase {
  const char* name;
  int entries, oneUnit;
  int expectedLines;
  const char* firstLine;
};
const ProgressCase kProgress[] = {
    // step 1: a line before every rerouted entry from i = 1; one-unit paths (they sort
    // first, at i = 0 .. 2) are never rerouted and print nothing.
    {"30 entries", 30, 3, 27, "Progress=12%"},  // i = 3: 400 / 31
    // step 5: lines at i = 5, 10, ..., 95; i = 5 shows 600 / 101 = 5.
    {"100 entries", 100, 0, 19, "Progress=5%"},
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
    const std::vector<std::string> out = lines(testing::internal::GetCapturedStdout());
    std::vector<std::string> progress;
    for (const std::string& l : out)
      if (l.rfind("Progress=", 0) == 0) progress.push_back(l);
    ASSERT_EQ(int(progress.size()), c.expectedLines);
    EXPECT_EQ(progress[0].substr(0, progress[0].find(' ')), c.firstLine);
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
    NetDB db = straightNets(30, 3);
    auto router = routerFor(db, 1);
    Graph graph;
    graph.initialLA(db, 1, 0.0);
    std::vector<Order> orders = ordersOf(db);
    parameterSet params;
    params.optimization3DIteration = rounds;
    testing::internal::CaptureStdout();
    Route3D(*router, db, orders, graph, params);
    testing::internal::GetCapturedStdout();
    const double r = 1.0 / double(router->grid.capacity3D.at(0, 11, 10).x + 1);
    EXPECT_EQ(entryAt(*router, 10, 11, 0).x, float(1000.0 * (r * r * (rounds == 2 ? 0.01 : 0.025) + 1.0))) << rounds;
  }
}

std::filesystem::path workDir() {
  const std::filesystem::path dir = std::filesystem::path(KORVANE_BINARY_DIR) / "tests" / "route3d";
  std::filesystem::create_directories(dir);
  return dir;
}

struct Run3D {
  std::string console, result, report;
};

// The flow as the driver runs it with a layered stage: planar routing (in the build directory,
// where the Steiner tables are), negotiated layer assignment, `rounds` layered rounds, both
// writers. The console is kept from the layered stage on.
Run3D runLayeredFlow(const std::string& grPath, int rounds, const std::string& stem) {
  TempDir dir;
  const std::string setFile = dir.write("run.set",
                                        "Via cost = 1\nPattern Routing Iteration = 2\nMonotonic Routing Iteration = 3\n"
                                        "Maze Routing Iteration = 5\nPost Routing Iteration = 2\n"
                                        "Wirelength Optimization Level = 17\nPin Blockage Factor = 0.05\n");
  char cwd[4096];
  const std::string old = getcwd(cwd, sizeof cwd) ? cwd : ".";
  EXPECT_EQ(chdir(KORVANE_BINARY_DIR), 0);
  NetDB db;
  parameterSet params;
  Run3D run;
  testing::internal::CaptureStdout();
  Input_Setting(setFile.c_str(), db, params);
  Input_ISPD(grPath.c_str(), db, params);
  GlobalRouter router(db.gridX, db.gridY, db.numLayers, db.totalHorizontalTracks, db.totalVerticalTracks,
                      db.horizontalTracks, db.verticalTracks, db.adjEdges, db.adjCapacity, db.wirePitch,
                      db.repeatPinCount, db.pinCount, params.pinBlockageFactor);
  router.viaCost = params.viaCost;
  std::vector<Order> orders;
  BuildCongestionDrivenTree(db.nets);
  initialRoute(router, db.nets);
  GlobalRoute(router, db, orders, params);
  Graph graph;
  graph.initialLA(db, params.viaCost, params.pinBlockageFactor);
  graph.convertGRtoLA(db);
  graph.NVM(0, 0, 0, false);
  graph.convertLAtoGR(db);
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(chdir(old.c_str()), 0);

  params.optimization3DIteration = rounds;
  testing::internal::CaptureStdout();
  Route3D(router, db, orders, graph, params);
  run.result = stem + ".txt";
  run.report = run.result + ".ofinfo";
  EXPECT_TRUE(outputFile(run.result.c_str(), db));
  EXPECT_TRUE(router.outputOverflowInfo(run.report.c_str()));
  run.console = testing::internal::GetCapturedStdout();
  expectStateMatchesPaths(router, db);
  return run;
}

void checkGenerated(const std::string& profile, int seed) {
  SCOPED_TRACE(profile + " seed " + std::to_string(seed));
  const std::string gr = (workDir() / (profile + "-" + std::to_string(seed) + ".gr")).string();
  if (!std::filesystem::exists(gr) && !generateProblem(profile, seed, gr)) GTEST_SKIP() << "gen_gr.py not found";
  GrProblem problem;
  std::string error;
  ASSERT_TRUE(readGrProblem(gr, problem, error)) << error;
  const std::string stem = (workDir() / (profile + "-" + std::to_string(seed))).string();
  const Run3D run = runLayeredFlow(gr, 3, stem);

  const CheckReport check = checkResultFile(problem, run.result);
  EXPECT_TRUE(check.legal()) << check.summary();
  OverflowReport report;
  ASSERT_TRUE(readOverflowReport(run.report, report, error)) << error;
  EXPECT_TRUE(report.complete);
  // Capacities of generated problems are whole tracks times the pitch: both measures agree.
  EXPECT_EQ(check.totalOverflow, report.totalOverflow);
  EXPECT_EQ(check.maxOverflow, report.maxOverflow);
  EXPECT_EQ(check.wirelength, report.wirelength);
  EXPECT_EQ(check.viaCount, report.viaCount);
  EXPECT_EQ(check.totalWirelength(), report.totalWirelength);
  EXPECT_EQ(report.listedOverflow, report.totalOverflow);

  // Three rounds: the first-round banner, then two blocks opened by the layer-assignment
  // banner, the round banners numbered 2th and 3th, each round closed by its totals and times.
  // (The layer assignment's own totals lines carry a weightOF field and are left out.)
  std::vector<std::string> skeleton;
  for (const std::string& l : lines(maskTimes(run.console)))
    if (l.rfind("=====", 0) == 0 || (l.rfind("totalOF=", 0) == 0 && l.find("weightOF") == std::string::npos) ||
        l.rfind("3D Routing", 0) == 0 || l.rfind("Layer Assignment costs", 0) == 0 || l.rfind("!!!!", 0) == 0 ||
        l.rfind("CPU: ", 0) == 0)
      skeleton.push_back(l.rfind("totalOF=", 0) == 0 ? "totalOF" : l);
  const std::string la =
      "===================Start DP-based Layer Assignment with Negotiation Scheme===================";
  const std::string total = "!!!!!!!!!  CPU  Total Time: T seconds  !!!!!!!";
  const std::vector<std::string> expected = {
      "===================The first round of 3D post optimization===================",
      "totalOF",
      "3D Routing costs T seconds",
      total,
      la,
      "Layer Assignment costs T seconds",
      total,
      "===================The 2th round of 3D post optimization===================",
      "totalOF",
      "3D Routing costs T seconds",
      total,
      la,
      "Layer Assignment costs T seconds",
      total,
      "===================The 3th round of 3D post optimization===================",
      "totalOF",
      "3D Routing costs T seconds",
      total,
      "CPU: ripupPath cost time : T seconds",
      "CPU: addPath cost time : T seconds",
      "CPU: modifyCost cost time : T seconds",
      "CPU: mazeKernel cost time : T seconds",
      "totalOF"};
  EXPECT_EQ(skeleton, expected);
  // The round's time lines are followed by empty lines exactly as laid down.
  const std::string masked = maskTimes(run.console);
  EXPECT_NE(masked.find(" \n3D Routing costs T seconds\n\n" + total + "\n\n"), std::string::npos);
  EXPECT_NE(masked.find("Layer Assignment costs T seconds\n\n\n" + total + "\n\n"), std::string::npos);

  // The printed totals of the last round are the report's.
  const std::vector<std::string> out = lines(run.console);
  EXPECT_EQ(out.back(),
            "totalOF=" + std::to_string(report.totalOverflow) + "  maxOF=" + std::to_string(report.maxOverflow) +
                "  Wlen2D=" + std::to_string(report.wirelength) + "  Via=" + std::to_string(report.viaCount) +
                "  totalWL(Wlen2D+Via*1)=" + std::to_string(report.totalWirelength) + " ");
}

TEST(Route3DFlow, TinyDesignsAreLegalAndMatchTheirReport) { checkGenerated("tiny", 1); }

}  // namespace
