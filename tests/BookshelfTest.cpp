// The bookshelf set readers, in process: every field of the tiny set, and the net file's rules.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <functional>
#include <map>
#include <tuple>

#include "Bookshelf.h"
#include "Parser.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/BookshelfSet.h"
#include "support/RunProcess.h"

namespace {

// Runs `body` with standard output captured; returns what it printed.
std::string captured(const std::function<void()>& body) {
  ::testing::internal::CaptureStdout();
  body();
  std::fflush(stdout);
  return ::testing::internal::GetCapturedStdout();
}

std::vector<std::vector<int>> edges(const NetDB& db) {
  std::vector<std::vector<int>> v;
  for (std::size_t i = 0; i < db.adjEdges.size(); ++i) {
    const RPoint& e = db.adjEdges[i];
    v.push_back({e.hori, e.x, e.y, e.z, db.adjCapacity[i]});
  }
  return v;
}

std::vector<std::vector<int>> points(const std::vector<Point>& pts) {
  std::vector<std::vector<int>> v;
  for (const Point& p : pts) v.push_back({p.x, p.y, p.z});
  return v;
}

TEST(BookshelfSet, ReadsEveryPartOfTheTinySet) {
  TempDir dir;
  const std::string aux = writeSet(dir, tinySet());
  const std::string pl = dir.file("tiny.pl");
  NetDB db;
  parameterSet params;
  const std::string out = captured([&] { Input_DAC(aux.c_str(), pl.c_str(), db, params); });
  const std::string d = dir.path + "/";
  EXPECT_EQ(out, "read " + d + "tiny.nodes\nread " + d + "tiny.shapes\nread " + d + "tiny.route\nfail in route  p1\n" +
                     "read " + pl + "\nread " + d + "tiny.nets\nadjust grid edge capacity\n");

  EXPECT_EQ(std::tuple(db.gridX, db.gridY, db.numLayers, db.originX, db.originY, db.tileWidth, db.tileHeight),
            std::tuple(4, 3, 2, 100, 200, 16, 8));
  EXPECT_EQ(db.verticalCapacity, (std::vector<int>{0, 32}));
  EXPECT_EQ(db.horizontalCapacity, (std::vector<int>{20, 0}));
  EXPECT_EQ(db.minWireWidth, db.minWireSpacing);
  EXPECT_EQ(db.minWireWidth, (std::vector<int>{1, 2}));
  EXPECT_EQ(db.viaSpacing, (std::vector<int>{0, 0}));
  EXPECT_EQ(db.wirePitch, (std::vector<int>{2, 4}));
  EXPECT_EQ(db.horizontalTracks, (std::vector<int>{10, 0}));
  EXPECT_EQ(db.verticalTracks, (std::vector<int>{0, 8}));
  EXPECT_EQ(std::tuple(db.totalHorizontalTracks, db.totalVerticalTracks, db.blockagePorosity), std::tuple(10, 8, 0.0));

  // n0: o0 (100,200) 4x6 centre (102,203) -> tile (0,0); o1 (113,205) 10x20 offset (-5.5, 2)
  // -> (113, 217) -> tile (0,2); p0 (150,215) 2x2 offset (0.5,0.5) -> (152,217) -> tile (3,2),
  // on layer 2 from the route file. n5: both pins of o0 in tile (0,0) on layer 1: dropped.
  // n7: o2 (108,204) 12x10 without offsets -> centre (114,209) -> tile (0,1); p0 -> (151,216).
  ASSERT_EQ(db.nets.size(), 2u);
  EXPECT_EQ(db.nets[0].id, 0);
  EXPECT_EQ(points(db.nets[0].pins3D), (std::vector<std::vector<int>>{{0, 0, 0}, {0, 2, 0}, {3, 2, 1}}));
  EXPECT_EQ(points(db.nets[0].pins2D), points(db.nets[0].pins3D));
  EXPECT_EQ(db.nets[1].id, 7);
  EXPECT_EQ(points(db.nets[1].pins3D), (std::vector<std::vector<int>>{{0, 1, 0}, {3, 2, 1}}));
  EXPECT_TRUE(db.localNets.empty());
  std::vector<std::vector<int>> pinCount(4, std::vector<int>(3, 0)), repeat = pinCount;
  pinCount[0][0] = 2, pinCount[0][2] = 1, pinCount[3][2] = 2, pinCount[0][1] = 1;
  repeat[0][0] = 1;
  EXPECT_EQ(db.pinCount, pinCount);
  EXPECT_EQ(db.repeatPinCount, repeat);

  // The route file's adjustment (6 units / pitch 2), then the blockages in tile order:
  // o2 (108..120 x 204..214) on layer 1 covers y 204..208 of tile (0,0) and 208..214 of (0,1)
  // at the right boundary of column 0: 20 * 4/8 = 10 -> 5 tracks, 20 * 2/8 = 5 -> 4 -> 2.
  // On layer 2, o2 and o1's first shape cover x 108..116 of (0,0) (counted once) and 116..120
  // of (1,0) at the top of row 0: 32 * 8/16 = 16 -> 4 tracks, 32 * 12/16 = 24 -> 6.
  // o1's own rectangle is not used, and its second shape touches only the grid's top.
  EXPECT_EQ(edges(db), (std::vector<std::vector<int>>{
                           {1, 2, 1, 0, 3}, {1, 0, 0, 0, 5}, {0, 0, 0, 1, 4}, {1, 0, 1, 0, 2}, {0, 1, 0, 1, 6}}));
}

// The routing result and overflow report of the tiny set with `files` changed; "" when the run fails.
std::string routedResult(std::map<std::string, std::string> files) {
  TempDir dir;
  files["tiny.set"] = "Via cost = 1\nOutput Overflow Information = Yes\n";
  writeSet(dir, files);
  const RunResult r = runKorvane({"ICCAD", "tiny.aux", "tiny.pl", "tiny.set", "out"}, dir.path);
  EXPECT_EQ(r.exitStatus, 0) << r.err;
  return r.exitStatus == 0 ? readFile(dir.file("out")) + readFile(dir.file("out.ofinfo")) : "";
}

// Text the format lets a reader discard or skip: each row changes one file of the tiny set,
// and the set must route to the same bytes as without the change.
const struct {
  const char* name;
  const char* file;
  const char* from;
  const char* to;
} kDiscarded[] = {
    {"route header as public writers write it", "tiny.route", "route 1.0", "UCLA route 1.0"},
    {"second route header", "tiny.route", "route 1.0\n", "route 1.0\nUCLA route 1.0\n"},
    {"closing line after the route sections", "tiny.route", "2 3 1 2 32\n", "2 3 1 2 32\nend of file\n"},
    {"comments among blockage records", "tiny.route", "  o1 1 2\n", "# o1 blocks layer 2\n  o1 1 # one layer\n 2\n"},
    {"comment among adjustment records", "tiny.route", "  3 2 2 3", "# the second\n  3 2 2 3"},
    {"comment ending a terminal line", "tiny.route", "  p0 2\n", "  p0 2 # layer 2\n"},
    {"comment between the node count lines", "tiny.nodes", "NumTerminals", "# two terminals\nNumTerminals"},
    {"comments ending pin lines", "tiny.nets", "  o2 I\n  p0 O : 0 0\n", "  o2 I # centre\n  p0 O : 0 0 # output\n"},
    {"rectangle commented out", "tiny.shapes", "  Shape_1 140 220 4 4\n", "  Shape_1 140 220 4 4\n#Shape_2 1 2 3 4\n"},
    {"END after the nets", "tiny.nets", "  p0 O : 0 0\n", "  p0 O : 0 0\nEND\n"},
    {"indented comments among net and pin lines", "tiny.nets", "NetDegree : 2 n7\n  o2 I\n",
     "  # the last net\nNetDegree : 2 n7\n  o2 I\n  # its output\n"},
    {"indented comment among terminal records", "tiny.route", "  p0 2\n", "  # layer 2\n  p0 2\n"},
    {"indented comment among rectangles", "tiny.shapes", "  Shape_1 140", "  # the second\n  Shape_1 140"},
    {"words after a pin's offsets", "tiny.nets", "p0 B : 0.5 0.5", "p0 B : 0.5 0.5 extra"},
    {"words after a net name", "tiny.nets", "NetDegree : 2 n7", "NetDegree : 2 n7 extra"},
    {"words after a rectangle", "tiny.shapes", "Shape_1 140 220 4 4", "Shape_1 140 220 4 4 extra"},
    {"words after a terminal's layer", "tiny.route", "  p0 2\n", "  p0 2 extra\n"},
    {"route header with a whole version number", "tiny.route", "route 1.0", "route 1"},
    {"comment lines in the aux file", "tiny.aux",
     "RowBasedPlacement :", "# the tiny set\nRowBasedPlacement : # files\n"},
};

TEST(BookshelfSet, DiscardedTextLeavesTheResultAsItWas) {
  const std::string plain = routedResult(tinySet());
  ASSERT_NE(plain.find("!\n"), std::string::npos);  // some net was routed
  for (const auto& c : kDiscarded) {
    SCOPED_TRACE(c.name);
    auto files = tinySet();
    std::string& text = files[c.file];
    const std::size_t at = text.find(c.from);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, std::string(c.from).size(), c.to);
    EXPECT_EQ(routedResult(files), plain);
  }
}

// A 200 x 200 grid of 1 x 1 tiles at the origin, so that a pin's tile is its position.
const char* kUnitRoute =
    "Grid : 200 200 3\nVerticalCapacity : 10 10 10\nHorizontalCapacity : 10 10 10\n"
    "MinWireWidth : 1 1 1\nMinWireSpacing : 1 1 1\nViaSpacing : 0 0 0\nGridOrigin : 0 0\nTileSize : 1 1\n"
    "NumNiTerminals : 1\n\n p0 3\n";

NetDB readNets(const std::string& netsText, int threshold) {
  std::vector<placeCell> cells(3);
  cells[0].x = 100, cells[0].y = 50, cells[0].width = 10, cells[0].height = 4;
  cells[1].x = 20, cells[1].y = 20;
  cells[2].x = 0, cells[2].y = 0, cells[2].width = 0, cells[2].height = 0;  // p0, layer 3
  for (placeCell& c : cells) c.placeLine = 1;
  TempDir dir;
  const std::string rp = dir.write("r.route", kUnitRoute);
  const std::string np = dir.write("n.nets", netsText);
  NetDB db;
  parameterSet params;
  params.ignoredNetThreshold = threshold;
  captured([&] {
    read_route_file(rp.c_str(), cells, db, parameterSet(), 2);
    read_net_file(np.c_str(), cells, db, params, 2);
  });
  return db;
}

// The threshold counts distinct 3D pins: n9's o1 and p0 share a tile on layers 1 and 3.
TEST(NetFile, IgnoredNetThresholdCountsDistinctPins) {
  const std::string text =
      "NumNets : 2\nNumPins : 6\n\nNetDegree : 3 n1\n o0 I\n o1 I\n o0 O\n"
      "NetDegree : 3 n9\n o1 I\n p0 O : 19.5 19.5\n o0 I : 0 0\n";
  for (const auto& [threshold, kept] : {std::pair{INT_MAX, 2u}, {3, 2u}, {2, 1u}, {0, 0u}}) {
    const NetDB db = readNets(text, threshold);
    EXPECT_EQ(db.nets.size(), kept) << threshold;
    EXPECT_EQ(db.pinCount[105][52], 2);  // counted whether kept or not, repeats once
  }
}

// Names as the nets file writes them, in step with the nets kept (n2 lies in one tile).
TEST(NetFile, NamesAsWrittenForTheKeptNets) {
  const NetDB db = readNets(
      "NumNets : 3\nNumPins : 6\n\nNetDegree:2 n04\n o1 I\n o0 O\nNetDegree : 2 n2\n o1 I\n o1 O\n"
      "NetDegree : 2 n-6\n o0 I\n o1 O\n",
      INT_MAX);
  ASSERT_EQ(db.netNames.size(), 2u);
  EXPECT_EQ(db.netNames[0], "n04");
  EXPECT_EQ(db.netNames[1], "n-6");
  EXPECT_EQ(db.nets[0].id, 4);
}

// A terminal's record counts toward NumNonRectangularNodes and changes no node.
TEST(ShapesFile, TerminalRecordsCountAndChangeNoNode) {
  TempDir dir;
  const std::string path =
      dir.write("s.shapes", "shapes 1.0\nNumNonRectangularNodes : 2\np0 : 1\n  S 1 2 3 4\no1 : 1\n  S 5 6 7 8\n");
  std::vector<placeCell> cells(3);
  captured([&] { read_shape_file(path.c_str(), cells); });
  EXPECT_TRUE(cells[0].shapes.empty());
  ASSERT_EQ(cells[1].shapes.size(), 1u);
  EXPECT_EQ(std::tuple(cells[1].shapes[0].x, cells[1].shapes[0].height), std::tuple(5, 8));
  EXPECT_TRUE(cells[2].shapes.empty());
}

}  // namespace
