// The stand-alone problem reader's own rules: nets of more than 1000 pins are skipped, every pin
// lies on layer 0, adjustments preload half their capacity as the complement of demand, and the
// antenna limit is 3000 file units counted in tile widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer/Graph.h"
#include "support/RunProcess.h"

namespace {

// Tiles of 7 x 10 (3 x 2 of them), so that tile width and height differ. Blank lines, which may
// stand before any header line, before the grid and origin lines.
std::string problem() {
  std::string text =
      "\ngrid 3 2 2\nvertical capacity 0 8\nhorizontal capacity 8 0\nminimum width 1 1\nminimum spacing 1 1\n"
      "via spacing 1 1\n\n0 0 7 10\n\nnum net 4\n";
  // Nets of 1000 and 1001 pins, alternating between tiles (0,0) and (2,1).
  for (const int pins : {1000, 1001}) {
    text += "big" + std::to_string(pins) + " " + std::to_string(pins - 999) + " " + std::to_string(pins) + " 1\n";
    for (int p = 0; p < pins; ++p) text += p % 2 ? "17 15 2\n" : "3 5 2\n";
  }
  text += "mid 3 3 1\n3 5 2\n10 5 1\n17 15 2\nlast 4 2 1\n3 15 2\n10 15 2\n\n";
  // Capacity 3 on the vertical edge (1,0)-(1,1) of layer 2, 5 on the horizontal (0,1)-(1,1) of layer 1.
  return text + "2\n1 0 2 1 1 2 3\n0 1 1 1 1 1 5\n";
}

void read(Graph& g) {
  TempDir dir;
  const std::string path = dir.write("p.gr", problem());
  testing::internal::CaptureStdout();
  g.input2Dresult(path.c_str());
  testing::internal::GetCapturedStdout();
}

TEST(Input2Dresult, SkipsNetsOfMoreThan1000Pins) {
  Graph g;
  read(g);
  std::vector<int> ids;
  for (const net& n : g.nets) ids.push_back(n.id);
  EXPECT_EQ(ids, (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(g.nets[0].pinCount, 2u);  // one pin per tile
}

TEST(Input2Dresult, PutsEveryPinOnLayer0) {
  Graph g;
  read(g);
  std::vector<int> layers;  // the file puts them on layers 1 and 2
  for (const net& n : g.nets)
    for (const pin& p : g.pinsOf(n)) layers.push_back(p.layer);
  EXPECT_GE(layers.size(), 5u);
  EXPECT_EQ(layers, std::vector<int>(layers.size(), 0));
}

// Layer capacities are halved (8 -> 4 tracks); an adjustment to c preloads 4 - c / 2 tracks.
TEST(Input2Dresult, AdjustmentsPreloadTheHalvedCapacityAsDemand) {
  Graph g;
  read(g);
  EXPECT_EQ(g.demandV.at(1, 0, 1), 3);  // 4 - 3 / 2
  EXPECT_EQ(g.usage2DV[1][0], 3);
  EXPECT_EQ(g.demandH.at(0, 1, 0), 2);  // 4 - 5 / 2
  EXPECT_EQ(g.usage2DH[0][1], 2);
}

TEST(Input2Dresult, AntennaLimitIs3000UnitsInTileWidths) {
  Graph g;
  read(g);
  EXPECT_EQ(g.antennaMaxLen, 3000.0 / 7.0);
}

}  // namespace
