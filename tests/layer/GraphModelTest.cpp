#include <gtest/gtest.h>

#include "layer/Graph.h"
#include "support/LaTestProblem.h"

namespace {

// 3 x 3 grid; layer 0 vertical only (5 tracks), layer 1 horizontal only (4), layer 2 both (6).
NetDB threeLayerDB() { return makeGridDB(3, 3, {0, 4, 6}, {5, 0, 6}); }

TEST(GraphModel, AdjustmentIsDemandFillingTheRemovedTracks) {
  NetDB db = threeLayerDB();
  db.adjEdges = {RPoint(1, 2, 2, 1), RPoint(1, 2, 2, 1), RPoint(0, 1, 0, 0)};
  db.adjCapacity = {4, 1, 2};  // the same horizontal edge twice: last demand, both usages
  Graph g;
  testing::internal::CaptureStdout();
  g.initialLA(db, 1, 0.0);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(g.demandH.at(1, 2, 2), 5);
  EXPECT_EQ(g.usage2DH[1][2], 2 + 5);
  EXPECT_EQ(g.demandV.at(0, 1, 0), 3);
  EXPECT_EQ(g.usage2DV[0][1], 3);
  EXPECT_EQ(g.of3DH[1][2], 0);  // adjustments do not count as overflow units
}

// Pin blockage: ceil((pins + repeats) * factor) on the lowest layer with capacity in each
// direction, added to every existing edge next to the tile, capped at the capacity.
TEST(GraphModel, PinBlockageGoesToTheLowestLayerOfEachDirection) {
  const struct {
    const char* name;
    int tileX, tileY, pins, repeats;
    double factor;
    int vEdgesTouched, hEdgesTouched, expectedDemand;
  } kCases[] = {
      {"centre tile, ceil(2.0)", 1, 1, 3, 1, 0.5, 2, 2, 2},
      {"corner tile touches two edges", 0, 0, 3, 1, 0.5, 1, 1, 2},
      {"border tile touches three", 1, 0, 3, 1, 0.5, 1, 2, 2},
      {"fraction rounds up", 1, 1, 1, 0, 0.3, 2, 2, 1},
      {"capped at the capacity", 1, 1, 40, 0, 1.0, 2, 2, -1},
      {"factor zero adds nothing", 1, 1, 9, 0, 0.0, 2, 2, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    NetDB db = threeLayerDB();
    db.pinCount[c.tileX][c.tileY] = c.pins;
    db.repeatPinCount[c.tileX][c.tileY] = c.repeats;
    Graph g;
    g.initialLA(db, 1, c.factor);
    int vTouched = 0, hTouched = 0;
    for (int x = 0; x < 3; ++x)
      for (int y = 0; y < 2; ++y) {
        const int d = g.demandV.at(x, y, 0);  // layer 0: lowest vertical layer
        if (d != 0) {
          ++vTouched;
          EXPECT_EQ(d, c.expectedDemand < 0 ? 5 : c.expectedDemand);
        }
        EXPECT_EQ(g.demandV.at(x, y, 2), 0);
        EXPECT_EQ(g.usage2DV[x][y], 0);
      }
    for (int x = 0; x < 2; ++x)
      for (int y = 0; y < 3; ++y) {
        const int d = g.demandH.at(x, y, 1);  // layer 1: lowest horizontal layer
        if (d != 0) {
          ++hTouched;
          EXPECT_EQ(d, c.expectedDemand < 0 ? 4 : c.expectedDemand);
        }
        EXPECT_EQ(g.demandH.at(x, y, 2), 0);
      }
    if (c.expectedDemand != 0) {
      EXPECT_EQ(vTouched, c.vEdgesTouched);
      EXPECT_EQ(hTouched, c.hEdgesTouched);
    }
  }
}

TEST(GraphModel, TotalOverflowIsPitchWeighted) {
  NetDB db = threeLayerDB();
  db.minWireSpacing = {0, 2, 0};  // pitch 3 on layer 1
  Graph g;
  g.initialLA(db, 1, 0.0);
  std::int64_t maxOF = -1;
  double weightOF = -1.0;
  EXPECT_EQ(g.getTotalOverflow(maxOF, weightOF), 0);
  EXPECT_EQ(maxOF, 0);
  EXPECT_EQ(weightOF, 0.0);
  g.demandH.at(1, 2, 1) = 6;  // capacity 4: over by 2
  EXPECT_EQ(g.getTotalOverflow(maxOF, weightOF), 6);
  EXPECT_EQ(maxOF, 6);
  EXPECT_EQ(weightOF, 36.0);
  g.demandV.at(2, 0, 0) = 6;  // capacity 5, pitch 1
  EXPECT_EQ(g.getTotalOverflow(maxOF, weightOF), 7);
  EXPECT_EQ(maxOF, 6);
  EXPECT_EQ(weightOF, 37.0);
  g.updateHistoryCost();
  g.updateHistoryCost();
  EXPECT_EQ(g.historyH.at(1, 2, 1), 2);
  EXPECT_EQ(g.historyV.at(2, 0, 0), 2);
  EXPECT_EQ(g.historyH.at(0, 0, 1), 0);
}

}  // namespace
