// The ICCAD and TEST modes as a user runs them, and every broken-file check of the bookshelf
// readers: one clear line on standard error, status 1, no crash.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <regex>

#include "support/BookshelfSet.h"
#include "support/RunProcess.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

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
}

TEST(BookshelfModes, SelfCheckOfAgreeingFormatsPrintsNoComparison) {
  TempDir dir;
  writeSet(dir, tinySet());
  const RunResult r = runKorvane({"TEST", "tiny.aux", "tiny.pl", "tiny.gr", "tiny.set"}, dir.path);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_TRUE(inOrder(
      r.out, {"read tiny.set\nset Via cost = 1\nset Output Routing Result = No\n"
              "read tiny.set\nset Via cost = 1\nset Output Routing Result = No\n"
              "read tiny.gr\nNumber of nets: 2\n"
              "read tiny.nodes\n",
              "adjust grid edge capacity\nInput File costs ", "Net Decomposition\n", "!!!!!!!!!  CPU  Total Time: "}));
  EXPECT_THAT(r.out, Not(HasSubstr("realValue")));
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

TEST(BookshelfModes, MissingFilesUseTheFixedMessage) {
  const struct {
    const char* name;
    std::vector<std::string> args;
    std::string remove;
    const char* message;
  } kCases[] = {
      {"aux file", {"ICCAD", "none.aux", "tiny.pl", "tiny.set", "out"}, "", "File none.aux not exists!\n"},
      {"placement file", {"ICCAD", "tiny.aux", "none.pl", "tiny.set", "out"}, "", "File none.pl not exists!\n"},
      {"nodes file named by the aux",
       {"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out"},
       "tiny.nodes",
       "File tiny.nodes not exists!\n"},
      {"route file in TEST mode",
       {"TEST", "tiny.aux", "tiny.pl", "tiny.gr", "tiny.set"},
       "tiny.route",
       "File tiny.route not exists!\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    auto files = tinySet();
    if (!c.remove.empty()) files.erase(c.remove);
    writeSet(dir, files);
    const RunResult r = runKorvane(c.args, dir.path);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, c.message);
  }
}

// One fault per row: the file, the text that replaces `from` in it (or the whole file when
// `from` is empty), and what the error line must say.
struct Broken {
  const char* name;
  const char* file;
  const char* from;
  const char* to;
  const char* mustSay;
};

const Broken kBroken[] = {
    {"aux with too few words", "tiny.aux", "", "RowBasedPlacement : a.nodes a.nets\n", "expected 9 words"},
    {"fractional node width", "tiny.nodes", "o0 4 6", "o0 4.5 6", "line 5: expected a node width"},
    {"negative node size", "tiny.nodes", "o0 4 6", "o0 -4 6", "negative size"},
    {"node records out of order", "tiny.nodes", "  o0 4 6\n  o1 10 20", "  o1 10 20\n  o0 4 6", "record 0"},
    {"o-node after the terminals", "tiny.nodes", "  o2 12 10\n  p0 2 2 terminal_NI", "  p0 2 2 terminal_NI\n  o2 12 10",
     "line 8: node \"o2\" is record 3"},
    {"terminal flag before any node", "tiny.nodes", "NumTerminals : 2", "NumTerminals : 2 terminal",
     "before any node record"},
    {"negative node count", "tiny.nodes", "NumNodes : 5", "NumNodes : -5", "node count -5 is negative"},
    {"shape of an unknown node", "tiny.shapes", "o1 : 2", "o9 : 2", "node \"o9\" is not in the nodes file"},
    {"rectangle line without numbers", "tiny.shapes", "Shape_1 140 220 4 4", "Shape_1 140 220 4",
     "line 6: expected a rectangle name and four integers"},
    {"shapes file cut short", "tiny.shapes", "  Shape_1 140 220 4 4\n", "", "unexpected end of file"},
    {"negative rectangle size", "tiny.shapes", "Shape_1 140 220 4 4", "Shape_1 140 220 -4 4", "negative size"},
    {"placement of an unknown node", "tiny.pl", "p1 160", "p5 160", "line 7: node \"p5\" is not in the nodes file"},
    {"placement coordinate not a number", "tiny.pl", "o1 113 205.5", "o1 113 x205", "node coordinate"},
    {"placement name without a number", "tiny.pl", "o1 113", "oX 113", "node \"oX\""},
    {"layer list before the grid", "tiny.route", "Grid : 4 3 2\nVerticalCapacity : 0 32",
     "VerticalCapacity : 0 32\nGrid : 4 3 2", "\"VerticalCapacity\" before \"Grid\""},
    {"no grid at all", "tiny.route",
     "Grid : 4 3 2\nVerticalCapacity : 0 32\nHorizontalCapacity : 20 0\n"
     "MinWireWidth : 1 2\nMinWireSpacing : 1 2\nViaSpacing : 0 0\n",
     "", "before \"Grid\""},
    {"grid of zero columns", "tiny.route", "Grid : 4 3 2", "Grid : 0 3 2", "grid size 0 x 3"},
    {"grid beyond any memory", "tiny.route", "Grid : 4 3 2", "Grid : 40000 40000 2", "line 3: grid 40000 x 40000 x 2"},
    {"129 layers", "tiny.route", "Grid : 4 3 2", "Grid : 4 3 129", "layer count 129 is outside 1..127"},
    {"no horizontal layer", "tiny.route", "HorizontalCapacity : 20 0", "HorizontalCapacity : 0 0",
     "no layer has horizontal capacity"},
    {"no tile size", "tiny.route", "TileSize : 16 8\n", "", "tile size 0 x 0"},
    {"zero pitch", "tiny.route", "MinWireWidth : 1 2\nMinWireSpacing : 1 2", "MinWireWidth : 0 2\nMinWireSpacing : 0 2",
     "adjustment on layer 1"},
    {"negative capacity", "tiny.route", "VerticalCapacity : 0 32", "VerticalCapacity : 0 -32", "negative"},
    {"terminal layer outside the layers", "tiny.route", "  p0 2", "  p0 3", "terminal layer 3 is outside 1..2"},
    {"terminal line without a layer", "tiny.route", "  p0 2", "  p0", "expected a terminal line"},
    {"terminal of an unknown node", "tiny.route", "  p0 2", "  p4 2", "node \"p4\" is not in the nodes file"},
    {"blocked layer 0", "tiny.route", "o1 1 2", "o1 1 0", "blocked layer 0 is outside 1..2"},
    {"blockage of an unknown node", "tiny.route", "o1 1 2", "o8 1 2", "node \"o8\""},
    {"adjustment between distant tiles", "tiny.route", "2 1 1 3 1 1 6", "1 1 1 3 1 1 6", "not a pair of neighbouring"},
    {"adjustment on layer 3", "tiny.route", "2 1 1 3 1 1 6", "2 1 3 3 1 3 6", "adjustment layer 3 is outside 1..2"},
    {"adjustments cut short", "tiny.route", "  3 2 2 3 1 2 32\n", "  3 2 2\n", "unexpected end of file"},
    {"negative adjustment count", "tiny.route", "NumEdgeCapacityAdjustments : 2", "NumEdgeCapacityAdjustments : -2",
     "count -2 is negative"},
    {"pin outside the grid", "tiny.nets", "p0 B : 0.5 0.5", "p0 B : 90 0.5", "lies outside the 4 x 3 grid"},
    {"pin of an unknown node", "tiny.nets", "o1 O : -5.5 2", "o7 O : -5.5 2", "line 8: node \"o7\""},
    {"net name without a number", "tiny.nets", "NetDegree : 2 n7", "NetDegree : 2 net", "expected a net header"},
    {"pin line with a colon but no offsets", "tiny.nets", "p0 O : 0 0", "p0 O :", "expected a pin line"},
    {"nets file cut short", "tiny.nets", "  o2 I\n  p0 O : 0 0\n", "  o2 I\n", "unexpected end of file"},
    {"negative net degree", "tiny.nets", "NetDegree : 3   n0", "NetDegree : -3   n0", "net degree -3"},
    {"no NumPins line", "tiny.nets", "NumPins : 7", "", "no \"NumNets\" and \"NumPins\""},
};

TEST(BookshelfModes, RejectsBrokenFilesWithOneClearLine) {
  for (const Broken& c : kBroken) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    auto files = tinySet();
    files["tiny.set"] += "Maze Routing Iteration = 5\n";  // a design that cannot be routed still ends
    std::string& text = files[c.file];
    if (*c.from == 0) {
      text = c.to;
    } else {
      const std::size_t at = text.find(c.from);
      ASSERT_NE(at, std::string::npos);
      text.replace(at, std::string(c.from).size(), c.to);
    }
    writeSet(dir, files);
    const RunResult r = runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out"}, dir.path);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_THAT(r.err, AllOf(StartsWith("Error: "), HasSubstr(c.mustSay), HasSubstr(c.file)));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  }
}

}  // namespace
