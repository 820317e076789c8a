// Whole designs through layer assignment: generated problems, planar paths from the
// L-shape stand-in, each algorithm, then the result checked by the independent checker.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "layer/Graph.h"
#include "support/LaTestProblem.h"
#include "support/ResultChecker.h"

namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::filesystem::path workDir() {
  const std::filesystem::path dir = std::filesystem::path(KORVANE_BINARY_DIR) / "tests" / "layer-flow";
  std::filesystem::create_directories(dir);
  return dir;
}

// A generated problem, made once per profile and seed.
std::string problemFile(const std::string& profile, int seed) {
  const std::string path = (workDir() / (profile + "-" + std::to_string(seed) + ".gr")).string();
  if (!std::filesystem::exists(path) && !generateProblem(profile, seed, path)) return {};
  return path;
}

struct Outcome {
  std::string console, result, report;
};

// Layer assignment and the writers, as the flow runs them without a 3D stage.
Outcome assignAndWrite(NetDB& db, int algo, const std::string& stem) {
  Graph g;
  g.initialLA(db, 1, 0.0);
  testing::internal::CaptureStdout();
  g.convertGRtoLA(db);
  if (algo == 1) g.fastLA(0, 0, 0, false);
  if (algo == 2) g.COLA(0, 0, 0, false);
  if (algo == 3) g.NVM(0, 0, 0, false);
  Outcome o;
  o.console = testing::internal::GetCapturedStdout();
  o.result = stem + ".txt";
  o.report = stem + ".txt.ofinfo";
  EXPECT_TRUE(g.output3Dresult(o.result.c_str()));
  EXPECT_TRUE(g.outputOverflowInfo(o.report.c_str()));
  return o;
}

void checkDesign(const std::string& profile, int seed, int algo) {
  SCOPED_TRACE(profile + " seed " + std::to_string(seed) + " algorithm " + std::to_string(algo));
  const std::string gr = problemFile(profile, seed);
  if (gr.empty()) GTEST_SKIP() << "problem generator gen_gr.py not found";
  GrProblem problem;
  std::string error;
  ASSERT_TRUE(readGrProblem(gr, problem, error)) << error;
  NetDB db;
  fillNetDB(problem, db);
  routeWithLShapes(db);
  const std::string stem = (workDir() / (profile + "-" + std::to_string(seed) + "-la" + std::to_string(algo))).string();
  const Outcome first = assignAndWrite(db, algo, stem);

  const CheckReport check = checkResultFile(problem, first.result);
  EXPECT_TRUE(check.legal()) << check.summary();
  OverflowReport report;
  ASSERT_TRUE(readOverflowReport(first.report, report, error)) << error;
  EXPECT_TRUE(report.complete);
  // Capacities here are whole tracks times the pitch, so both measures agree.
  EXPECT_EQ(check.totalOverflow, report.totalOverflow);
  EXPECT_EQ(check.maxOverflow, report.maxOverflow);
  EXPECT_EQ(check.wirelength, report.wirelength);
  EXPECT_EQ(check.viaCount, report.viaCount);
  EXPECT_EQ(report.listedOverflow, report.totalOverflow);
  EXPECT_EQ(check.totalWirelength(), report.totalWirelength);

  // Same input, same bytes.
  NetDB again;
  fillNetDB(problem, again);
  routeWithLShapes(again);
  const Outcome second = assignAndWrite(again, algo, stem + "-again");
  EXPECT_EQ(readFile(first.result), readFile(second.result));
  EXPECT_EQ(readFile(first.report), readFile(second.report));
  EXPECT_EQ(first.console.substr(0, first.console.find("time=")),
            second.console.substr(0, second.console.find("time=")));
}

TEST(LayerAssignmentFlow, TinyDesignsAreLegalAndMatchTheirReport) {
  for (int seed : {1, 2, 3})
    for (int algo : {1, 2, 3}) checkDesign("tiny", seed, algo);
}

TEST(LayerAssignmentFlow, SmallDesignIsLegalAndMatchesItsReport) {
  for (int algo : {1, 2, 3}) checkDesign("small", 1, algo);
}

// After the conversion back, every connection that was not flagged is a chain of unit steps
// and via steps from (p1, p1.z) to (p2, p2.z), and its planar steps are the tree's units.
TEST(LayerAssignmentFlow, ConvertedPathsAreLayeredChainsBetweenThePins) {
  const std::string gr = problemFile("tiny", 4);
  if (gr.empty()) GTEST_SKIP() << "problem generator gen_gr.py not found";
  GrProblem problem;
  std::string error;
  ASSERT_TRUE(readGrProblem(gr, problem, error)) << error;
  NetDB db;
  fillNetDB(problem, db);
  routeWithLShapes(db);
  Graph g;
  g.initialLA(db, 1, 0.0);
  testing::internal::CaptureStdout();
  g.convertGRtoLA(db);
  g.NVM(0, 0, 0, false);
  testing::internal::GetCapturedStdout();
  g.convertLAtoGR(db);
  int chains = 0;
  for (const Net& n : db.nets)
    for (const TwoPin& t : n.twoPins) {
      if (t.needRoute) continue;
      int x = t.p1.x, y = t.p1.y, z = t.p1.z;
      for (const RPoint& u : t.path) {
        ASSERT_TRUE(u.z >= 0 && u.z < db.numLayers);
        if (u.hori == 2) {
          ASSERT_EQ(u.x, x);
          ASSERT_EQ(u.y, y);
          ASSERT_TRUE(u.z == z || u.z == z - 1) << "via does not touch the current layer";
          z = u.z == z ? z + 1 : z - 1;
        } else {
          ASSERT_EQ(u.z, z) << "layer change without a via";
          const int x2 = u.hori == 1 ? u.x + 1 : u.x, y2 = u.hori == 0 ? u.y + 1 : u.y;
          if (u.x == x && u.y == y)
            x = x2, y = y2;
          else if (x2 == x && y2 == y)
            x = u.x, y = u.y;
          else
            FAIL() << "step does not continue the chain";
        }
      }
      EXPECT_EQ(x, t.p2.x);
      EXPECT_EQ(y, t.p2.y);
      EXPECT_EQ(z, t.p2.z);
      ++chains;
    }
  EXPECT_GT(chains, 100);
}

}  // namespace
