#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "layer/Graph.h"
#include "support/LaTestProblem.h"

namespace {

std::string convertQuietly(Graph& g, const NetDB& db) {
  testing::internal::CaptureStdout();
  g.convertGRtoLA(db);
  return testing::internal::GetCapturedStdout();
}

struct NodeView {
  int x, y, parent;
  bool operator==(const NodeView&) const = default;
};

std::vector<NodeView> nodeViews(const Graph& g, const net& n) {
  std::vector<NodeView> v;
  for (const node& nd : g.nodesOf(n)) v.push_back({nd.x, nd.y, nd.parent});
  return v;
}

// A plus-shaped net around its first pin (2, 2): the root's children come in the order up,
// right, down, left, then the next ring in the order of their parents.
TEST(TreeBuild, BreadthFirstNumberingUpRightDownLeft) {
  NetDB db = makeGridDB(5, 5, {0, 9}, {9, 0});
  Net& n = addNet(db, 42, {Point(2, 2, 0), Point(0, 2, 0), Point(2, 4, 1), Point(4, 2, 0), Point(2, 0, 0)});
  addLConnection(db, n, Point(2, 2), Point(0, 2));
  addLConnection(db, n, Point(2, 2), Point(2, 4));
  addLConnection(db, n, Point(4, 2), Point(2, 2));
  addLConnection(db, n, Point(2, 0), Point(2, 2));
  Graph g;
  g.initialLA(db, 1, 0.0);
  EXPECT_EQ(convertQuietly(g, db), "convertGRtoLA  input total overflow=0  Wlen2D=8  maxLen=8\n");
  const net& t = g.nets[0];
  const std::vector<NodeView> expected = {{2, 2, -1}, {2, 3, 0}, {3, 2, 0}, {2, 1, 0}, {1, 2, 0},
                                          {2, 4, 1},  {4, 2, 2}, {2, 0, 3}, {0, 2, 4}};
  EXPECT_EQ(nodeViews(g, t), expected);
  const auto nodes = g.nodesOf(t);
  EXPECT_EQ(nodes[0].childNum, 4);
  EXPECT_EQ(nodes[0].firstChild, 1);
  EXPECT_EQ(nodes[1].firstChild, 5);
  EXPECT_EQ(nodes[4].firstChild, 8);
  const auto edges = g.edgesOf(t);
  // edge i joins node i+1 to its parent, named by the lower or left tile
  EXPECT_FALSE(edges[0].hori);
  EXPECT_EQ(edges[0].y, 2);
  EXPECT_TRUE(edges[3].hori);
  EXPECT_EQ(edges[3].x, 1);
  EXPECT_EQ(edges[7].x, 0);
  EXPECT_TRUE(nodes[5].isPin);
  EXPECT_EQ(nodes[5].pinMaxLayer, 1);
  EXPECT_FALSE(nodes[1].isPin);
  EXPECT_EQ(g.usage2DH[1][2], 1);
  EXPECT_EQ(g.usage2DV[2][3], 1);
}

// Shares of an overflowed grid edge: ceil and floor of 2 d / L.
TEST(TreeBuild, OverflowSharesAndInputOverflow) {
  const struct {
    const char* name;
    int layers, capPerLayer, nets, pitch0;
    int ceilShare, floorShare, inputOF;
  } kCases[] = {
      {"2 layers, usage 7 of 4", 2, 2, 7, 1, 3, 3, 3},
      {"2 layers, usage 6 of 4", 2, 2, 6, 1, 2, 2, 2},
      {"2 layers, usage 5 of 4", 2, 2, 5, 1, 1, 1, 1},
      {"3 layers, d = 1", 3, 1, 4, 1, 1, 0, 1},
      {"input overflow weighted by layer 0's pitch", 2, 2, 7, 4, 3, 3, 12},
      {"at capacity keeps shares 0", 2, 2, 4, 1, 0, 0, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    NetDB db = makeGridDB(2, 1, std::vector<int>(c.layers, c.capPerLayer), std::vector<int>(c.layers, 0));
    db.minWireSpacing[0] = c.pitch0 - 1;
    for (int i = 0; i < c.nets; ++i) {
      Net& n = addNet(db, i, {Point(0, 0, 0), Point(1, 0, 0)});
      addLConnection(db, n, Point(0, 0), Point(1, 0));
    }
    Graph g;
    g.initialLA(db, 1, 0.0);
    convertQuietly(g, db);
    EXPECT_EQ(g.ofShareCeilH[0][0], c.ceilShare);
    EXPECT_EQ(g.ofShareFloorH[0][0], c.floorShare);
    EXPECT_EQ(g.inputOF, c.inputOF);
  }
}

// p1.z 0 and p2.z 0; steps assigned layers 1 and 3: via at p1, vias 1 and 2 at the common
// tile, vias 2, 1, 0 at p2.
TEST(PathConversion, ViaStacksAtJunctionsAndEnds) {
  NetDB db = makeGridDB(3, 1, {1, 1, 1, 1}, {0, 0, 0, 0});
  Net& n = addNet(db, 8, {Point(0, 0, 0), Point(2, 0, 0)});
  addLConnection(db, n, Point(0, 0, 0), Point(2, 0, 0));
  n.routedEdges.insert(RPoint(0, 0, 0, 1));
  Graph g;
  g.initialLA(db, 1, 0.0);
  convertQuietly(g, db);
  g.edgesOf(g.nets[0])[0].layer = 1;
  g.edgesOf(g.nets[0])[1].layer = 3;
  g.convertLAtoGR(db);
  const std::vector<RPoint> expected = {RPoint(0, 0, 0, 2), RPoint(0, 0, 1, 1), RPoint(1, 0, 1, 2), RPoint(1, 0, 2, 2),
                                        RPoint(1, 0, 3, 1), RPoint(2, 0, 2, 2), RPoint(2, 0, 1, 2), RPoint(2, 0, 0, 2)};
  const TwoPin& t = db.nets[0].twoPins[0];
  ASSERT_EQ(t.path.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(eqRPoint{}(t.path[i], expected[i]));
  }
  EXPECT_FALSE(t.needRoute);
  EXPECT_TRUE(db.nets[0].routedEdges.empty());
}

// A connection whose path does not start at p1: the layer change cannot be placed at a tile
// the connection reached, so it is reported, stacked on the step's own tile and rerouted.
TEST(PathConversion, BrokenChainIsReportedAndRerouted) {
  NetDB db = makeGridDB(4, 1, {1, 1}, {0, 0});
  Net& n = addNet(db, 4, {Point(0, 0, 0), Point(3, 0, 0)});
  addLConnection(db, n, Point(0, 0, 0), Point(2, 0, 0));
  TwoPin& broken = addLConnection(db, n, Point(0, 0, 0), Point(3, 0, 0));
  broken.path = {RPoint(2, 0, 0, 1)};
  Graph g;
  g.initialLA(db, 1, 0.0);
  convertQuietly(g, db);
  ASSERT_EQ(g.nets[0].edgeCount(), 3u);
  for (edge& e : g.edgesOf(g.nets[0])) e.layer = 1;
  testing::internal::CaptureStdout();
  g.convertLAtoGR(db);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "ERROR LA 2504 x=2 y=0 x2=0 y2=0 hori=-1\n");
  const TwoPin& t = db.nets[0].twoPins[1];
  EXPECT_TRUE(t.needRoute);
  ASSERT_EQ(t.path.size(), 3u);
  EXPECT_TRUE(eqRPoint{}(t.path[0], RPoint(2, 0, 0, 2)));
  EXPECT_TRUE(eqRPoint{}(t.path[2], RPoint(3, 0, 0, 2)));
  EXPECT_FALSE(db.nets[0].twoPins[0].needRoute);
}

}  // namespace
