// The .set reader: echo lines, stored values, comments and every way a file can be wrong.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <tuple>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/RunProcess.h"

namespace {

struct Read {
  parameterSet params;
  std::string out;
};

Read readSettings(const std::string& text) {
  TempDir dir;
  const std::string path = dir.write("p.set", text);
  Read r;
  NetDB db;
  ::testing::internal::CaptureStdout();
  Input_Setting(path.c_str(), db, r.params);
  std::fflush(stdout);
  r.out = ::testing::internal::GetCapturedStdout();
  r.out = r.out.substr(r.out.find('\n') + 1);  // drop "read <path>"
  return r;
}

TEST(SettingsFile, EchoesEveryKeyByteForByte) {
  const Read r = readSettings(
      "Via cost = 5\nPattern Routing Iteration = 4\nMonotonic Routing Iteration = 0\nMaze Routing Iteration = 7\n"
      "Overflow Elimination Iteration = 2\nPost Routing Iteration = 0\nWirelength Optimization Level = 1\n"
      "3D Optimization Iteration = 2\nLayer Assignment Algorithm = 2\nOutput Routing Result = no\n"
      "Output Overflow Information = Yes\nIgnored Net Threshold = 1000\nPin Blockage Factor = 0.05\n");
  EXPECT_EQ(r.out,
            "set Via cost = 5\nset Pattern Routing Iteration = 4\nset Monotonic Routing Iteration = 0\n"
            "set Maze routing iteration = 7\nset Overflow Elimination iteration = 2\nset Post routing iteration = 0\n"
            "set Wirelength Optimization Level = 1\nset 3D Optimization Iteration = 2\n"
            "set Layer assignment algorithm = 2\nset Output Routing Result = No\n"
            "set Output Overflow Information = Yes\nset Ignored net threshold = 1000\n"
            "set Pin Blockage Factor = 0.050\n");
  const parameterSet& p = r.params;
  EXPECT_EQ(std::tuple(p.viaCost, p.patternIteration, p.monotonicIteration, p.mazeIteration, p.overflowElimIteration,
                       p.postRoutingIteration, p.wirelengthParam, p.optimization3DIteration, p.layerAssignAlgo,
                       p.outputRoutingResult, p.outputOverflowInfo, p.ignoredNetThreshold),
            std::tuple(5, 4, 0, 7, 2, 0, 40, 2, 2, false, true, 1000));
  EXPECT_DOUBLE_EQ(p.pinBlockageFactor, 0.05);
}

// A negative maze budget or ignored-net threshold means "no limit": stored as the largest int,
// echoed as written. Zero is a real limit.
TEST(SettingsFile, NegativeMazeAndIgnoredValuesMeanNoLimit) {
  const struct {
    const char* line;
    const char* echo;
    int parameterSet::*field;
    int stored;
  } kCases[] = {
      {"Maze Routing Iteration = -5", "set Maze routing iteration = -5\n", &parameterSet::mazeIteration, INT_MAX},
      {"Maze Routing Iteration = 0", "set Maze routing iteration = 0\n", &parameterSet::mazeIteration, 0},
      {"Ignored Net Threshold = -1", "set Ignored net threshold = -1\n", &parameterSet::ignoredNetThreshold, INT_MAX},
      {"Ignored Net Threshold = 0", "set Ignored net threshold = 0\n", &parameterSet::ignoredNetThreshold, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.line);
    const Read r = readSettings(c.line);
    EXPECT_EQ(r.out, c.echo);
    EXPECT_EQ(r.params.*c.field, c.stored);
  }
}

}  // namespace
