#pragma once
// An independent checker of routing results in the ISPD'08 layout, written apart from the
// router: it reads the problem file and a result file and verifies what the contest
// evaluation verifies, and recomputes overflow and wirelength from the segments alone.
//
//   GrProblem problem;
//   std::string error;
//   ASSERT_TRUE(readGrProblem(grPath, problem, error)) << error;
//   const CheckReport r = checkResultFile(problem, resultPath);
//   EXPECT_TRUE(r.legal()) << r.summary();
//   EXPECT_EQ(r.totalOverflow, reportTotal);

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

// One net of a problem file, as written: file coordinates and 1-based layers.
struct GrPin {
  int x = 0, y = 0, layer = 1;
};
struct GrNet {
  std::string name;
  int id = 0;
  int minWidth = 0;  // the net's minimum wire width
  std::vector<GrPin> pins;
};
// A capacity adjustment: two neighbouring tiles, 1-based layers, new capacity in file units.
struct GrAdjustment {
  int x1 = 0, y1 = 0, l1 = 1, x2 = 0, y2 = 0, l2 = 1, capacity = 0;
};
struct GrProblem {
  int gridX = 0, gridY = 0, layers = 0;
  std::vector<int> verticalCapacity, horizontalCapacity;  // file units, per layer
  std::vector<int> minWidth, minSpacing, viaSpacing;
  int originX = 0, originY = 0, tileWidth = 1, tileHeight = 1;
  std::vector<GrNet> nets;
  std::vector<GrAdjustment> adjustments;

  // Tile of a file coordinate (floor division from the origin).
  int tileX(int x) const;
  int tileY(int y) const;
  // Number of distinct tiles among a net's pins.
  int distinctTiles(const GrNet& n) const;
};

// Parses an ISPD'08 problem. On failure returns false and says where in error.
bool parseGrProblem(std::istream& in, GrProblem& out, std::string& error);
bool readGrProblem(const std::string& path, GrProblem& out, std::string& error);

struct CheckOptions {
  // Nets with more pins are not checked for connectivity (the contest did the same).
  int connectivityPinLimit = 1000;
  // How many error texts to keep; the count of all errors is kept regardless.
  int maxErrorTexts = 20;
};

struct CheckReport {
  std::int64_t errorCount = 0;
  std::vector<std::string> errors;  // the first maxErrorTexts of them
  // Recomputed from the segments, each unit counted once per net. A wire takes
  // max(net minimum width, layer minimum width) + layer minimum spacing of its edge's capacity.
  std::int64_t totalOverflow = 0;  // capacity units: sum over (edge, layer) of max(0, wires' share - capacity)
  std::int64_t maxOverflow = 0;    // the largest single (edge, layer) overflow
  std::int64_t wirelength = 0;     // planar unit edges
  std::int64_t viaCount = 0;       // layer steps of vias
  std::int64_t totalWirelength() const { return wirelength + viaCount; }
  int netsRouted = 0;  // result blocks read
  int netsNotCheckedForConnectivity = 0;

  bool legal() const { return errorCount == 0; }
  std::string summary() const;
};

// Checks a result against its problem, as the contest evaluator does: a block names its net by
// the problem's net name (its id must agree); every net whose pins span two or more tiles has
// exactly one block; every segment is axis-parallel, inside the grid and on existing layers,
// and changes exactly one of x, y and layer; every checked net's segments connect all its
// pins in three dimensions and every segment is reachable from its first pin. Blocks for
// unknown names are errors.
CheckReport checkResult(const GrProblem& problem, std::istream& result, const CheckOptions& options = {});
CheckReport checkResultFile(const GrProblem& problem, const std::string& resultPath, const CheckOptions& options = {});

// The figures of an overflow report (".ofinfo"), and its edge lines.
struct OverflowReport {
  std::int64_t totalOverflow = -1, maxOverflow = -1, wirelength = -1, viaCount = -1, totalWirelength = -1;
  int viaCost = -1;
  std::int64_t listedOverflow = 0;  // sum of the edge lines' values
  int listedEdges = 0;
  bool complete = false;  // ends with "end"
};
bool readOverflowReport(const std::string& path, OverflowReport& out, std::string& error);
