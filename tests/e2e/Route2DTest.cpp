// End-to-end planar routing: read a problem, decompose its nets, route them through the four
// stages as the flow driver does, and check the console and the routing state.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <regex>
#include <string>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "router/GlobalRoute.h"
#include "router/GlobalRouter.h"
#include "router/InitialRoute.h"
#include "steiner/MST.h"
#include "support/RoutingStateChecker.h"
#include "support/RunProcess.h"

namespace {

struct FlowRun {
  NetDB db;
  parameterSet params;
  std::unique_ptr<GlobalRouter> router;
  std::vector<Order> orders;
  PreloadedDemand preload;
  std::string out;  // everything printed, from the parameter file on
};

// The flow up to planar routing, in the driver's order, run in the build directory where the
// Steiner tables are generated.
std::unique_ptr<FlowRun> runFlow(const std::string& problem, const std::string& setFile) {
  auto run = std::make_unique<FlowRun>();
  char cwd[4096];
  const std::string old = getcwd(cwd, sizeof cwd) ? cwd : ".";
  EXPECT_EQ(chdir(KORVANE_BINARY_DIR), 0);
  ::testing::internal::CaptureStdout();
  Input_Setting(setFile.c_str(), run->db, run->params);
  Input_ISPD(problem.c_str(), run->db, run->params);
  NetDB& db = run->db;
  run->router =
      std::make_unique<GlobalRouter>(db.gridX, db.gridY, db.numLayers, db.totalHorizontalTracks, db.totalVerticalTracks,
                                     db.horizontalTracks, db.verticalTracks, db.adjEdges, db.adjCapacity, db.wirePitch,
                                     db.repeatPinCount, db.pinCount, run->params.pinBlockageFactor);
  run->router->viaCost = run->params.viaCost;
  run->preload = snapshotDemand(*run->router);
  std::printf("Net Decomposition\n");
  BuildCongestionDrivenTree(db.nets);
  initialRoute(*run->router, db.nets);
  std::printf("Start 2D GlobalRouting....\n");
  GlobalRoute(*run->router, db, run->orders, run->params);
  std::fflush(stdout);
  run->out = ::testing::internal::GetCapturedStdout();
  EXPECT_EQ(chdir(old.c_str()), 0);
  return run;
}

// Times differ from run to run; everything else must not.
std::string maskTimes(const std::string& out) {
  std::string s = std::regex_replace(out, std::regex("time=[-0-9.e+]+"), "time=T");
  s = std::regex_replace(s, std::regex("costs [-0-9.e+]+ seconds"), "costs T seconds");
  return std::regex_replace(s, std::regex("cost time : [0-9.]+ seconds"), "cost time : T seconds");
}

std::string settings(int maze) {
  return "Via cost = 1\nPattern Routing Iteration = 2\nMonotonic Routing Iteration = 3\nMaze Routing Iteration = " +
         std::to_string(maze) +
         "\nPost Routing Iteration = 2\nWirelength Optimization Level = 17\nPin Blockage Factor = 0.05\n";
}

// The console from "Net Decomposition" on: the stage banners, round lines with rounds counted
// from 0, time lines and the timer report, in this order and nothing else.
void expectStageConsole(const std::string& out, const parameterSet& params) {
  const std::size_t from = out.find("Net Decomposition\n");
  ASSERT_NE(from, std::string::npos);
  const std::string tail = maskTimes(out.substr(from));
  auto rounds = [](int n, const std::string& shape) {
    std::string s;
    for (int r = 0; r < n; ++r) s += "Round=" + std::to_string(r) + shape;
    return s;
  };
  const std::string pattern = "  time=T  totalOF=[0-9]+  Wlen2D=[0-9]+  num_route_net=[0-9]+\n";
  const std::string maze = "  time=T  totalOF=[0-9]+  maxOF=[0-9]+  Wlen2D=[0-9]+  num_route_net=[0-9]+\n";
  const std::string post = "  time=T  totalOF=[0-9]+  maxOF=[0-9]+  Wlen2D=[0-9]+\n";
  // The maze stage may stop early, after any round.
  std::string mazeRounds = "(";
  for (int n = 1; n <= params.mazeIteration; ++n) mazeRounds += (n > 1 ? "|" : "") + rounds(n, maze);
  mazeRounds += ")";
  const std::string timer = "cost time : T seconds\n";
  const std::string expected =
      "Net Decomposition\nStart 2D GlobalRouting....\n"
      "===================Start Pattern Routing===================\n" +
      rounds(params.patternIteration, pattern) +
      "Pattern Routing costs T seconds\n\n===================Start Monotonic Routing===================\n" +
      rounds(params.monotonicIteration, pattern) +
      "Monotonic Routing costs T seconds\n\n===================Start Maze Routing===================\n" + mazeRounds +
      "Maze Routing costs T seconds\n\n===================Start Post Routing===================\n" +
      rounds(params.postRoutingIteration, post) + "Post Routing costs T seconds\n\nCPU: ripupPath " + timer +
      "CPU: addPath " + timer + "CPU: modifyCost " + timer + "CPU: mazeKernel " + timer + "\n";
  EXPECT_TRUE(std::regex_match(tail, std::regex(expected))) << tail;

  // The maze stage stops early only on its overflow goal.
  std::smatch last;
  std::string::const_iterator at = tail.begin();
  std::smatch m;
  const std::regex mazeLine("Round=([0-9]+)  time=T  totalOF=([0-9]+)  maxOF=[0-9]+  Wlen2D=[0-9]+  num_route_net=");
  while (std::regex_search(at, tail.cend(), m, mazeLine)) {
    last = m;
    at = m.suffix().first;
  }
  ASSERT_FALSE(last.empty());
  if (std::stoi(last[1]) + 1 < params.mazeIteration) {
    EXPECT_EQ(std::stoi(last[2]), 0);
  }
}

// The post stage's last round line must agree with the router's final totals.
void expectFinalLineMatches(const FlowRun& run) {
  const std::string line = "totalOF=" + std::to_string(run.router->totalOF) +
                           "  maxOF=[0-9]+  Wlen2D=" + std::to_string(run.router->Wlen2D) + "\nPost Routing costs";
  EXPECT_TRUE(std::regex_search(maskTimes(run.out), std::regex(line)));
}

void checkProblem(const std::string& problem, const std::string& setFile) {
  const auto first = runFlow(problem, setFile);
  expectStageConsole(first->out, first->params);
  expectFinalLineMatches(*first);
  EXPECT_TRUE(routingStateIsConsistent(*first->router, first->db, first->orders, first->preload));
}

std::string generate(const TempDir& dir, const std::string& profile, int seed) {
  const std::string out = dir.file(profile + "-" + std::to_string(seed) + ".gr");
  const RunResult r =
      runProcess("/usr/bin/env", {"python3", std::string(KORVANE_SOURCE_DIR) + "/tools/gen_gr.py", "--profile", profile,
                                  "--seed", std::to_string(seed), "--quiet", "--out", out});
  if (r.exitStatus != 0) ADD_FAILURE() << "generator failed: " << r.err;
  return r.exitStatus == 0 ? out : std::string();
}

// Runs the flow on a generated problem; nothing when the generator failed.
void checkGenerated(const TempDir& dir, const std::string& profile, int seed, const std::string& setFile) {
  const std::string problem = generate(dir, profile, seed);
  if (!problem.empty()) checkProblem(problem, setFile);
}

TEST(Route2D, GeneratedTinyProblems) {
  TempDir dir;
  const std::string setFile = dir.write("maze.set", settings(8));
  for (const int seed : {1, 2}) {
    SCOPED_TRACE(seed);
    checkGenerated(dir, "tiny", seed, setFile);
  }
}

}  // namespace
