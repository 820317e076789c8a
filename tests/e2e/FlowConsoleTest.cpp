// End-to-end runs of the executable: the console of a whole run, a legal result whose overflow
// and wirelength an independent checker recomputes, identical bytes run after run, and the
// output switches.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/ResultChecker.h"
#include "support/RunProcess.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kSource = KORVANE_SOURCE_DIR;

// Runs from the build directory, where the Steiner tables are generated.
RunResult route(const std::string& problem, const std::string& setFile, const std::string& out) {
  return runKorvane({"ISPD", problem, setFile, out}, KORVANE_BINARY_DIR);
}

void expectInOrder(const std::string& text, const std::vector<std::string>& pieces) {
  std::size_t at = 0;
  for (const std::string& piece : pieces) {
    const std::size_t p = text.find(piece, at);
    ASSERT_NE(p, std::string::npos) << "missing or out of order: " << piece << "\n" << text;
    at = p + piece.size();
  }
}

std::string settings(int algo, const std::string& extra = "") {
  return "Via cost = 1\nMaze Routing Iteration = 30\nLayer Assignment Algorithm = " + std::to_string(algo) +
         "\nOutput Overflow Information = Yes\n" + extra;
}

TEST(WholeRun, BundledExamplePrintsTheStagesInOrder) {
  TempDir dir;
  const RunResult r = route(kSource + "/examples/tiny.gr", kSource + "/examples/default.set", dir.file("tiny.out"));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  expectInOrder(r.out,
                {
                    "!!!!  Korvane 2.0 !!!! \n",
                    "read " + kSource + "/examples/default.set\n",
                    "set Via cost = 1\n",
                    "set Pin Blockage Factor = 0.050\n",
                    "read " + kSource + "/examples/tiny.gr\n",
                    "Number of nets: 600\n",
                    "Input File costs ",
                    "total adjust capacity=",
                    "Net Decomposition\n",
                    "Start 2D GlobalRouting....\n",
                    "===================Start Pattern Routing===================",
                    "===================Start Post Routing===================",
                    "CPU: mazeKernel ",
                    "!!!!!!!!!  CPU  Total Time: ",
                    "===================Start DP-based Layer Assignment with Negotiation Scheme===================\n",
                    "Layer Assignment costs ",
                    "!!!!!!!!!  CPU  Total Time: ",
                    "output routing result = " + dir.file("tiny.out") + "\n",
                    "output overflow infomation file = " + dir.file("tiny.out") + ".ofinfo\n",
                    "Output File costs ",
                    "!!!!!!!!!  CPU  Total Time: ",
                });
  EXPECT_THAT(r.out, Not(HasSubstr("Start 3D GlobalRouting")));
  EXPECT_TRUE(std::regex_search(r.out, std::regex("Input File costs [0-9.e-]+ seconds\n\n")));
  EXPECT_TRUE(std::regex_search(r.out, std::regex("!!!!!!!!!  CPU  Total Time: [0-9.e-]+ seconds  !!!!!!!\n$")));
}

// Generated problems with capacities in whole pitches, so the report's figures (tracks times
// pitch) must equal the checker's (capacity units), for every layer-assignment algorithm.
TEST(WholeRun, GeneratedProblemsRouteLegallyAndTheReportAgreesWithTheChecker) {
  TempDir dir;
  for (const std::string seed : {"1", "2"}) {
    const std::string problem = dir.file("tiny" + seed + ".gr");
    const RunResult gen = runProcess("/usr/bin/env", {"python3", kSource + "/tools/gen_gr.py", "--profile", "tiny",
                                                      "--seed", seed, "--quiet", "--out", problem});
    ASSERT_EQ(gen.exitStatus, 0) << gen.err;
    GrProblem parsed;
    std::string error;
    ASSERT_TRUE(readGrProblem(problem, parsed, error)) << error;
    for (int algo : {1, 2, 3}) {
      SCOPED_TRACE("seed " + seed + " algorithm " + std::to_string(algo));
      const std::string out = dir.file("r" + seed + "_" + std::to_string(algo) + ".out");
      const RunResult r = route(problem, dir.write("p.set", settings(algo)), out);
      ASSERT_EQ(r.exitStatus, 0) << r.err;
      const CheckReport check = checkResultFile(parsed, out);
      EXPECT_TRUE(check.legal()) << check.summary();
      OverflowReport report;
      ASSERT_TRUE(readOverflowReport(out + ".ofinfo", report, error)) << error;
      EXPECT_TRUE(report.complete);
      EXPECT_EQ(report.totalOverflow, check.totalOverflow);
      EXPECT_EQ(report.maxOverflow, check.maxOverflow);
      EXPECT_EQ(report.wirelength, check.wirelength);
      EXPECT_EQ(report.viaCount, check.viaCount);
      EXPECT_EQ(report.listedOverflow, check.totalOverflow);
    }
  }
}

// With three-dimensional rounds the result and report come from the layered solution.
TEST(WholeRun, ThreeDimensionalRoundsKeepTheResultLegalAndTheReportExact) {
  TempDir dir;
  const std::string problem = kSource + "/examples/tiny.gr";
  GrProblem parsed;
  std::string error;
  ASSERT_TRUE(readGrProblem(problem, parsed, error)) << error;
  const std::string out = dir.file("r3d.out");
  const RunResult r = route(problem, dir.write("p.set", settings(3, "3D Optimization Iteration = 2\n")), out);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  expectInOrder(r.out, {"Layer Assignment costs ", "Start 3D GlobalRouting....\n",
                        "===================The first round of 3D post optimization===================\n",
                        "===================The 2th round of 3D post optimization===================\n",
                        "output routing result = ", "Output File costs "});
  const CheckReport check = checkResultFile(parsed, out);
  EXPECT_TRUE(check.legal()) << check.summary();
  OverflowReport report;
  ASSERT_TRUE(readOverflowReport(out + ".ofinfo", report, error)) << error;
  EXPECT_EQ(report.totalOverflow, check.totalOverflow);
  EXPECT_EQ(report.maxOverflow, check.maxOverflow);
  EXPECT_EQ(report.wirelength, check.wirelength);
  EXPECT_EQ(report.viaCount, check.viaCount);
}

// Nets named other than "n<id>", ids with a leading zero: with and without 3D rounds every
// block carries its net's name, which is how the checker, like the contest evaluator, finds it.
TEST(WholeRun, ResultBlocksCarryTheProblemsNetNames) {
  TempDir dir;
  const std::string problem = dir.write(
      "named.gr",
      std::regex_replace(readFile(kSource + "/examples/tiny.gr"), std::regex("\nn([0-9]+) [0-9]+ "), "\nA$1 0$1 "));
  GrProblem parsed;
  std::string error;
  ASSERT_TRUE(readGrProblem(problem, parsed, error)) << error;
  ASSERT_EQ(parsed.nets[1].name, "A1");
  for (const std::string rounds : {"0", "1"}) {
    SCOPED_TRACE(rounds + " 3D rounds");
    const std::string out = dir.file("named" + rounds + ".out");
    const RunResult r =
        route(problem, dir.write("p.set", settings(3, "3D Optimization Iteration = " + rounds + "\n")), out);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const CheckReport check = checkResultFile(parsed, out);
    EXPECT_TRUE(check.legal()) << check.summary();
  }
}

TEST(WholeRun, TwoRunsWriteIdenticalBytes) {
  TempDir dir;
  const std::string set = dir.write("p.set", settings(3, "Pin Blockage Factor = 0.05\n"));
  const std::string problem = kSource + "/examples/tiny.gr";
  ASSERT_EQ(route(problem, set, dir.file("a.out")).exitStatus, 0);
  ASSERT_EQ(route(problem, set, dir.file("b.out")).exitStatus, 0);
  EXPECT_EQ(readFile(dir.file("a.out")), readFile(dir.file("b.out")));
  EXPECT_EQ(readFile(dir.file("a.out.ofinfo")), readFile(dir.file("b.out.ofinfo")));
  EXPECT_FALSE(readFile(dir.file("a.out")).empty());
}

TEST(WholeRun, DefaultSwitchesWriteTheLayerAssignmentResultOnly) {
  TempDir dir;
  const std::string set = dir.write("p.set", "Maze Routing Iteration = 5\n");
  const RunResult r = route(kSource + "/examples/tiny.gr", set, dir.file("d.out"));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, Not(HasSubstr("Start 3D GlobalRouting")));
  EXPECT_THAT(r.out, Not(HasSubstr("output overflow infomation")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("d.out.ofinfo")));
  // The layer-assignment writer's header carries the id twice, the layered writer's adds a 0.
  EXPECT_TRUE(std::regex_search(readFile(dir.file("d.out")), std::regex("^n[0-9]+ [0-9]+\n\\(")));
}

TEST(WholeRun, OutputSwitchesOffWriteNothing) {
  TempDir dir;
  const std::string set =
      dir.write("p.set", "Maze Routing Iteration = 5\nOutput Routing Result = No\nOutput Overflow Information = No\n");
  const RunResult r = route(kSource + "/examples/tiny.gr", set, dir.file("none.out"));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, Not(HasSubstr("output routing result")));
  EXPECT_THAT(r.out, Not(HasSubstr("output overflow infomation")));
  EXPECT_THAT(r.out, HasSubstr("Output File costs "));
  EXPECT_TRUE(readFile(dir.file("none.out")).empty());
}

TEST(WholeRun, UnwritableOutputEndsWithStatusOneAfterTheRun) {
  TempDir dir;
  const std::string set = dir.write("p.set", "Maze Routing Iteration = 5\nOutput Overflow Information = Yes\n");
  const std::string out = dir.file("missing-dir/x.out");
  const RunResult r = route(kSource + "/examples/tiny.gr", set, out);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.err, HasSubstr("Error: " + out + ": cannot write"));
  EXPECT_THAT(r.err, HasSubstr("Error: " + out + ".ofinfo: cannot write"));
  EXPECT_THAT(r.out, HasSubstr("!!!!!!!!!  CPU  Total Time: "));
}

// Each writer of the report (after layer assignment, after the 3D stage), with and without the result.
TEST(WholeRun, UnwritableReportAloneEndsWithStatusOne) {
  for (const char* extra : {"", "Output Routing Result = No\n", "3D Optimization Iteration = 1\n",
                            "3D Optimization Iteration = 1\nOutput Routing Result = No\n"}) {
    SCOPED_TRACE(extra);
    TempDir dir;
    std::filesystem::create_directory(dir.file("r.out.ofinfo"));  // cannot be opened as a file
    const RunResult r = route(kSource + "/examples/tiny.gr", dir.write("p.set", settings(3, extra)), dir.file("r.out"));
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, "Error: " + dir.file("r.out.ofinfo") + ": cannot write\n");
  }
}

TEST(WholeRun, RunningOutOfMemoryEndsWithOneLine) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  // 1000 x 1000 tiles on 8 layers take about 360 MB; the process may have 200 MB.
  const std::string gr =
      "grid 1000 1000 8\nvertical capacity 2 2 2 2 2 2 2 2\nhorizontal capacity 2 2 2 2 2 2 2 2\n"
      "minimum width 1 1 1 1 1 1 1 1\nminimum spacing 1 1 1 1 1 1 1 1\nvia spacing 1 1 1 1 1 1 1 1\n"
      "0 0 10 10\n\nnum net 1\na 0 2 1\n5 5 1\n55 95 1\n";
  TempDir dir;
  const RunResult r = runProcess("/bin/sh",
                                 {"-c", "ulimit -v 200000 && exec \"$0\" \"$@\"", KORVANE_EXE, "ISPD",
                                  dir.write("big.gr", gr), dir.write("p.set", "Via cost = 1\n"), dir.file("o")},
                                 KORVANE_BINARY_DIR);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error: out of memory: the design needs more memory than the process can have\n");
}

TEST(WholeRun, MissingSteinerTablesEndTheRun) {
  TempDir dir;
  const std::string set = dir.write("p.set", "Maze Routing Iteration = 5\n");
  const RunResult r = runKorvane({"ISPD", kSource + "/examples/tiny.gr", set, dir.file("x.out")}, dir.path);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.out, HasSubstr("Error in opening POWV9.dat\n"));
}

}  // namespace
