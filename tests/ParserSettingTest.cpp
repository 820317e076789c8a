// The .set reader: echo lines, stored values, comments and every way a file can be wrong.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/RunProcess.h"

namespace {

using ::testing::HasSubstr;

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

// A problem that reads cleanly, so a whole run gets past the .set file.
const char* kTinyProblem =
    "grid 2 2 2\nvertical capacity 0 4\nhorizontal capacity 4 0\nminimum width 1 1\nminimum spacing 1 1\n"
    "via spacing 1 1\n0 0 10 10\n\nnum net 1\nn0 0 2 1\n1 1 1\n15 1 1\n\n0\n";

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
  EXPECT_EQ(p.viaCost, 5);
  EXPECT_EQ(p.patternIteration, 4);
  EXPECT_EQ(p.monotonicIteration, 0);
  EXPECT_EQ(p.mazeIteration, 7);
  EXPECT_EQ(p.overflowElimIteration, 2);
  EXPECT_EQ(p.postRoutingIteration, 0);
  EXPECT_EQ(p.wirelengthParam, 40);
  EXPECT_EQ(p.optimization3DIteration, 2);
  EXPECT_EQ(p.layerAssignAlgo, 2);
  EXPECT_FALSE(p.outputRoutingResult);
  EXPECT_TRUE(p.outputOverflowInfo);
  EXPECT_EQ(p.ignoredNetThreshold, 1000);
  EXPECT_DOUBLE_EQ(p.pinBlockageFactor, 0.05);
}

TEST(SettingsFile, StoredFormsAndSpecialValues) {
  const struct {
    const char* name;
    const char* text;
    const char* echo;
    int parameterSet::*field;
    int stored;
  } kCases[] = {
      {"negative maze means unlimited", "Maze Routing Iteration = -5", "set Maze routing iteration = -5\n",
       &parameterSet::mazeIteration, INT_MAX},
      {"negative threshold means none", "Ignored Net Threshold = -1", "set Ignored net threshold = -1\n",
       &parameterSet::ignoredNetThreshold, INT_MAX},
      {"top wirelength level", "Wirelength Optimization Level = 500", "set Wirelength Optimization Level = 500\n",
       &parameterSet::wirelengthParam, 5030},
      {"last occurrence wins", "Via cost = 2 Via cost = 9", "set Via cost = 2\nset Via cost = 9\n",
       &parameterSet::viaCost, 9},
      {"keys on one line, any order", "Post a b c 3 Pattern a b c 6",
       "set Post routing iteration = 3\nset Pattern Routing Iteration = 6\n", &parameterSet::postRoutingIteration, 3},
      {"glued comment", "#Via cost = 3\nVia cost = 4", "set Via cost = 4\n", &parameterSet::viaCost, 4},
      {"standalone comment sign", "# Via cost = 3\nVia cost = 6 # Via cost = 8\n", "set Via cost = 6\n",
       &parameterSet::viaCost, 6},
      {"no keys keeps defaults", "\n\n# nothing\n", "", &parameterSet::mazeIteration, INT_MAX},
      {"missing Via key", "Pattern Routing Iteration = 2", "set Pattern Routing Iteration = 2\n",
       &parameterSet::viaCost, 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const Read r = readSettings(c.text);
    EXPECT_EQ(r.out, c.echo);
    EXPECT_EQ(r.params.*(c.field), c.stored);
  }
}

TEST(SettingsFile, LongCommentIsSkippedWhole) {
  const Read r = readSettings("# " + std::string(5000, 'x') + " Via cost = 3\nVia cost = 7\n");
  EXPECT_EQ(r.params.viaCost, 7);
}

TEST(SettingsFile, UnknownWordAfterOutputIsConsumed) {
  const Read r = readSettings("Output Something Via cost = 3");
  EXPECT_EQ(r.out, "set Via cost = 3\n");
}

// Each row is a bad value; the run prints the echo (where it comes first) and the fixed text
// on standard output and exits with status 1.
TEST(SettingsFile, RejectsBadValuesWithTheirFixedText) {
  const struct {
    const char* name;
    const char* text;
    const char* out;
  } kBad[] = {
      {"via cost 0", "Via cost = 0", "set Via cost = 0\nVia cost is out of a reasonable range\n"},
      {"pattern 0", "Pattern Routing Iteration = 0",
       "set Pattern Routing Iteration = 0\nPattern Routing Iteration is out of a reasonable range\n"},
      {"monotonic -1", "Monotonic Routing Iteration = -1",
       "set Monotonic Routing Iteration = -1\nMonotonic Routing iteration is out of a reasonable range\n"},
      {"overflow -1", "Overflow Elimination Iteration = -1",
       "set Overflow Elimination iteration = -1\nOverflow Elimination iteration is out of a reasonable range\n"},
      {"post -2", "Post Routing Iteration = -2",
       "set Post routing iteration = -2\nPost routing iteration is out of a reasonable range\n"},
      {"wirelength 0", "Wirelength Optimization Level = 0",
       "set Wirelength Optimization Level = 0\nWirelength optimization level is out of a reasonable range\n"},
      {"wirelength 501", "Wirelength Optimization Level = 501",
       "set Wirelength Optimization Level = 501\nWirelength optimization level is out of a reasonable range\n"},
      {"3D -1", "3D Optimization Iteration = -1",
       "set 3D Optimization Iteration = -1\n3D Optimization Iteration is out of a reasonable range\n"},
      {"layer 4 has no echo", "Layer Assignment Algorithm = 4",
       "Layer assignment algorithm is out of a reasonable range\n"},
      {"output routing maybe", "Output Routing Result = maybe",
       " \"Output Routing Result\" should be set to Yes or No\n"},
      {"output overflow YES", "Output Overflow Information = YES",
       " \"Output Overflow Infomation\" should be set to Yes or No\n"},
      {"negative pin factor", "Pin Blockage Factor = -0.5", " \"Pin Blockage Factor\" should be larger than 0\n"},
      {"unknown key", "Vias cost = 1", "The format of .set file is wrong\n"},
      {"hash inside a word is no comment", "Via# cost = 1", "The format of .set file is wrong\n"},
      {"value not a number", "Via cost = five", "The format of .set file is wrong\n"},
      {"value out of int range", "Maze Routing Iteration = 99999999999", "The format of .set file is wrong\n"},
      {"value glued to garbage", "Via cost = 5x", "The format of .set file is wrong\n"},
      {"file ends before the value", "Via cost =", "The format of .set file is wrong\n"},
      {"lower-case key", "via cost = 1", "The format of .set file is wrong\n"},
  };
  TempDir dir;
  const std::string problem = dir.write("p.gr", kTinyProblem);
  for (const auto& c : kBad) {
    SCOPED_TRACE(c.name);
    const std::string set = dir.write("bad.set", c.text);
    const RunResult r = runKorvane({"ISPD", problem, set, dir.file("out")});
    EXPECT_EQ(r.exitStatus, 1);
    const std::string expected = "!!!!  Korvane 2.0 !!!! \nread " + set + "\n" + c.out;
    EXPECT_EQ(r.out, expected);
  }
}

TEST(SettingsFile, MissingFileIsReportedOnStandardError) {
  TempDir dir;
  const std::string problem = dir.write("p.gr", kTinyProblem);
  const RunResult r = runKorvane({"ISPD", problem, dir.file("none.set"), dir.file("out")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "File " + dir.file("none.set") + " not exists!\n");
}

}  // namespace
