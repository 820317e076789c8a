// End-to-end runs of the executable, checked by an independent result checker.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <set>
#include <sstream>

#include "support/ResultChecker.h"
#include "support/RunProcess.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

const std::string kSource = KORVANE_SOURCE_DIR;

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
                {"!!!!  Korvane 2.0 !!!! \n",
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
                 "!!!!!!!!!  CPU  Total Time: "});
  EXPECT_THAT(r.out, Not(HasSubstr("Start 3D GlobalRouting")));
  EXPECT_TRUE(std::regex_search(r.out, std::regex("Input File costs [0-9.e-]+ seconds\n\n")));
  EXPECT_TRUE(std::regex_search(r.out, std::regex("!!!!!!!!!  CPU  Total Time: [0-9.e-]+ seconds  !!!!!!!\n$")));
}

// Generated problems with capacities in whole pitches, so the report's figures (tracks times
// pitch) must equal the checker's (capacity units), for every layer-assignment algorithm and
// with layered rounds (whose result and report come from the layered solution).
TEST(WholeRun, GeneratedProblemsRouteLegallyAndTheReportAgreesWithTheChecker) {
  TempDir dir;
  for (const auto& [seed, algo, rounds] :
       {std::tuple{"1", 1, 0}, {"1", 2, 0}, {"1", 3, 0}, {"2", 1, 0}, {"2", 2, 0}, {"2", 3, 0}, {"1", 3, 2}}) {
    SCOPED_TRACE(testing::Message() << "seed " << seed << " algorithm " << algo << " rounds " << rounds);
    const std::string problem = dir.file(std::string("tiny") + seed + ".gr");
    if (!std::filesystem::exists(problem)) {
      const RunResult gen = runProcess("/usr/bin/env", {"python3", kSource + "/tools/gen_gr.py", "--profile", "tiny",
                                                        "--seed", seed, "--quiet", "--out", problem});
      ASSERT_EQ(gen.exitStatus, 0) << gen.err;
    }
    GrProblem parsed;
    std::string error;
    ASSERT_TRUE(readGrProblem(problem, parsed, error)) << error;
    const std::string out = dir.file("r.out");
    const std::string set = settings(algo, "3D Optimization Iteration = " + std::to_string(rounds) + "\n");
    const RunResult r = route(problem, dir.write("p.set", set), out);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    if (rounds > 0)
      expectInOrder(r.out, {"Layer Assignment costs ", "Start 3D GlobalRouting....\n",
                            "===================The first round of 3D post optimization===================\n",
                            "===================The 2th round of 3D post optimization===================\n",
                            "output routing result = ", "Output File costs "});
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

// Same input, same bytes: the planar flow with layer assignment, and with layered rounds.
TEST(WholeRun, TwoRunsWriteIdenticalBytes) {
  TempDir dir;
  const std::string problem = kSource + "/examples/tiny.gr";
  for (const std::string extra : {"", "3D Optimization Iteration = 2\n"}) {
    const std::string set = dir.write("p.set", settings(3, "Pin Blockage Factor = 0.05\n" + extra));
    ASSERT_EQ(route(problem, set, dir.file("a.out")).exitStatus, 0);
    ASSERT_EQ(route(problem, set, dir.file("b.out")).exitStatus, 0);
    EXPECT_FALSE(readFile(dir.file("a.out")).empty());
    EXPECT_EQ(readFile(dir.file("a.out")), readFile(dir.file("b.out"))) << extra;
    EXPECT_EQ(readFile(dir.file("a.out.ofinfo")), readFile(dir.file("b.out.ofinfo"))) << extra;
  }
}

TEST(WholeRun, OutputSwitches) {
  TempDir dir;
  const std::string problem = kSource + "/examples/tiny.gr";
  // Defaults: the layer-assignment result only (its header carries the id twice, the layered
  // writer's adds a 0).
  RunResult r = route(problem, dir.write("p.set", "Maze Routing Iteration = 5\n"), dir.file("d.out"));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, Not(HasSubstr("Start 3D GlobalRouting")));
  EXPECT_FALSE(std::filesystem::exists(dir.file("d.out.ofinfo")));
  EXPECT_TRUE(std::regex_search(readFile(dir.file("d.out")), std::regex("^n[0-9]+ [0-9]+\n\\(")));
  r = route(
      problem,
      dir.write("p.set", "Maze Routing Iteration = 5\nOutput Routing Result = No\nOutput Overflow Information = No\n"),
      dir.file("none.out"));
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, Not(HasSubstr("output routing result")));
  EXPECT_THAT(r.out, Not(HasSubstr("output overflow infomation")));
  EXPECT_THAT(r.out, HasSubstr("Output File costs "));
  EXPECT_FALSE(std::filesystem::exists(dir.file("none.out")));
}

// A write that fails ends the run with status 1 after the run, also when only the overflow
// report cannot be written.
TEST(WholeRun, UnwritableOutputEndsWithStatusOne) {
  TempDir dir;
  const std::string set = dir.write("p.set", "Maze Routing Iteration = 5\nOutput Overflow Information = Yes\n");
  const std::string out = dir.file("missing-dir/x.out");
  RunResult r = route(kSource + "/examples/tiny.gr", set, out);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error: " + out + ": cannot write\nError: " + out + ".ofinfo: cannot write\n");
  EXPECT_THAT(r.out, HasSubstr("!!!!!!!!!  CPU  Total Time: "));
  std::filesystem::create_directory(dir.file("y.out.ofinfo"));
  r = route(kSource + "/examples/tiny.gr", set, dir.file("y.out"));
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error: " + dir.file("y.out.ofinfo") + ": cannot write\n");
  EXPECT_FALSE(readFile(dir.file("y.out")).empty());
}

// A write that fails (here past the file-size limit, where a full disk fails the same way)
// leaves no file at its final name, neither the old one nor a cut one, and no temporary file;
// the run still writes what fits and ends with status 1. Both pairs of writers, with only the
// result or both files over the limit, over earlier files or to names that do not exist yet.
TEST(WholeRun, FailedWriteLeavesNoFileAtItsName) {
  const struct {
    const char* name;
    const char* rounds3D;
    long long limit;  // bytes; the result takes about 88 kB, the report below 200 bytes
    bool reportFits;
    bool absent = false;  // no earlier files at the names
  } kCases[] = {{"layer-assignment writers, result too large", "0", 16384, true},
                {"layered writers, result too large", "1", 16384, true},
                {"layer-assignment writers, both too large", "0", 100, false},
                {"layered writers, both too large", "1", 100, false},
                {"layer-assignment writers, result too large, new names", "0", 16384, true, true}};
  const mode_t mask = umask(0);
  umask(mask);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    // Relative names keep the error lines short enough for the limit.
    for (const char* table : {"POWV9.dat", "POST9.dat"})
      std::filesystem::create_symlink(std::string(KORVANE_BINARY_DIR) + "/" + table, dir.file(table));
    dir.write("p.set", std::string("Maze Routing Iteration = 5\nOutput Overflow Information = Yes\n") +
                           "3D Optimization Iteration = " + c.rounds3D + "\n");
    if (!c.absent) {
      dir.write("x.out", "an earlier result\n");
      dir.write("x.out.ofinfo", "an earlier report\n");
    }
    const RunResult r = runKorvane({"ISPD", kSource + "/examples/tiny.gr", "p.set", "x.out"}, dir.path, c.limit);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, c.reportFits ? "Error: x.out: cannot write\n"
                                  : "Error: x.out: cannot write\nError: x.out.ofinfo: cannot write\n");
    std::set<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir.path)) names.insert(e.path().filename().string());
    std::set<std::string> expected = {"POWV9.dat", "POST9.dat", "p.set"};
    if (c.reportFits) {
      expected.insert("x.out.ofinfo");
      const std::string report = readFile(dir.file("x.out.ofinfo"));
      EXPECT_TRUE(report.starts_with("Total overflow = ") && report.ends_with("\nend\n")) << report;
      // Created as a plain fopen would: readable by others where the umask allows it.
      EXPECT_EQ(std::filesystem::status(dir.file("x.out.ofinfo")).permissions(), std::filesystem::perms(0666 & ~mask));
    }
    EXPECT_EQ(names, expected);
  }
}

TEST(WholeRun, MissingSteinerTablesEndTheRun) {
  TempDir dir;
  const std::string set = dir.write("p.set", "Maze Routing Iteration = 5\n");
  const RunResult r = runKorvane({"ISPD", kSource + "/examples/tiny.gr", set, dir.file("x.out")}, dir.path);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_THAT(r.out, HasSubstr("Error in opening POWV9.dat\n"));
}

// The figures of every stage lines and totals, times left out.
std::vector<std::string> figures(const std::string& console) {
  std::vector<std::string> out;
  const std::regex keep("^(Round=|InitialLA|PostLA|FastLA|totalOF=|=====|Progress=19%).*"), time("time=[-0-9.e+]+  ");
  std::istringstream in(console);
  for (std::string line; std::getline(in, line);)
    if (std::regex_match(line, keep)) out.push_back(std::regex_replace(line, time, ""));
  return out;
}

::testing::AssertionResult containsInOrder(const std::vector<std::string>& lines,
                                           const std::vector<std::string>& want) {
  std::size_t at = 0;
  for (const std::string& w : want) {
    while (at < lines.size() && lines[at] != w) ++at;
    if (at++ >= lines.size()) return ::testing::AssertionFailure() << "missing or out of order: " << w;
  }
  return ::testing::AssertionSuccess();
}

// Regression pins of one congested generated design whose overflow lasts through every maze
// round, so that each stage setting shows in its figures: the monotonic bend-cost decrement,
// history from maze round 1 (its exponent), the relaxed maze rounds from round 35 (no bend
// cost, the offset 40 -> 30 -> 20 -> 10 and its floor of 10 from round 38), the post stage's
// skip rule; then each layer-assignment algorithm's totals, and three layered rounds (repair,
// layer assignment re-run between rounds, the flatter price curve in round 2 only).
TEST(PinnedFigures, CongestedDesignStageByStage) {
  TempDir dir;
  const std::string problem = dir.file("c.gr");
  const RunResult gen =
      runProcess("/usr/bin/env", {"python3", kSource + "/tools/gen_gr.py", "--profile", "tiny", "--seed", "1",
                                  "--utilization", "0.9", "--quiet", "--out", problem});
  ASSERT_EQ(gen.exitStatus, 0) << gen.err;
  std::vector<std::string> runs[4];
  for (int algo : {1, 2, 3}) {
    const std::string set =
        "Pattern Routing Iteration = 2\nMonotonic Routing Iteration = 3\nPost Routing Iteration = 2\n"
        "Maze Routing Iteration = 42\nWirelength Optimization Level = 1\n3D Optimization Iteration = " +
        std::string(algo == 3 ? "3" : "0") + "\n";
    const RunResult r = route(problem, dir.write("p.set", settings(algo, set)), dir.file("c.out"));
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    runs[algo] = figures(r.out);
  }
  EXPECT_TRUE(containsInOrder(
      runs[1],
      {"Round=0  totalOF=303  Wlen2D=2870  num_route_net=1225", "Round=1  totalOF=285  Wlen2D=2868  num_route_net=404",
       "Round=0  totalOF=226  Wlen2D=2876  num_route_net=403", "Round=1  totalOF=221  Wlen2D=2875  num_route_net=402",
       "Round=2  totalOF=221  Wlen2D=2875  num_route_net=401",
       "Round=0  totalOF=179  maxOF=5  Wlen2D=2894  num_route_net=661",
       "Round=1  totalOF=176  maxOF=5  Wlen2D=2921  num_route_net=671",
       "Round=35  totalOF=176  maxOF=5  Wlen2D=3250  num_route_net=650",
       "Round=36  totalOF=167  maxOF=5  Wlen2D=3257  num_route_net=595",
       "Round=37  totalOF=178  maxOF=5  Wlen2D=3265  num_route_net=627",
       "Round=38  totalOF=177  maxOF=4  Wlen2D=3270  num_route_net=632",
       "Round=41  totalOF=186  maxOF=4  Wlen2D=3304  num_route_net=637", "Round=0  totalOF=160  maxOF=4  Wlen2D=3228",
       "Round=1  totalOF=151  maxOF=4  Wlen2D=3184",
       "FastLA totalOF=302  maxOF=4  weightOF=676   Wlen2D=3184  Via=4372  "
       "totalWL(Wlen2D+Via*1)=7556 "}));
  EXPECT_TRUE(containsInOrder(runs[2], {"totalOF=302  maxOF=4  weightOF=676   Wlen2D=3184  Via=3761  "
                                        "totalWL(Wlen2D+Via*1)=6945 "}));
  EXPECT_TRUE(containsInOrder(runs[3], {"InitialLA  totalOF=4876  maxOF=20  weightOF=55200  totalVia=1734",
                                        "Round=6  totalOF=346  maxOF=4  weightOF=772  totalVia=3610",
                                        "totalOF=302  maxOF=4  weightOF=676  Wlen2D=3184  Via=3574  "
                                        "totalWL(Wlen2D+Via*1)=6758 ",
                                        "totalOF=294  maxOF=4  Wlen2D=3182  Via=3530  totalWL(Wlen2D+Via*1)=6712 ",
                                        "PostLA  totalOF=294  maxOF=4  weightOF=668  totalVia=3534",
                                        "totalOF=292  maxOF=4  Wlen2D=3175  Via=3510  totalWL(Wlen2D+Via*1)=6685 ",
                                        "PostLA  totalOF=292  maxOF=4  weightOF=672  totalVia=3505",
                                        "Progress=19%  netlength=3  via=3509  totalWL=6683  totalOF=290",
                                        "totalOF=288  maxOF=4  Wlen2D=3164  Via=3496  totalWL(Wlen2D+Via*1)=6660 "}));
}

// The command line's maze override replaces the setting; any value but -1 is kept, a
// negative one runs no maze round.
TEST(WholeRun, MazeOverrideOnTheCommandLine) {
  TempDir dir;
  const std::string set = dir.write("p.set", settings(1));
  for (const std::string over : {"-3", "2"}) {
    const RunResult r =
        runKorvane({"ISPD", kSource + "/examples/tiny.gr", set, dir.file("m.out"), over}, KORVANE_BINARY_DIR);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const std::string maze = r.out.substr(r.out.find("Start Maze Routing"));
    const std::string rounds = maze.substr(0, maze.find("Maze Routing costs"));
    EXPECT_EQ(rounds.find("Round=0") != std::string::npos, over == "2") << rounds;
    EXPECT_EQ(rounds.find("Round=2"), std::string::npos) << rounds;
  }
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

// An edge of a 1-track layer raised to 1000 tracks starts with a demand of -999, and a pin
// blockage factor of 100 keeps it far below zero: the post stage's hard rule would price it
// below zero, and a maze search on a negative price follows parent chains that never reach a
// source. With and without layered rounds the run prints no internal error (runKorvane checks)
// and its result is legal.
TEST(WholeRun, EdgeRaisedFarAboveItsLayerRoutesLegally) {
  TempDir dir;
  const std::string problem =
      dir.write("raised.gr",
                "grid 6 6 2\nvertical capacity 0 1\nhorizontal capacity 100 0\nminimum width 1 1\nminimum spacing 0 0\n"
                "via spacing 1 1\n0 0 10 10\n\nnum net 2\nn0 0 4 1\n15 5 1\n55 35 1\n25 15 1\n15 35 1\n"
                "n1 1 4 1\n55 35 1\n15 35 1\n25 35 1\n25 15 1\n\n1\n1 1 2 1 2 2 1000\n");
  GrProblem parsed;
  std::string error;
  ASSERT_TRUE(readGrProblem(problem, parsed, error)) << error;
  for (const std::string rounds : {"0", "1"}) {
    SCOPED_TRACE(rounds + " 3D rounds");
    const std::string out = dir.file("raised" + rounds + ".out");
    const std::string set = settings(3, "Pin Blockage Factor = 100\n3D Optimization Iteration = " + rounds + "\n");
    const RunResult r = route(problem, dir.write("p.set", set), out);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    const CheckReport check = checkResultFile(parsed, out);
    EXPECT_TRUE(check.legal()) << check.summary();
  }
}

TEST(WholeRun, RunningOutOfMemoryEndsWithOneLine) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#endif
  // The process may have 200 MB. 1000 x 1000 tiles on 8 layers take about 360 MB; a net on all
  // 10,000 tiles of a 100 x 100 grid needs 49,995,000 candidate links (600 MB) for its tree.
  const std::string bigGrid =
      "grid 1000 1000 8\nvertical capacity 2 2 2 2 2 2 2 2\nhorizontal capacity 2 2 2 2 2 2 2 2\n"
      "minimum width 1 1 1 1 1 1 1 1\nminimum spacing 1 1 1 1 1 1 1 1\nvia spacing 1 1 1 1 1 1 1 1\n"
      "0 0 10 10\n\nnum net 1\na 0 2 1\n5 5 1\n55 95 1\n";
  std::string bigNet =
      "grid 100 100 1\nvertical capacity 2\nhorizontal capacity 2\nminimum width 1\nminimum spacing 1\n"
      "via spacing 1\n0 0 10 10\n\nnum net 1\nhuge 9 10000 1\n";
  for (int x = 0; x < 1000; x += 10)
    for (int y = 0; y < 1000; y += 10) bigNet += std::to_string(x) + " " + std::to_string(y) + " 1\n";
  const struct {
    std::string gr, says;  // says: what follows "Error: <problem file>"; empty: the general out-of-memory line
  } kCases[] = {
      {bigGrid, ""},
      {bigNet,
       ": net \"huge\" (id 9) of 10000 pin tiles: out of memory for 49995000 candidate links of its spanning "
       "tree\n"},
  };
  for (const auto& c : kCases) {
    TempDir dir;
    const std::string problem = dir.write("big.gr", c.gr);
    SCOPED_TRACE(c.gr.substr(0, 16));
    const RunResult r = runProcess("/bin/sh",
                                   {"-c", "ulimit -v 200000 && exec \"$0\" \"$@\"", KORVANE_EXE, "ISPD", problem,
                                    dir.write("p.set", "Via cost = 1\n"), dir.file("o")},
                                   KORVANE_BINARY_DIR);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, c.says.empty() ? "Error: out of memory: the design needs more memory than the process can have\n"
                                    : "Error: " + problem + c.says);
  }
}

}  // namespace
