// Layer assignment of one net: the tree programme against brute force over all layer
// choices, the greedy pass against a layer-by-layer search, and the layer a tree edge takes
// from the paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "layer/Graph.h"
#include "support/LaReferenceCost.h"
#include "support/LaTestProblem.h"

namespace {

void buildTrees(Graph& g, NetDB& db) {
  g.initialLA(db, 1, 0.0);
  testing::internal::CaptureStdout();
  g.convertGRtoLA(db);
  testing::internal::GetCapturedStdout();
}

// A grid edge that two connections of a net use takes the layer of the later connection.
TEST(TreeBuild, TheLaterConnectionsLayerWinsOnASharedEdge) {
  NetDB db = makeGridDB(3, 1, {2, 2, 2}, {0, 0, 0});
  Net& n = addNet(db, 1, {Point(0, 0, 0), Point(2, 0, 0)});
  n.twoPins.reserve(2);
  addLConnection(db, n, Point(0, 0, 0), Point(2, 0, 0));
  for (RPoint& u : addLConnection(db, n, Point(1, 0, 0), Point(2, 0, 0)).path) u.z = 2;
  Graph g;
  buildTrees(g, db);
  std::vector<int> layers;
  for (const edge& e : g.edgesOf(g.nets[0])) layers.push_back(e.layer);
  EXPECT_EQ(layers, (std::vector<int>{0, 2}));
}

// Random small trees on random grids: the programme must reach the minimum cost of all layer
// tuples and, among equal minima, pick the tuple that is first when edges are compared in
// index order (each node's children lexicographically, lowest layer first).
TEST(SingleNetDP, MatchesBruteForceIncludingTies) {
  std::mt19937 rng(2024);
  int solved = 0, tiesSeen = 0;
  for (int trial = 0; trial < 600; ++trial) {
    SCOPED_TRACE(trial);
    const int L = 2 + int(rng() % 3);
    std::vector<int> hTracks(L), vTracks(L);
    // A third of the trials make edge cost plus layer preference equal on every layer
    // (capacity 5, demand l: 5 * l / 5 + L - 1 - l), so only vias decide and ties abound.
    const bool flat = trial % 3 == 0;
    for (int l = 0; l < L; ++l) hTracks[l] = int(rng() % 4), vTracks[l] = int(rng() % 4);
    hTracks[rng() % L] = 2 + int(rng() % 3);
    vTracks[rng() % L] = 2 + int(rng() % 3);
    if (flat) hTracks.assign(L, 5), vTracks.assign(L, 5);
    NetDB db = makeGridDB(4, 4, hTracks, vTracks);
    std::vector<Point> pins;
    const int pinCount = 2 + int(rng() % 3);
    for (int p = 0; p < pinCount; ++p) pins.push_back(Point(int(rng() % 4), int(rng() % 4), int(rng() % L)));
    addNet(db, 1, pins);
    routeWithLShapes(db);
    Graph g;
    buildTrees(g, db);
    net& n = g.nets[0];
    const auto edges = g.edgesOf(n);
    if (edges.empty() || edges.size() > 7) continue;
    g.fastCostMode = rng() % 2 == 0;
    g.ofCostAlpha = 0.3 + 0.05 * double(rng() % 4);
    for (int& d : g.demandH.cells) d = int(rng() % 6);
    for (int& d : g.demandV.cells) d = int(rng() % 6);
    for (int& h : g.historyH.cells) h = int(rng() % 3);
    for (int& h : g.historyV.cells) h = int(rng() % 3);
    if (flat) {
      g.fastCostMode = true;
      for (std::size_t i = 0; i < g.demandH.cells.size(); ++i) g.demandH.cells[i] = int(i % L);
      for (std::size_t i = 0; i < g.demandV.cells.size(); ++i) g.demandV.cells[i] = int(i % L);
    }

    // Brute force in lexicographic order of the edge vector; the first strict minimum wins.
    std::vector<int> idx(edges.size(), 0), layers(edges.size()), best;
    std::int64_t bestCost = 0;
    int minima = 0;
    while (true) {
      for (std::size_t j = 0; j < edges.size(); ++j) layers[j] = g.usableLayers(edges[j].hori)[idx[j]];
      const std::int64_t cost = referenceCost(g, n, layers);
      if (best.empty() || cost < bestCost)
        best = layers, bestCost = cost, minima = 1;
      else if (cost == bestCost)
        ++minima;
      int j = int(edges.size()) - 1;
      while (j >= 0 && ++idx[j] == int(g.usableLayers(edges[j].hori).size())) idx[j--] = 0;
      if (j < 0) break;
    }
    if (minima > 1) ++tiesSeen;

    const LayerGrid<int> demandBefore = g.demandH;
    EXPECT_TRUE(g.singleNetLA(n, false));
    std::vector<int> got;
    for (const edge& e : edges) got.push_back(e.layer);
    EXPECT_EQ(got, best);
    int booked = 0;
    for (std::size_t i = 0; i < demandBefore.cells.size(); ++i) booked += g.demandH.cells[i] - demandBefore.cells[i];
    int hEdges = 0;
    for (const edge& e : edges) hEdges += e.hori;
    EXPECT_EQ(booked, hEdges);
    ++solved;
  }
  EXPECT_GT(solved, 300);
  EXPECT_GT(tiesSeen, 10);  // the tie rule was really exercised
}

// The greedy pass against a search over every layer of each edge in turn (edges in order,
// each booked before the next): the least span at the edge's lower node (its pins and its
// child edges as they stand on entry), plus layer preference and edge cost when asked; ties
// go to the lowest layer.
TEST(GreedyAssignment, MatchesALayerByLayerSearch) {
  std::mt19937 rng(3);
  int checked = 0;
  for (int trial = 0; trial < 400; ++trial) {
    SCOPED_TRACE(trial);
    const int L = 2 + int(rng() % 3);
    std::vector<int> hTracks(L), vTracks(L);
    for (int l = 0; l < L; ++l) hTracks[l] = 1 + int(rng() % 4), vTracks[l] = int(rng() % 4);
    vTracks[rng() % L] = 2;
    NetDB db = makeGridDB(4, 4, hTracks, vTracks);
    std::vector<Point> pins;
    for (int p = 0; p < 2 + int(rng() % 4); ++p) pins.push_back(Point(int(rng() % 4), int(rng() % 4), int(rng() % L)));
    addNet(db, 1, pins);
    routeWithLShapes(db);
    Graph g;
    buildTrees(g, db);
    net& n = g.nets[0];
    const auto nodes = g.nodesOf(n);
    const auto edges = g.edgesOf(n);
    const bool withCost = trial % 2 == 1;
    g.fastCostMode = trial % 4 < 2;
    for (int& d : g.demandH.cells) d = int(rng() % 6);
    for (int& d : g.demandV.cells) d = int(rng() % 6);
    for (edge& e : edges) e.layer = std::int16_t(g.usableLayers(e.hori)[rng() % g.usableLayers(e.hori).size()]);
    const std::vector<int> demandH = g.demandH.cells, demandV = g.demandV.cells;
    std::vector<int> want;
    for (std::size_t j = 0; j < edges.size(); ++j) {
      std::vector<int> present;
      if (nodes[j + 1].isPin) present = {nodes[j + 1].pinMinLayer, nodes[j + 1].pinMaxLayer};
      for (std::size_t c = j + 1; c < edges.size(); ++c)
        if (nodes[c + 1].parent == int(j + 1)) present.push_back(edges[c].layer);
      int best = -1;
      std::int64_t bestCost = 0;
      for (const int l : g.usableLayers(edges[j].hori)) {
        std::vector<int> with = present;
        with.push_back(l);
        std::int64_t cost =
            100 * (*std::max_element(with.begin(), with.end()) - *std::min_element(with.begin(), with.end()));
        if (withCost) cost += L - 1 - l + referenceEdgeCost(g, edges[j], l);
        if (best < 0 || cost < bestCost) best = l, bestCost = cost;
      }
      want.push_back(best);
      (edges[j].hori ? g.demandH : g.demandV).at(edges[j].x, edges[j].y, best) += 1;
    }
    g.demandH.cells = demandH, g.demandV.cells = demandV;
    g.greedy_singleNetLA(n, false, withCost);
    std::vector<int> got;
    for (const edge& e : edges) got.push_back(e.layer);
    EXPECT_EQ(got, want);
    checked += edges.size() > 1;
  }
  EXPECT_GT(checked, 200);
}

}  // namespace
