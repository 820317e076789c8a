#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "Parser.h"
#include "db/parameterSet.h"
#include "layer/Graph.h"
#include "support/LaTestProblem.h"
#include "support/RunProcess.h"

namespace {

// 4 x 3 tiles of 10 x 10, two layers of pitch 2; netB lies in one tile and is dropped.
const char* const kProblem =
    "grid 4 3 2\n"
    "vertical capacity 0 4\n"
    "horizontal capacity 40 4\n"
    "minimum width 1 1\n"
    "minimum spacing 1 1\n"
    "via spacing 1 1\n"
    "100 200 10 10\n"
    "\n"
    "num net 3\n"
    "netA 7 3 1\n"
    "105 205 1\n"
    "108 209 2\n"
    "135 205 1\n"
    "netB 8 2 1\n"
    "115 215 1\n"
    "119 219 2\n"
    "netC 9 2 1\n"
    "100 200 1\n"
    "100 220 1\n"
    "\n"
    "2\n"
    "0 0 1 1 0 1 10\n"
    "0 0 2 0 1 2 0\n";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  const std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

struct Broken {
  const char* name;
  std::string text;
  const char* mustSay;  // regular expression
};

TEST(Input2DresultDeathTest, RejectsBrokenFilesWithOneClearLine) {
  const std::string p = kProblem;
  const Broken kBroken[] = {
      {"grid line short", replaced(p, "grid 4 3 2", "grid 4 3"), "line 1: expected .grid. and three integers"},
      {"capacity not a number", replaced(p, "capacity 0 4", "capacity 0 x"), "line 2: expected vertical capacity"},
      {"origin line short", replaced(p, "100 200 10 10", "100 200 10"),
       "line 7: expected the grid origin and tile size"},
      {"no net count line", replaced(p, "num net 3", "nets 3"), "line 9: expected .num net. and the net count"},
      {"net header cut short", p.substr(0, p.find("netA 7") + 6), "line 10: net header ends before the pin count"},
      {"pin coordinate not a number", replaced(p, "135 205 1", "135 2x5 1"), "line 13: expected a pin's y coordinate"},
      {"pin outside the grid", replaced(p, "135 205 1", "145 205 1"),
       "line 13: pin .145, 205. lies outside the 4 x 3 grid"},
      {"fewer nets than announced", replaced(p.substr(0, p.find("\n2\n") + 1), "num net 3", "num net 4"),
       "line 21: unexpected end of file, expected a net name"},
      {"adjustment count not a number", replaced(p, "\n2\n", "\ntwo\n"),
       "line 21: expected the capacity adjustment count"},
      {"adjustment tiles not neighbours", replaced(p, "0 0 1 1 0 1 10", "0 0 1 2 0 1 10"),
       "line 22: adjustment .0,0.-.2,0. is not a pair"},
      {"adjustment one column past the grid", replaced(p, "0 0 1 1 0 1 10", "3 0 1 4 0 1 10"),
       "line 22: adjustment .3,0.-.4,0. is not a pair"},
      {"adjustments cut short", replaced(p, "\n2\n", "\n3\n"),
       "line 24: unexpected end of file, expected an adjustment's x1"},
      {"more tracks per edge than the limit", replaced(p, "capacity 40 4", "capacity 2000000 4"),
       "line 3: horizontal capacity of layers 1..2 holds 1000002 tracks per edge, more than the limit of 1000000"},
      {"adjusted capacity beyond the track limit", replaced(p, "0 0 1 1 0 1 10", "0 0 1 1 0 1 2000002"),
       "line 22: adjusted capacity 2000002 holds 1000001 tracks, more than the limit of 1000000"},
      // The router's checks, shared.
      {"per-layer lists swapped",
       replaced(p, "vertical capacity 0 4\nhorizontal capacity 40 4",
                "horizontal capacity 40 4\nvertical capacity 0 4"),
       "line 2: expected the per-layer list .vertical capacity., found .horizontal capacity."},
      {"fourth value on the grid line", replaced(p, "grid 4 3 2", "grid 4 3 2 9"), "line 1: .*further value .9."},
      {"fifth value on the origin line", replaced(p, "100 200 10 10", "100 200 10 10 5"),
       "line 7: .*further value .5."},
      {"last tile row past 2\\^31 - 1", replaced(p, "100 200 10 10", "100 200 10 1100000000"),
       "line 7: the last tile row starts at y = 2200000200 .origin 200 \\+ 2 x tile size 1100000000."},
      {"zero pitch", replaced(p, "minimum width 1 1\nminimum spacing 1 1", "minimum width 0 1\nminimum spacing 0 1"),
       "line 5: wire pitch .width \\+ spacing. of layer 1 is 0, expected 1..1000000"},
      {"number after a net header", replaced(p, "netA 7 3 1", "netA 7 3 1 9"), "line 10: the number .9. follows"},
      {"net name given twice", replaced(p, "netC 9", "netA 9"),
       "line 17: net name .netA. was given to the net of line 10 already"},
      {"number after the last pin", replaced(p, "100 220 1\n", "100 220 1 2\n"),
       "line 19: expected no number after the last pin"},
      {"adjustment between two layers", replaced(p, "0 0 1 1 0 1 10", "0 0 1 1 0 2 10"),
       "line 22: adjustment .0,0,1.-.1,0,2. is not an edge of one layer"},
      {"adjustment beyond the count", p + "0 1 1 1 1 1 5\n",
       "line 24: expected the end of the file after the 2 capacity adjustments that line 21 announces"},
  };
  for (const Broken& c : kBroken) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::string path = dir.write("p.gr", c.text);
    Graph g;
    EXPECT_EXIT(g.input2Dresult(path.c_str()), testing::ExitedWithCode(1), std::string("Error: .*p.gr: ") + c.mustSay);
  }
  Graph g;
  EXPECT_EXIT(g.input2Dresult("/nonexistent/p.gr"), testing::ExitedWithCode(1),
              "^File /nonexistent/p.gr not exists!\n$");
}

// netC follows a blank line and has the three-number header of the other writer.
const char* const kResult =
    "netA 7 7\n"
    "(105,205,2)-(135,205,2)\n"
    "(135,205,1)-(135,205,2)\n"
    "!\n"
    "\n"
    "netC 7 7 0\n"
    "(100,200,2)-(100,210,2)\n"
    "(100,210,2)-(100,220,2)\n"
    "!\n";

struct TreeShape {
  std::vector<std::vector<int>> nodes;  // x, y, parent, isPin
  std::vector<std::vector<int>> edges;  // x, y, hori, layer
};

TreeShape shapeOf(const Graph& g, const net& n) {
  TreeShape s;
  for (const node& nd : g.nodesOf(n)) s.nodes.push_back({nd.x, nd.y, nd.parent, nd.isPin ? 1 : 0});
  for (const edge& e : g.edgesOf(n)) s.edges.push_back({e.x, e.y, e.hori ? 1 : 0, e.layer});
  return s;
}

// Death tests pass a directory made outside the dying child, whose exit skips its removal.
void readBoth(Graph& g, const TempDir& dir, const std::string& problem, const std::string& result) {
  const std::string p = dir.write("p.gr", problem), r = dir.write("r.out", result);
  testing::internal::CaptureStdout();
  g.input2Dresult(p.c_str());
  g.ofShareCeilH[1][0] = 7;  // a stale share: the reader recomputes every edge
  g.input3Dresult(r.c_str());
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Reading " + p + "\ngrid 4x3x2\nReading " + r + "\n");
}

void readBoth(Graph& g, const std::string& problem, const std::string& result) {
  readBoth(g, TempDir(), problem, result);
}

// Reads both in a death-test child. Its exit would leave a capture's temporary file behind, so
// its standard output goes to /dev/null instead.
void readBothAndDie(Graph& g, const TempDir& dir, const std::string& problem, const std::string& result) {
  if (!std::freopen("/dev/null", "w", stdout)) return;
  g.input2Dresult(dir.write("p.gr", problem).c_str());
  g.input3Dresult(dir.write("r.out", result).c_str());
}

// Each row's result, read after the problem, ends the run with its message.
template <std::size_t N>
void expectResultsRefused(const TempDir& dir, const Broken (&rows)[N]) {
  for (const Broken& c : rows) {
    SCOPED_TRACE(c.name);
    Graph g;
    EXPECT_EXIT(readBothAndDie(g, dir, kProblem, c.text), testing::ExitedWithCode(1),
                std::string("Error: .*r.out: ") + c.mustSay);
  }
}

TEST(Input3Dresult, BuildsTreesFromWireSegmentsOnly) {
  Graph g;
  readBoth(g, kProblem, kResult);
  // A segment over three tile widths marks three edges and four tiles; the via adds nothing.
  const TreeShape a = shapeOf(g, g.nets[0]);
  EXPECT_EQ(a.nodes, (std::vector<std::vector<int>>{{0, 0, -1, 1}, {1, 0, 0, 0}, {2, 0, 1, 0}, {3, 0, 2, 1}}));
  EXPECT_EQ(a.edges, (std::vector<std::vector<int>>{{0, 0, 1, 1}, {1, 0, 1, 1}, {2, 0, 1, 1}}));
  const TreeShape c = shapeOf(g, g.nets[1]);
  EXPECT_EQ(c.nodes, (std::vector<std::vector<int>>{{0, 0, -1, 1}, {0, 1, 0, 0}, {0, 2, 1, 1}}));
  EXPECT_EQ(c.edges, (std::vector<std::vector<int>>{{0, 0, 0, 1}, {0, 1, 0, 1}}));
  EXPECT_EQ(g.maxNetLen, 3);
  EXPECT_EQ(g.wlen2D, 5);
  EXPECT_EQ(g.usage2DH[0][0], 16);
  EXPECT_EQ(g.usage2DV[0][0], 3);
  // The vertical edge (0,0): usage 3 over a 2D capacity of 2: shares ceil/floor of 2*1/2.
  EXPECT_EQ(g.capV2D, 2);
  EXPECT_EQ(g.ofShareCeilV[0][0], 1);
  EXPECT_EQ(g.ofShareFloorV[0][0], 1);
  EXPECT_EQ(g.ofShareCeilH[1][0], 0);
  EXPECT_EQ(g.inputOF, 2);  // one track over, pitch 2
}

TEST(Input3DresultDeathTest, RejectsBrokenFilesWithOneClearLine) {
  const std::string r = kResult;
  const Broken kBroken[] = {
      {"header without an id", replaced(r, "netA 7 7", "netA"), "line 1: expected the net id after the net name"},
      {"segment cut short", replaced(r, "(105,205,2)-(135,205,2)", "(105,205,2)-(135,205)"),
       "line 2: expected a segment"},
      {"segment outside the grid", replaced(r, "(105,205,2)-(135,205,2)", "(105,205,2)-(145,205,2)"),
       "line 2: segment end x 4 is outside the grid"},
      {"diagonal segment", replaced(r, "(105,205,2)-(135,205,2)", "(105,205,2)-(135,215,2)"),
       "line 2: a segment must run along a row or a column"},
      {"file ends inside a block", r.substr(0, r.find("!")), "line 4: net 7: the file ends before"},
  };
  const TempDir dir;
  expectResultsRefused(dir, kBroken);
  Graph g;
  EXPECT_EXIT(readBothAndDie(g, dir, replaced(kProblem, "vertical capacity 0 4", "vertical capacity 0 0"), kResult),
              testing::ExitedWithCode(1),
              "Error: .*r.out: no layer has vertical capacity, but net 9 has a vertical wire");
  EXPECT_EXIT(
      {
        if (std::freopen("/dev/null", "w", stdout)) g.input3Dresult("/nonexistent/r.out");
      },
      testing::ExitedWithCode(1), "^File /nonexistent/r.out not exists!\n$");
}

// Blocks that match no net (an unknown name, a net already passed) are named in one warning
// and the others still load; a file where no block matches, or that holds none, is refused.
TEST(Input3DresultDeathTest, NamesBlocksThatMatchNoNetAndRefusesAFileOfNone) {
  const std::string unknown = "netZ 5 5\n(105,205,1)-(115,205,1)\n!\n";
  const std::string again = "netA 7 7\n(105,205,1)-(115,205,1)\n!\n";
  const std::string withStrays = replaced(kResult, "\nnetC", "\n" + unknown + "netC") + again;
  Graph g;
  testing::internal::CaptureStderr();
  readBoth(g, kProblem, withStrays);
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(
      err.starts_with("Warning: ") &&
      err.ends_with("r.out: 2 result blocks match no net and are skipped: \"netZ\" (line 6), \"netA\" (line 13)\n"))
      << err;
  EXPECT_EQ(g.wlen2D, 5);  // netA and netC as without the strays
  const Broken kRefused[] = {
      {"ids for a named problem", "n7 7\n(105,205,2)-(135,205,2)\n!\nn9 9\n!\n",
       "no result block names a net of the problem: \"n7\" \\(line 1\\), \"n9\" \\(line 4\\)"},
      {"no block at all", "\n", "the file holds no result block"},
  };
  expectResultsRefused(TempDir(), kRefused);
}

// A block that leaves pins of its net apart and a net with no block are named in one warning,
// by name or, where the model has no names, by id; the block still loads.
TEST(Input3Dresult, NamesNetsLeftWithPinsApart) {
  const std::string result = replaced(kResult, "(105,205,2)-(135,205,2)", "(105,205,2)-(125,205,2)");
  Graph g;
  testing::internal::CaptureStderr();
  readBoth(g, kProblem, result.substr(0, result.find("\nnetC") + 1));
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_TRUE(
      err.starts_with("Warning: ") &&
      err.ends_with("r.out: 2 nets are left with pins apart: \"netA\" (block of line 1), \"netC\" (no block)\n"))
      << err;
  EXPECT_EQ(g.wlen2D, 2);

  NetDB db = makeGridDB(4, 3, {2, 2}, {2, 2});
  addNet(db, 7, {Point(0, 0, 0), Point(3, 0, 0)});
  addNet(db, 9, {Point(0, 0, 0), Point(0, 2, 0)});
  TempDir dir;
  const std::string r = dir.write("r.out", "n7 7\n(5,5,1)-(25,5,1)\n!\n");
  Graph k;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  k.initialLA(db, 1, 0.0);
  k.input3Dresult(r.c_str());
  err = testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
  EXPECT_EQ(err, "Warning: " + r + ": 2 nets are left with pins apart: net 7 (block of line 1), net 9 (no block)\n");
}

// Random nets on three layers of pitch 2 (the reader halves units), routed and assigned: the
// written result read back gives the same trees, layers and 2D usage.
TEST(StandaloneReaders, RoundTripOfAnAssignedResult) {
  std::mt19937 rng(9);
  std::string text =
      "grid 6 5 3\nvertical capacity 0 6 4\nhorizontal capacity 6 0 4\nminimum width 1 1 1\n"
      "minimum spacing 1 1 1\nvia spacing 1 1 1\n50 70 20 10\n\nnum net 10\n";
  for (int n = 0; n < 10; ++n) {
    const int pins = 2 + int(rng() % 3);
    text += "net" + std::to_string(n) + " " + std::to_string(100 + n) + " " + std::to_string(pins) + " 1\n";
    for (int p = 0; p < pins; ++p)
      text += std::to_string(50 + 20 * int(rng() % 6) + int(rng() % 20)) + " " +
              std::to_string(70 + 10 * int(rng() % 5) + int(rng() % 10)) + " " + std::to_string(1 + int(rng() % 3)) +
              "\n";
  }
  text += "\n1\n2 1 3 3 1 3 2\n";
  TempDir dir;
  const std::string problemPath = dir.write("p.gr", text), resultPath = dir.file("r.out");

  NetDB db;
  parameterSet params;
  testing::internal::CaptureStdout();
  Input_ISPD(problemPath.c_str(), db, params);
  routeWithLShapes(db);
  Graph g;
  g.initialLA(db, 1, 0.0);
  g.convertGRtoLA(db);
  g.COLA(0, 0, 0, false);
  ASSERT_TRUE(g.output3Dresult(resultPath.c_str()));

  Graph h;
  h.input2Dresult(problemPath.c_str());
  h.input3Dresult(resultPath.c_str());
  // A model built from a database without names finds the blocks by id.
  db.netNames.clear();
  Graph k;
  k.initialLA(db, 1, 0.0);
  k.input3Dresult(resultPath.c_str());
  testing::internal::GetCapturedStdout();

  ASSERT_EQ(h.nets.size(), g.nets.size());
  int edgesSeen = 0;
  for (std::size_t i = 0; i < g.nets.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(h.nets[i].id, g.nets[i].id);
    const TreeShape a = shapeOf(g, g.nets[i]), b = shapeOf(h, h.nets[i]), c = shapeOf(k, k.nets[i]);
    EXPECT_EQ(c.edges, a.edges);
    EXPECT_EQ(b.nodes, a.nodes);
    EXPECT_EQ(b.edges, a.edges);
    edgesSeen += int(a.edges.size());
  }
  EXPECT_GT(edgesSeen, 20);
  EXPECT_EQ(h.capH, g.capH);
  EXPECT_EQ(h.capV, g.capV);
  EXPECT_EQ(h.usage2DH.cells, g.usage2DH.cells);
  EXPECT_EQ(h.usage2DV.cells, g.usage2DV.cells);
  EXPECT_EQ(h.inputOF, g.inputOF);
  EXPECT_EQ(h.wlen2D, g.wlen2D);
  EXPECT_EQ(h.maxNetLen, g.maxNetLen);
}

}  // namespace
