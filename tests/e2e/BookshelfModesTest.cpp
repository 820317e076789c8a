// The ICCAD and TEST modes as a user runs them, and every broken-file check of the bookshelf
// readers: one clear line on standard error, status 1, no crash.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "support/BookshelfSet.h"
#include "support/RunProcess.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

// Each of `lines` appears in `out`, in this order.
::testing::AssertionResult inOrder(const std::string& out, const std::vector<std::string>& lines) {
  std::size_t at = 0;
  for (const std::string& line : lines) {
    const std::size_t p = out.find(line, at);
    if (p == std::string::npos)
      return ::testing::AssertionFailure() << "missing or out of order: " << line << "\n" << out;
    at = p + line.size();
  }
  return ::testing::AssertionSuccess();
}

TEST(BookshelfModes, IccadRunReadsTheSetAndRoutes) {
  TempDir dir;
  writeSet(dir, tinySet());
  const RunResult r = runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out.txt", "3"}, dir.path);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_TRUE(inOrder(r.out, {"!!!!  Korvane 2.0 !!!! \n", "read tiny.set\n", "set Via cost = 1\n", "read tiny.nodes\n",
                              "read tiny.shapes\n", "read tiny.route\n", "fail in route  p1\n", "read tiny.pl\n",
                              "read tiny.nets\n", "adjust grid edge capacity\n", "Input File costs ",
                              "Net Decomposition\n", "!!!!!!!!!  CPU  Total Time: "}));
  EXPECT_TRUE(std::regex_search(r.out, std::regex("Input File costs [0-9.e-]+ seconds\n\n")));
  EXPECT_THAT(r.out, Not(HasSubstr("ERROR")));
  // The maze override replaces the setting (none here): 3 runs the one round this design needs, 0 none.
  EXPECT_THAT(r.out, HasSubstr("Start Maze Routing===================\nRound=0"));
  const RunResult none = runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out.txt", "0"}, dir.path);
  EXPECT_THAT(none.out, HasSubstr("Start Maze Routing===================\nMaze Routing costs"));
}

TEST(BookshelfModes, SelfCheckReportsEveryDifferingEdge) {
  TempDir dir;
  auto files = tinySet();
  std::string& gr = files["tiny.gr"];
  // The set gives edge (0,1) of layer 1 2 tracks; this file says 8 / 2 = 4. Edge (3,0) of
  // layer 2 is not adjusted in the set, where its layer has 8 tracks; here 8 / 4 = 2.
  gr.replace(gr.find("0 1 1 1 1 1 4"), 13, "0 1 1 1 1 1 8");
  gr.replace(gr.find("\n5\n"), 3, "\n6\n");
  gr += "3 0 2 3 1 2 8\n";
  writeSet(dir, files);
  // Also: the self-check writes no result file, so the parameter file may ask for one.
  dir.write("tiny.set", "Via cost = 1\nOutput Routing Result = Yes\nOutput Overflow Information = Yes\n");
  const RunResult r = runKorvane({"TEST", "tiny.aux", "tiny.pl", "tiny.gr", "tiny.set"}, dir.path);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(inOrder(r.out, {"adjust grid edge capacity\n"
                              "x=0 y=1 z=0 hori=1 realValue=4 readValue=2\n"
                              "x=3 y=0 z=1 hori=0 realValue=2 readValue=8\n"
                              "Input File costs "}));
  EXPECT_FALSE(std::filesystem::exists(dir.file(".ofinfo")));
}

}  // namespace
