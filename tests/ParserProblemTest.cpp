// The ISPD'08 problem reader: tracks, pin mapping, dropped nets, adjustments, and broken files.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/RunProcess.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

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
  EXPECT_EQ(db.gridX, 4);
  EXPECT_EQ(db.gridY, 3);
  EXPECT_EQ(db.wirePitch, (std::vector<int>{2, 4}));
  EXPECT_EQ(db.horizontalTracks, (std::vector<int>{10, 0}));
  EXPECT_EQ(db.verticalTracks, (std::vector<int>{0, 5}));
  EXPECT_EQ(db.totalHorizontalTracks, 10);
  EXPECT_EQ(db.totalVerticalTracks, 5);
  EXPECT_EQ(ids(db), (std::vector<int>{11, 12, 13, 14, 15}));

  const Net& repeat = db.nets[0];
  EXPECT_EQ(repeat.pins3D.size(), 2u);
  EXPECT_EQ(repeat.pins2D.size(), 2u);

  const Net& stacked = db.nets[1];
  ASSERT_EQ(stacked.pins3D.size(), 3u);
  ASSERT_EQ(stacked.pins2D.size(), 2u);
  EXPECT_EQ(stacked.pins2D[0].z, 0);
  EXPECT_EQ(stacked.pins3D[1].z, 1);
  EXPECT_EQ(stacked.pins2D[1].x, 2);
  EXPECT_EQ(stacked.pins2D[1].y, 1);

  const Net& boundary = db.nets[2];  // x = origin + 2 * tile - 1 is still column 1
  EXPECT_EQ(boundary.pins2D[0].x, 1);
  EXPECT_EQ(boundary.pins2D[1].y, 2);

  // Tile (0,0): single 2, repeat 1, stacked 2, four 1; the dropped net still counts.
  EXPECT_EQ(db.pinCount[0][0], 6);
  EXPECT_EQ(db.repeatPinCount[0][0], 1);
  EXPECT_EQ(db.pinCount[1][2], 2);

  ASSERT_EQ(db.adjEdges.size(), 3u);
  EXPECT_EQ(db.adjCapacity, (std::vector<int>{5, 0, 0}));
  const RPoint& h = db.adjEdges[0];
  EXPECT_EQ(std::vector<int>({h.hori, h.x, h.y, h.z}), std::vector<int>({1, 0, 0, 0}));
  const RPoint& v = db.adjEdges[2];
  EXPECT_EQ(std::vector<int>({v.hori, v.x, v.y, v.z}), std::vector<int>({0, 2, 0, 1}));
}

TEST(ProblemReader, IgnoredNetThresholdCountsDistinctTileLayerPins) {
  Loaded l;
  load(std::string(kHeader) + kNets + kAdjustments, l, 3);
  EXPECT_EQ(ids(l.db), (std::vector<int>{11, 12, 13, 15}));  // "four" has 4 distinct pins
}

TEST(ProblemReader, EndOfFileAfterTheNetsMeansNoAdjustments) {
  Loaded l;
  load(std::string(kHeader) + kNets, l);
  EXPECT_EQ(l.db.nets.size(), 5u);
  EXPECT_TRUE(l.db.adjEdges.empty());
}

TEST(ProblemReader, LongLinesAndManyPinsReadLikeShortOnes) {
  std::string text = "grid 300 2 1" + std::string(200, ' ') +
                     "\nvertical capacity 4\nhorizontal capacity 4\n"
                     "minimum width 1\nminimum spacing 1\nvia spacing 1\n0 0 1 1\n\nnum net 1\n";
  // 600 pins over 300 tiles, each listed twice: the second listing is a repeat.
  text += "big 7 600 1\n";
  for (int i = 0; i < 600; ++i) text += std::to_string(i % 300) + " 0 1\n";
  Loaded l;
  load(text, l);
  ASSERT_EQ(l.db.nets.size(), 1u);
  EXPECT_EQ(l.db.nets[0].pins3D.size(), 300u);
  EXPECT_EQ(l.db.nets[0].pins2D.size(), 300u);
  EXPECT_EQ(l.db.repeatPinCount[5][0], 1);
  EXPECT_EQ(l.db.pinCount[5][0], 1);
}

// Each row breaks the problem file in one way; the run must stop with one clear line.
TEST(ProblemReader, RejectsBrokenFilesWithOneClearLine) {
  const std::string head = kHeader;
  const std::string oneNet = "num net 1\nn 1 2 1\n5 5 1\n15 5 1\n\n";
  const std::string noHorizontal = std::string(head).replace(head.find("\t20 0"), 5, "\t0 0");
  const struct {
    const char* name;
    std::string text;
    const char* mustSay;
  } kBroken[] = {
      {"grid line cut short", "grid 4 3\n", "line 1"},
      {"grid of zero columns", "grid 0 3 2\n", "line 1: grid size 0 x 3 is below 1"},
      {"grid too large", "grid 65536 65536 2\n", "too many tiles"},
      {"grid beyond any memory", "grid 40000 40000 2\n", "line 1: grid 40000 x 40000 x 2 needs about"},
      {"no layers", "grid 4 3 0\n", "line 1: layer count 0"},
      {"more layers than layer assignment holds", "grid 4 3 128\n", "line 1: layer count 128 is outside 1..127"},
      {"capacity not a number", "grid 4 3 2\nvertical capacity 0 2x\n", "line 2"},
      {"zero pitch",
       "grid 4 3 1\nvertical capacity 4\nhorizontal capacity 4\nminimum width 0\nminimum spacing 0\nvia spacing 1\n",
       "line 5: wire pitch (width + spacing) of layer 1 is 0"},
      {"zero tile size",
       "grid 4 3 1\nvertical capacity 4\nhorizontal capacity 4\nminimum width 1\nminimum spacing 1\nvia spacing 1\n"
       "0 0 0 10\n",
       "line 7: tile size 0 x 10"},
      {"net count missing", head + "num net\n", "net count"},
      {"negative net count", head + "num net -3\n", "line 9: net count -3 is negative"},
      {"net count beyond the nets", head + "num net 2\nn 1 2 1\n5 5 1\n15 5 1\n1\n0 0 1 1 0 1 10\n",
       "line 13: net header ends before the net id"},
      {"horizontal wire but no horizontal layer", noHorizontal + oneNet,
       "line 3: no layer has horizontal capacity, but net 1 needs a horizontal wire"},
      {"file ends inside a net", head + "num net 1\nn 1 3 1\n5 5 1\n15 5", "end of file"},
      {"pin outside the grid", head + "num net 1\nn 1 2 1\n5 5 1\n45 5 1\n", "outside"},
      {"pin below the origin", head + "num net 1\nn 1 2 1\n5 5 1\n5 -15 1\n", "outside"},
      {"pin on layer 0", head + "num net 1\nn 1 2 1\n5 5 0\n15 5 1\n", "layer 0"},
      {"pin on layer 3 of 2", head + "num net 1\nn 1 2 1\n5 5 3\n15 5 1\n", "layer 3"},
      {"negative pin count", head + "num net 1\nn 1 -2 1\n", "negative"},
      {"adjustment layer 5", head + oneNet + "1\n0 0 5 1 0 5 2\n", "layer"},
      {"adjustment tiles apart", head + oneNet + "1\n0 0 1 2 0 1 2\n", "neighbouring"},
      {"adjustment off the grid", head + oneNet + "1\n3 0 1 4 0 1 2\n", "neighbouring"},
      {"adjustment list cut short", head + oneNet + "2\n0 0 1 1 0 1 2\n", "end of file"},
      {"adjustment count garbage", head + oneNet + "many\n", "adjustment count"},
  };
  TempDir dir;
  // A bounded maze stage, so that a design that cannot be routed still ends.
  const std::string set = dir.write("p.set", "Via cost = 1\nMaze Routing Iteration = 5\n");
  for (const auto& c : kBroken) {
    SCOPED_TRACE(c.name);
    const std::string path = dir.write("bad.gr", c.text);
    const RunResult r = runKorvane({"ISPD", path, set, dir.file("out")});
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_THAT(r.err, AllOf(StartsWith("Error: " + path + ": "), HasSubstr(c.mustSay)));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  }
}

TEST(ProblemReader, MissingFileIsReportedOnStandardError) {
  TempDir dir;
  const std::string set = dir.write("p.set", "Via cost = 1\n");
  const RunResult r = runKorvane({"ISPD", dir.file("nope.gr"), set, dir.file("out")});
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "File " + dir.file("nope.gr") + " not exists!\n");
}

}  // namespace
