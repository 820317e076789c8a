#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer/Graph.h"
#include "support/LaTestProblem.h"

namespace {

// Appends a net given by node parents (breadth-first), the layer of each node's parent edge
// (edge i joins node i + 1) and pin flags; the checks read only tree and layers.
net& addTree(Graph& g, const std::vector<int>& parents, const std::vector<int>& layers, const std::vector<bool>& pins) {
  net n;
  n.nodeBegin = std::uint32_t(g.nodePool.size());
  n.edgeBegin = std::uint32_t(g.edgePool.size());
  n.nodeCount = std::uint32_t(parents.size());
  for (std::size_t i = 0; i < parents.size(); ++i) {
    node nd;
    nd.parent = parents[i];
    nd.isPin = pins[i];
    for (std::size_t c = i + 1; c < parents.size(); ++c)
      if (parents[c] == int(i)) {
        if (nd.childNum == 0) nd.firstChild = int(c);
        ++nd.childNum;
      }
    g.nodePool.push_back(nd);
    if (i > 0) {
      edge e;
      e.layer = std::int16_t(layers[i - 1]);
      g.edgePool.push_back(e);
    }
  }
  g.nets.push_back(n);
  return g.nets.back();
}

// Root (pin) with children a and b; a has the pins c and d. a's edge is on layer 3, above
// c's (1) and d's (2), so c, a and d form one wire of two edges and two pins.
const std::vector<int> kForkParents = {-1, 0, 0, 1, 1};
const std::vector<int> kForkLayers = {3, 1, 1, 2};
const std::vector<bool> kForkPins = {true, false, false, true, true};

struct SegmentCase {
  const char* name;
  std::vector<int> parents, layers;
  std::vector<bool> pins;
  double limit;
  int charged;
};

TEST(CheckAntennaRule, ChargesThePinsOfSegmentsLongerThanTheLimit) {
  const SegmentCase kCases[] = {
      {"one layer: every node closes its own segment", {-1, 0, 1, 2}, {1, 1, 1}, {true, false, false, true}, 0.0, 0},
      {"b's pin hangs on a's higher edge with one unit", {-1, 0, 1}, {2, 1}, {true, false, true}, 0.5, 1},
      {"equal layers do not join segments", {-1, 0, 1}, {1, 1}, {true, false, true}, 0.0, 0},
      {"two edges under the top edge count twice", {-1, 0, 1, 2}, {3, 1, 2}, {true, false, false, true}, 1.0, 1},
      {"both pins of the fork are charged", kForkParents, kForkLayers, kForkPins, 1.0, 2},
      {"pins right at the root are never charged", {-1, 0}, {0}, {true, true}, 0.0, 0},
  };
  for (const SegmentCase& c : kCases) {
    SCOPED_TRACE(c.name);
    Graph g;
    g.antennaMaxLen = c.limit;
    const net& n = addTree(g, c.parents, c.layers, c.pins);
    EXPECT_EQ(g.checkAntennaRule(n), c.charged);
  }
}

TEST(CheckAntennaRule2, CountsPinsWhoseRegionHasTooMuchWirePerPin) {
  // Pins c and d: the highest edge on their way up is a's (layer 3); below a the region is
  // a, c, d: 2 edges for 1 + 2 pins, a ratio of 0.667.
  Graph g;
  const net& n = addTree(g, kForkParents, kForkLayers, kForkPins);
  g.antennaMaxLen = 0.5;
  testing::internal::CaptureStdout();
  EXPECT_EQ(g.checkAntennaRule2(n), 2);
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "spLayer=3 ALratio=0.667 Amax=0.500\nspLayer=3 ALratio=0.667 Amax=0.500\n");
  g.antennaMaxLen = 0.7;
  EXPECT_EQ(g.checkAntennaRule2(n), 0);
  g.antennaMaxLen = 4.0;  // no more edges than the limit: not examined
  EXPECT_EQ(g.checkAntennaRule2(n), 0);
}

// Path root - A - j - x - x2 - y - z (pins: root, j, y, z); the edges above j are on layer 3,
// so every region stays below it. With the lower edges flat the region of every pin may keep
// growing at its highest layer until the pins catch up with the wire; with the layers rising
// away from j the region of j stops at x2 with two edges for one pin.
const std::vector<int> kPathParents = {-1, 0, 1, 2, 3, 4, 5};
const std::vector<bool> kPathPins = {true, false, true, false, false, true, true};

TEST(CheckAntennaRule3, GrowsRegionsLowestLayerFirst) {
  struct Case {
    const char* name;
    std::vector<int> parents, layers;
    std::vector<bool> pins;
    double limit;
    int violations;
  };
  const Case kCases[] = {
      {"flat: every region recovers", kPathParents, {3, 3, 1, 1, 1, 1}, kPathPins, 1.4, 0},
      {"rising: j's region is stuck at a higher layer", kPathParents, {3, 3, 0, 1, 2, 2}, kPathPins, 1.4, 1},
      {"fork: each pin reaches the other and stays over 0.5", kForkParents, kForkLayers, kForkPins, 0.5, 2},
      {"no more edges than the limit: not examined", kForkParents, kForkLayers, kForkPins, 4.0, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Graph g;
    g.antennaMaxLen = c.limit;
    EXPECT_EQ(g.checkAntennaRule3(addTree(g, c.parents, c.layers, c.pins)), c.violations);
  }
}

TEST(VarifyAntenna, SumsViolatingPinsAndNets) {
  Graph g;
  g.antennaMaxLen = 1.4;
  addTree(g, kPathParents, {3, 3, 1, 1, 1, 1}, kPathPins);
  addTree(g, kPathParents, {3, 3, 0, 1, 2, 2}, kPathPins);
  addTree(g, kPathParents, {3, 3, 0, 1, 2, 2}, kPathPins);
  testing::internal::CaptureStdout();
  g.varifyAntenna();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "vioPinNum=2 vioNetNum=2\n");
}

TEST(CalMinSP, CutsTheLongestSubtreesUntilTheLimitHolds) {
  struct Case {
    const char* name;
    double limit;
    std::int64_t cuts;
  };
  // Fork: at a, wire 2 > 1 with two pins: cut d (the later of two equal children), wire 1.
  // At the root: a (wire 1) and b (wire 0) give wire 3: cut a, wire 1. With a limit of -1
  // every child of a node with pins is cut, and the loop still ends.
  const Case kCases[] = {
      {"limit 1", 1.0, 2}, {"limit 3: only the root cuts a", 3.0, 1}, {"limit 4", 4.0, 0}, {"negative limit", -1.0, 4}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Graph g;
    g.antennaMaxLen = c.limit;
    addTree(g, kForkParents, kForkLayers, kForkPins);
    EXPECT_EQ(g.calMinSP(), c.cuts);
  }
  Graph g;
  g.antennaMaxLen = 1.0;
  addTree(g, kForkParents, kForkLayers, kForkPins);
  addTree(g, {-1, 0, 1}, {0, 0}, {true, false, true});  // root sees wire 2 over a: one cut
  EXPECT_EQ(g.calMinSP(), 3);
}

TEST(BuildOverlapGraph, LinksNetsSharingGridEdgesOnce) {
  // Nets 0 and 1 share the row edges (1,0) and (2,0); net 2 runs alone on row 2; net 3
  // climbs column 0 into net 2's first tile, sharing a tile but no edge.
  NetDB db = makeGridDB(4, 3, {3, 3}, {3, 3});
  const struct {
    int id;
    Point a, b;
  } kNets[] = {{10, Point(0, 0, 0), Point(3, 0, 0)},
               {11, Point(1, 0, 0), Point(3, 1, 0)},
               {12, Point(0, 2, 0), Point(2, 2, 0)},
               {13, Point(0, 1, 0), Point(0, 2, 0)}};
  for (const auto& k : kNets) {
    Net& n = addNet(db, k.id, {k.a, k.b});
    addLConnection(db, n, k.a, k.b);
  }
  Graph g;
  testing::internal::CaptureStdout();
  g.initialLA(db, 1, 0.0);
  g.convertGRtoLA(db);
  testing::internal::GetCapturedStdout();
  testing::internal::CaptureStdout();
  g.buildOverlapGraph();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "build Overlap Graph\nmaxSet=1\n");
  ASSERT_EQ(g.overlapNets.size(), 4u);
  EXPECT_EQ(g.overlapNets[0], (std::vector<int>{1}));
  EXPECT_EQ(g.overlapNets[1], (std::vector<int>{0}));
  EXPECT_TRUE(g.overlapNets[2].empty());
  EXPECT_TRUE(g.overlapNets[3].empty());
}

}  // namespace
