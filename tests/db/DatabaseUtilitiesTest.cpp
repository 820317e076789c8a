// Run-parameter defaults, the two net orders and the empty time report.

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <sstream>
#include <vector>

#include "db/NetDB.h"
#include "db/Timer.h"
#include "db/parameterSet.h"

namespace {

// Every field takes its documented default, whatever it held; the database is not touched.
TEST(RunParameters, DefaultsOverwriteEveryField) {
  parameterSet p;
  p.viaCost = p.ignoredNetThreshold = p.layerAssignAlgo = p.patternIteration = p.monotonicIteration = -5;
  p.mazeIteration = p.overflowElimIteration = p.postRoutingIteration = p.optimization3DIteration = -5;
  p.historyStartRound = p.mazeStopOverflow = p.costRelaxRound = p.historyCostMode = -5;
  p.wirelengthParam = p.expandCenter = -5;
  p.outputRoutingResult = false, p.outputOverflowInfo = true;
  p.pinBlockageFactor = p.expandScale = -5.0;
  NetDB db;
  db.gridX = 7;
  setDefaultParameter(db, p);
  EXPECT_EQ(db.gridX, 7);
  const int ints[] = {p.ignoredNetThreshold, p.layerAssignAlgo,       p.patternIteration,     p.monotonicIteration,
                      p.mazeIteration,       p.overflowElimIteration, p.postRoutingIteration, p.optimization3DIteration,
                      p.historyStartRound,   p.mazeStopOverflow,      p.costRelaxRound,       p.historyCostMode,
                      p.wirelengthParam,     p.expandCenter};
  const int expected[] = {INT_MAX, 1, 2, 3, INT_MAX, 4, 2, 0, 1, 0, 35, 1, 200, 9};
  for (std::size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(ints[i], expected[i]) << "field " << i;
  EXPECT_EQ(p.viaCost, 1);
  EXPECT_TRUE(p.outputRoutingResult);
  EXPECT_FALSE(p.outputOverflowInfo);
  EXPECT_EQ(p.pinBlockageFactor, 0.0);
  EXPECT_EQ(p.expandScale, 2.0);
}

Net netOf(int id, std::vector<Point> pins) {
  Net n;
  n.id = id;
  n.pins2D = std::move(pins);
  return n;
}

// By id ascending; and by pin count descending, then by the smaller of |dx| and |dy| of the
// first two pins, with nets of fewer than two pins never ordered among themselves.
TEST(NetOrders, IdOrderAndPinCountThenSpread) {
  std::vector<Net> nets;
  for (int id : {5, -2, 9, 0}) nets.push_back(netOf(id, {}));
  std::sort(nets.begin(), nets.end(), net_cp);
  std::vector<int> ids;
  for (const Net& n : nets) ids.push_back(n.id);
  EXPECT_EQ(ids, (std::vector<int>{-2, 0, 5, 9}));
  EXPECT_FALSE(net_cp(nets[1], nets[1]));

  const Point a(0, 0), b(3, 1), c(2, 5), d(9, 9);
  const struct {
    const char* name;
    Net first, second;
    bool less, greater;
  } kPairs[] = {
      {"more pins first", netOf(0, {a, b, c}), netOf(1, {a, d}), true, false},
      {"one pin each: unordered", netOf(0, {a}), netOf(1, {d}), false, false},
      {"no pins each: unordered", netOf(0, {}), netOf(1, {}), false, false},
      {"smaller spread first (1 against 2)", netOf(0, {a, b}), netOf(1, {a, c}), true, false},
      {"spread is dy when dy is smaller", netOf(0, {a, Point(10, 1)}), netOf(1, {a, Point(2, 2)}), true, false},
      {"spread is dx when dx is smaller", netOf(0, {Point(2, 2), a}), netOf(1, {Point(1, 10), a}), false, true},
      {"equal spreads: unordered", netOf(0, {a, b, d}), netOf(1, {c, Point(3, 6), a}), false, false},
  };
  for (const auto& p : kPairs) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(p.first < p.second, p.less);
    EXPECT_EQ(p.second < p.first, p.greater);
  }
}

// A tile prints as (x,y); an edge or via as h or v (hori 0) before its tile; z is not shown.
TEST(GeometryPrinting, TilesAndEdgesAsText) {
  std::ostringstream os;
  os << Point(3, -4, 2) << RPoint() << RPoint(1, 2, 5, 1) << RPoint(7, 8, 0, 2) << RPoint(0, 9, 1, 0);
  EXPECT_EQ(os.str(), "(3,-4)v(0,0)h(1,2)h(7,8)v(0,9)");
}

// A path step's own comparisons ignore the layer; the per-net edge sets' comparison does not.
// Order: by hori, then vertical edges (hori 0) by x then y, the others by y then x.
TEST(GeometryComparison, StepsCompareWithoutTheLayerAndEdgeSetsWithIt) {
  const struct {
    RPoint a, b;
    bool equal, edgeSetEqual, less;
  } kPairs[] = {
      {RPoint(1, 2, 0, 1), RPoint(1, 2, 3, 1), true, false, false},
      {RPoint(1, 2, 4, 2), RPoint(1, 2, 4, 2), true, true, false},
      {RPoint(1, 2, 0, 1), RPoint(1, 2, 0, 0), false, false, false},
      {RPoint(2, 1, 0, 0), RPoint(1, 2, 0, 0), false, false, false},
      {RPoint(1, 2, 0, 1), RPoint(2, 1, 0, 1), false, false, false},
      {RPoint(5, 1, 0, 2), RPoint(1, 2, 0, 2), false, false, true},
      {RPoint(1, 2, 0, 0), RPoint(0, 0, 0, 1), false, false, true},
  };
  for (const auto& p : kPairs) {
    SCOPED_TRACE(testing::Message() << p.a << " " << p.b);
    EXPECT_EQ(p.a == p.b, p.equal);
    EXPECT_EQ(p.a != p.b, !p.equal);
    EXPECT_EQ(eqRPoint()(p.a, p.b), p.edgeSetEqual);
    EXPECT_EQ(p.a < p.b, p.less);
  }
}

TEST(TimeReports, TheDeviceReportPrintsNothing) {
  testing::internal::CaptureStdout();
  printGPUTime();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

}  // namespace
