// The ISPD'08 problem reader: tracks, pin mapping, dropped nets, adjustments, and broken files.
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

using ::testing::HasSubstr;

// Layer 1: horizontal 20 units, pitch 2 -> 10 tracks. Layer 2: vertical 20 units, pitch 4 -> 5 tracks.
const char* kHeader =
    "grid 4 3 2\n"
    "vertical capacity\t0 20\n"
    "horizontal capacity\t20 0\n"
    "minimum width\t1 2\n"
    "minimum spacing\t1 2\n"
    "via spacing\t1 1\n"
    "0 0 10 10\n"
    "\n";

const char* kNets =
    "num net 6\n"
    "single 10 2 1\n5 5 1\n6 6 2\n"                      // one tile on two layers: dropped
    "repeat 11 3 1\n5 5 1\n15 5 1\n6 6 1\n"              // third pin repeats the first tile and layer
    "stacked 12 3 1\n5 5 1\n5 5 2\n25 15 1\n"            // two layers in tile (0,0)
    "boundary 13 2 1 [ 1 : 2 ] @ 1.5\n19 0 1\n0 29 1\n"  // header with layer range and weight
    "four 14 4 1\n5 5 1\n15 5 1\n25 5 1\n35 5 1\n"
    "three 15 3 1\n5 25 1\n15 25 1\n15 25 2\n"
    "\n";

const char* kAdjustments =
    "4\n"
    "0 0 1\t1 0 1\t10\n"  // horizontal, 10 units / pitch 2 = 5 tracks
    "1 0 1\t0 0 1\t20\n"  // restates the default: not stored
    "0 0 2\t0 1 2\t0\n"   // vertical to 0
    "2 1 2\t2 0 2\t3\n";  // below one pitch: 0 tracks; the lower row names the edge

struct Loaded {
  NetDB db;
  std::string out;
};

void load(const std::string& text, Loaded& l, int threshold = INT_MAX) {
  TempDir dir;
  const std::string path = dir.write("p.gr", text);
  parameterSet params;
  params.ignoredNetThreshold = threshold;
  ::testing::internal::CaptureStdout();
  Input_ISPD(path.c_str(), l.db, params);
  std::fflush(stdout);
  l.out = ::testing::internal::GetCapturedStdout();
}

std::vector<int> ids(const NetDB& db) {
  std::vector<int> v;
  for (const Net& n : db.nets) v.push_back(n.id);
  return v;
}

TEST(ProblemReader, ReadsTracksPinsAndAdjustments) {
  Loaded l;
  load(std::string(kHeader) + kNets + kAdjustments, l);
  const NetDB& db = l.db;
  EXPECT_THAT(l.out, HasSubstr("Number of nets: 6\n"));
  EXPECT_EQ(std::tuple(db.gridX, db.gridY, db.totalHorizontalTracks, db.totalVerticalTracks), std::tuple(4, 3, 10, 5));
  EXPECT_EQ(db.wirePitch, (std::vector<int>{2, 4}));
  EXPECT_EQ(db.horizontalTracks, (std::vector<int>{10, 0}));
  EXPECT_EQ(db.verticalTracks, (std::vector<int>{0, 5}));
  EXPECT_EQ(ids(db), (std::vector<int>{11, 12, 13, 14, 15}));

  EXPECT_EQ(std::tuple(db.nets[0].pins3D.size(), db.nets[0].pins2D.size()), std::tuple(2u, 2u));  // repeat
  const Net& stacked = db.nets[1];
  ASSERT_EQ(std::tuple(stacked.pins3D.size(), stacked.pins2D.size()), std::tuple(3u, 2u));
  EXPECT_EQ(std::tuple(stacked.pins2D[0].z, stacked.pins3D[1].z, stacked.pins2D[1].x, stacked.pins2D[1].y),
            std::tuple(0, 1, 2, 1));
  // x = origin + 2 * tile - 1 is still column 1.
  EXPECT_EQ(std::tuple(db.nets[2].pins2D[0].x, db.nets[2].pins2D[1].y), std::tuple(1, 2));
  // Tile (0,0): single 2, repeat 1, stacked 2, four 1; the dropped net still counts.
  EXPECT_EQ(std::tuple(db.pinCount[0][0], db.repeatPinCount[0][0], db.pinCount[1][2]), std::tuple(6, 1, 2));

  ASSERT_EQ(db.adjEdges.size(), 3u);
  EXPECT_EQ(db.adjCapacity, (std::vector<int>{5, 0, 0}));
  const RPoint& h = db.adjEdges[0];
  EXPECT_EQ(std::vector<int>({h.hori, h.x, h.y, h.z}), std::vector<int>({1, 0, 0, 0}));
  const RPoint& v = db.adjEdges[2];
  EXPECT_EQ(std::vector<int>({v.hori, v.x, v.y, v.z}), std::vector<int>({0, 2, 0, 1}));
}

TEST(ProblemReader, IgnoredNetThresholdCountsDistinctTileLayerPins) {
  Loaded l;
  load(std::string(kHeader) + kNets + kAdjustments, l, 2);
  EXPECT_EQ(ids(l.db), (std::vector<int>{11, 13}));  // distinct (tile, layer) pins, repeats not counted
}

// The adjustment count follows the net list wherever that ends: right after "num net 0", right
// after a net of no pins, or with the first adjustment on its line.
TEST(ProblemReader, AdjustmentCountFollowsTheNetListWhereverItEnds) {
  const std::string adjustments = kAdjustments, sameLine = "4 " + adjustments.substr(2);
  for (const std::string& tail : {"num net 0\n" + adjustments, "num net 1\nnopins 1 0 1\n" + adjustments,
                                  "num net 0\n\n" + sameLine, kNets + sameLine}) {
    SCOPED_TRACE(tail);
    Loaded l;
    load(kHeader + tail, l);
    EXPECT_EQ(l.db.adjCapacity, (std::vector<int>{5, 0, 0}));
  }
}

}  // namespace
