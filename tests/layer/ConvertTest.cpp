// Conversions between paths and trees: the tree against a breadth-first growth written here,
// pins on several layers of one tile, and a connection that lost a unit to the tree.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "Parser.h"
#include "db/parameterSet.h"
#include "layer/Graph.h"
#include "support/LaTestProblem.h"
#include "support/ResultChecker.h"
#include "support/RunProcess.h"

namespace {

void buildTrees(Graph& g, const NetDB& db) {
  testing::internal::CaptureStdout();
  g.initialLA(db, 1, 0.0);
  g.convertGRtoLA(db);
  testing::internal::GetCapturedStdout();
}

// A node or edge of a tree as the rule describes it, for comparison.
using NodeView = std::tuple<int, int, int, bool, int, int>;  // x, y, parent, isPin, pin min, pin max (-1 if no pin)
using EdgeView = std::tuple<int, int, bool, int>;            // x, y, hori, layer

// The tree of one net: from the first pin's tile, each node in turn tries its neighbours up,
// right, down, left; a neighbour joins as the next node when the net's paths use the unit
// between them and it is not in the tree yet. A unit's layer is that of the last path step on
// it. Returns the number of distinct units the paths use.
std::size_t expectedTree(const NetDB& db, const Net& n, std::vector<NodeView>& nodes, std::vector<EdgeView>& edges) {
  std::map<std::tuple<int, int, int>, int> unitLayer;  // (hori, x, y)
  for (const TwoPin& t : n.twoPins)
    for (const RPoint& u : t.path) unitLayer[{u.hori, u.x, u.y}] = u.z;
  std::map<std::pair<int, int>, std::pair<int, int>> pinSpan;  // tile -> lowest, highest pin layer
  for (const Point& p : n.pins3D) {
    auto [it, fresh] = pinSpan.try_emplace({p.x, p.y}, p.z, p.z);
    it->second = {std::min(it->second.first, p.z), std::max(it->second.second, p.z)};
  }
  auto view = [&](int x, int y, int parent) {
    const auto pin = pinSpan.find({x, y});
    return pin == pinSpan.end() ? NodeView(x, y, parent, false, -1, -1)
                                : NodeView(x, y, parent, true, pin->second.first, pin->second.second);
  };
  nodes = {view(n.pins3D[0].x, n.pins3D[0].y, -1)};
  edges.clear();
  const int kDx[4] = {0, 1, 0, -1}, kDy[4] = {1, 0, -1, 0};
  for (std::size_t k = 0; k < nodes.size(); ++k)
    for (int dir = 0; dir < 4; ++dir) {
      const int x = std::get<0>(nodes[k]), y = std::get<1>(nodes[k]);
      const int nx = x + kDx[dir], ny = y + kDy[dir];
      if (nx < 0 || ny < 0 || nx >= db.gridX || ny >= db.gridY) continue;
      const bool hori = kDy[dir] == 0;
      const auto unit = unitLayer.find({hori ? 1 : 0, std::min(x, nx), std::min(y, ny)});
      if (unit == unitLayer.end()) continue;
      if (std::any_of(nodes.begin(), nodes.end(),
                      [&](const NodeView& v) { return std::get<0>(v) == nx && std::get<1>(v) == ny; }))
        continue;
      nodes.push_back(view(nx, ny, int(k)));
      edges.emplace_back(std::min(x, nx), std::min(y, ny), hori, unit->second);
    }
  return unitLayer.size();
}

// Random nets, some with extra connections that close loops or lie apart: every tree, its
// edge layers and the 2D usage must be those of the growth above.
TEST(TreeBuild, GrowsBreadthFirstUpRightDownLeftFromTheFirstPin) {
  std::mt19937 rng(41);
  int unitsLeftOut = 0;  // nets with a unit that closes a loop or lies apart from the first pin
  for (int trial = 0; trial < 40; ++trial) {
    SCOPED_TRACE(trial);
    NetDB db = makeGridDB(5, 5, {2, 2, 2}, {2, 2, 2});
    for (int id = 0; id < 8; ++id) {
      std::vector<Point> pins;
      for (int p = 0; p < 2 + int(rng() % 5); ++p)
        pins.push_back(Point(int(rng() % 5), int(rng() % 5), int(rng() % 3)));
      addNet(db, id, pins);
    }
    routeWithLShapes(db);
    // Extra connections: the other L of a routed one (closing a loop) or between random tiles
    // (apart from the rest at times).
    for (Net& n : db.nets) {
      if (n.twoPins.empty()) continue;
      const TwoPin& t = n.twoPins[rng() % n.twoPins.size()];
      const Point p1 = t.p1, p2 = t.p2;
      if (rng() % 2 == 0)
        addLConnection(db, n, p2, p1);
      else
        addLConnection(db, n, Point(int(rng() % 5), int(rng() % 5), 0), Point(int(rng() % 5), int(rng() % 5), 0));
    }
    for (Net& n : db.nets)
      for (TwoPin& t : n.twoPins)
        for (RPoint& u : t.path) u.z = int(rng() % 3);
    Graph g;
    buildTrees(g, db);
    std::map<std::tuple<bool, int, int>, int> usage;
    for (std::size_t i = 0; i < db.nets.size(); ++i) {
      std::vector<NodeView> wantNodes, gotNodes;
      std::vector<EdgeView> wantEdges, gotEdges;
      unitsLeftOut += expectedTree(db, db.nets[i], wantNodes, wantEdges) > wantEdges.size();
      for (const node& nd : g.nodesOf(g.nets[i]))
        gotNodes.emplace_back(nd.x, nd.y, nd.parent, nd.isPin, nd.isPin ? nd.pinMinLayer : -1,
                              nd.isPin ? nd.pinMaxLayer : -1);
      for (const edge& e : g.edgesOf(g.nets[i])) gotEdges.emplace_back(e.x, e.y, e.hori, e.layer);
      EXPECT_EQ(gotNodes, wantNodes) << "net " << i;
      EXPECT_EQ(gotEdges, wantEdges) << "net " << i;
      for (const EdgeView& e : wantEdges) usage[{std::get<2>(e), std::get<0>(e), std::get<1>(e)}] += 1;
    }
    for (int x = 0; x < 5; ++x)
      for (int y = 0; y < 5; ++y) {
        if (x < 4) {
          EXPECT_EQ(g.usage2DH[x][y], (usage[{true, x, y}])) << x << "," << y;
        }
        if (y < 4) {
          EXPECT_EQ(g.usage2DV[x][y], (usage[{false, x, y}])) << x << "," << y;
        }
      }
  }
  EXPECT_GT(unitsLeftOut, 10);
}

// Pins of one net on several layers of one tile: the tile's node spans all of them, and every
// driver's written result reaches each pin on its own layer.
TEST(TreeBuild, PinsOnSeveralLayersOfOneTileSpanThoseLayers) {
  // Net 1 has pins on layers 3 and 1 of its first tile, net 2 on layers 1, 3 and 2 of its last,
  // net 3 on layers 2 and 1 of a middle tile, between two pins on layer 1.
  const std::string problemText =
      "grid 4 3 3\nvertical capacity 0 4 4\nhorizontal capacity 4 0 4\nminimum width 1 1 1\n"
      "minimum spacing 1 1 1\nvia spacing 1 1 1\n0 0 10 10\n\nnum net 3\n"
      "n1 1 3 1\n5 5 3\n5 5 1\n35 5 1\n"
      "n2 2 4 1\n5 25 1\n35 25 1\n35 25 3\n35 25 2\n"
      "n3 3 4 1\n5 15 1\n15 15 2\n15 15 1\n35 15 1\n\n0\n";
  const struct {
    int net;
    std::pair<int, int> tile;
    int pinMin, pinMax;
  } kSpans[] = {{0, {0, 0}, 0, 2}, {1, {3, 2}, 0, 2}, {2, {1, 1}, 0, 1}};
  TempDir dir;
  const std::string problemPath = dir.write("p.gr", problemText);
  GrProblem problem;
  std::string error;
  ASSERT_TRUE(readGrProblem(problemPath, problem, error)) << error;
  for (const int algo : {1, 2, 3}) {
    SCOPED_TRACE(algo);
    NetDB db;
    parameterSet params;
    testing::internal::CaptureStdout();
    Input_ISPD(problemPath.c_str(), db, params);
    testing::internal::GetCapturedStdout();
    routeWithLShapes(db);
    Graph g;
    buildTrees(g, db);
    for (const auto& s : kSpans) {
      for (const node& nd : g.nodesOf(g.nets[std::size_t(s.net)])) {
        if (std::pair(nd.x, nd.y) != s.tile) continue;
        EXPECT_TRUE(nd.isPin);
        EXPECT_EQ((std::pair<int, int>(nd.pinMinLayer, nd.pinMaxLayer)), std::pair(s.pinMin, s.pinMax))
            << "net " << s.net;
      }
    }
    testing::internal::CaptureStdout();
    if (algo == 1) g.fastLA(0, 0, 0, false);
    if (algo == 2) g.COLA(0, 0, 0, false);
    if (algo == 3) g.NVM(0, 0, 0, false);
    testing::internal::GetCapturedStdout();
    const std::string result = dir.file("r.out");
    ASSERT_TRUE(g.output3Dresult(result.c_str()));
    const CheckReport check = checkResultFile(problem, result);
    EXPECT_TRUE(check.legal()) << check.summary();
  }
}

using Step = std::array<int, 4>;  // x, y, z, hori
std::vector<Step> steps(const std::vector<RPoint>& path) {
  std::vector<Step> out;
  for (const RPoint& u : path) out.push_back({u.x, u.y, u.z, u.hori});
  return out;
}

// Connection A runs right, up, up from (0,0) to (1,2); B runs up, right from (0,0) to (1,1).
// Growing from (0,0) reaches (1,1) through B first, so A's unit (1,0)-(1,1) would close a loop
// and stays out of the tree: A comes back without it, flagged for rerouting, and with no via
// stack where the lost unit was; B comes back whole and unflagged.
TEST(Conversion, ConnectionThatLostAUnitIsSentToRerouting) {
  NetDB db = makeGridDB(2, 3, {0, 2, 0}, {0, 0, 2});  // horizontal wires on layer 1, vertical on 2
  Net& n = addNet(db, 5, {Point(0, 0, 0), Point(1, 2, 0), Point(1, 1, 0)});
  n.twoPins.reserve(2);
  addLConnection(db, n, Point(0, 0, 0), Point(1, 2, 0));
  addLConnection(db, n, Point(0, 0, 0), Point(1, 1, 0)).path = {RPoint(0, 0, 0, 0), RPoint(0, 1, 0, 1)};
  Graph g;
  buildTrees(g, db);
  ASSERT_EQ(g.nets[0].edgeCount(), 4u);
  for (edge& e : g.edgesOf(g.nets[0])) e.layer = e.hori ? 1 : 2;
  g.convertLAtoGR(db);
  const TwoPin &a = db.nets[0].twoPins[0], &b = db.nets[0].twoPins[1];
  EXPECT_TRUE(a.needRoute);
  EXPECT_FALSE(b.needRoute);
  EXPECT_EQ(steps(a.path), (std::vector<Step>{{0, 0, 0, 2}, {0, 0, 1, 1}, {1, 1, 2, 0}, {1, 2, 1, 2}, {1, 2, 0, 2}}));
  EXPECT_EQ(steps(b.path),
            (std::vector<Step>{{0, 0, 0, 2}, {0, 0, 1, 2}, {0, 0, 2, 0}, {0, 1, 1, 2}, {0, 1, 1, 1}, {1, 1, 0, 2}}));
}

}  // namespace
