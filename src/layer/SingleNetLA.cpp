// Layer assignment of one net: the exact tree dynamic programme, the greedy pass, and the
// per-net accounting (overflow test, rip-up, via count).
//
// The dynamic programme visits the nodes from the last to the root (children always have
// larger indices). For every node and every layer p of its parent edge it keeps the cheapest
// solution of its subtree: the child-edge layers, enumerated in lexicographic order (first
// child slowest, layers increasing), each priced by the child's own best solution at that
// layer, the edge cost and the layer preference, plus 100 per layer spanned at the node.
// Keeping only the first strictly cheapest entry per layer is exactly what pruning a full
// list would keep, so the lists are never materialised. A node with k children costs
// u^k x L steps (u usable layers per direction, k <= 4).
//
// Costs are 64-bit: a fast-mode price of a million per overflowed unit and pitch would wrap
// a 32-bit sum after a few thousand units and then favour the most overloaded layers.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "layer/Graph.h"

std::int64_t Graph::edgeCost(const edge& e, int l) const {
  const int d = demandOf(e, l);
  const int c = capOf(e, l);
  const int w = layerPitch[l];
  if (fastCostMode) {
    if (d < c) return (5 * d) / c;
    return std::int64_t(d + 1 - c) * 1000000 * w;
  }
  // Pitch-weighted in 64 bits: a large pitch times a few tracks passes 32 bits.
  std::int64_t o = d - c;
  if (o > 0) o = o * w;
  const int h = e.hori ? historyH.at(e.x, e.y, l) : historyV.at(e.x, e.y, l);
  return std::int64_t(((h + 1) * (h + 1) + 1) * overflowFactor(o) + 0.5);
}

double Graph::overflowFactor(std::int64_t o) const {
  // The same expression for every o, so a remembered value is the one it would compute now.
  const auto compute = [&] { return 20 / (std::exp(-o * ofCostAlpha) + 1) + 1; };
  if (o < -kFactorRange || o > kFactorRange) return compute();
  if (factorAlpha != ofCostAlpha || factorCache.empty()) {
    factorCache.assign(2 * kFactorRange + 1, std::numeric_limits<double>::quiet_NaN());
    factorAlpha = ofCostAlpha;
  }
  double& v = factorCache[std::size_t(o + kFactorRange)];
  if (std::isnan(v)) v = compute();
  return v;
}

void Graph::bookEdge(const edge& e) {
  const int d = ++demandOf(e, e.layer);
  if (d > capOf(e, e.layer)) of3DOf(e) += 1;
}

void Graph::initialLeaf(const net& n, int nodeIndex) {
  const node& nd = nodePool[n.nodeBegin + nodeIndex];
  sol* table = solSets.data() + std::size_t(nodeIndex) * layerNum;
  for (int p = 0; p < layerNum; ++p) {
    table[p] = sol{};
    if (nd.isPin) table[p].cost = 100 * (std::max<int>(nd.pinMaxLayer, p) - std::min<int>(nd.pinMinLayer, p));
  }
}

// Best solution per parent layer of a node with one to four children.
void Graph::fillNode(const net& n, int nodeIndex) {
  const node& nd = nodePool[n.nodeBegin + nodeIndex];
  const int k = nd.childNum;
  const int L = layerNum;
  // Per child and usable layer: the layer, and the child's best cost there + edge cost +
  // layer preference.
  std::int64_t term[4][128];
  std::int8_t layerOf[4][128];
  int usableCount[4] = {1, 1, 1, 1};
  for (int c = 0; c < k; ++c) {
    const int ci = nd.child(c);
    const edge& e = edgePool[n.edgeBegin + ci - 1];
    const std::vector<int>& usable = usableLayers(e.hori);
    usableCount[c] = int(usable.size());
    const sol* childTable = solSets.data() + std::size_t(ci) * L;
    for (std::size_t j = 0; j < usable.size(); ++j) {
      const int l = usable[j];
      layerOf[c][j] = std::int8_t(l);
      term[c][j] = childTable[l].cost + edgeCost(e, l) + (L - 1 - l);
    }
  }
  sol* table = solSets.data() + std::size_t(nodeIndex) * L;
  // No tuple costs this much, so the first tuple fills every layer, as an "unfilled" flag would.
  for (int p = 0; p < L; ++p) table[p].cost = std::numeric_limits<std::int64_t>::max();
  const int pinTop = nd.isPin ? nd.pinMaxLayer : -1;
  const int pinBot = nd.isPin ? nd.pinMinLayer : INT_MAX;
  int idx[4] = {0, 0, 0, 0};
  while (true) {
    int top = pinTop, bot = pinBot;
    std::int64_t sum = 0;
    std::int8_t layers[4] = {0, 0, 0, 0};
    for (int c = 0; c < k; ++c) {
      const int l = layerOf[c][idx[c]];
      layers[c] = std::int8_t(l);
      top = std::max(top, l);
      bot = std::min(bot, l);
      sum += term[c][idx[c]];
    }
    for (int p = 0; p < L; ++p) {
      const std::int64_t cost = sum + 100 * std::int64_t(std::max(top, p) - std::min(bot, p));
      if (cost < table[p].cost) {  // strict: the first tuple wins ties
        table[p].cost = cost;
        std::memcpy(table[p].childLayer, layers, sizeof layers);
      }
    }
    // Next tuple, last child fastest.
    int c = k - 1;
    while (c >= 0 && ++idx[c] == usableCount[c]) idx[c--] = 0;
    if (c < 0) break;
  }
}

void Graph::topDownAssignment(net& n) {
  const std::span<node> nodes = nodesOf(n);
  const std::span<edge> edges = edgesOf(n);
  const int L = layerNum;
  chosen[0] = solSets[std::size_t(nodes[0].pinMinLayer)];
  n.antennaBreaks = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const node& nd = nodes[i];
    for (int c = 0; c < nd.childNum; ++c) {
      const int ci = nd.child(c);
      const int layer = chosen[i].childLayer[c];
      chosen[ci] = solSets[std::size_t(ci) * L + layer];
      edge& e = edges[ci - 1];
      e.layer = std::int16_t(layer);
      bookEdge(e);
    }
  }
}

// The antenna-aware programme has its own lists (AntennaDP.cpp); this one keeps one
// solution per node and layer.
bool Graph::singleNetLA(net& n, bool antennaAware) {
  if (antennaAware) return antennaSingleNetLA(n);
  const int count = int(n.nodeCount);
  if (count == 0) return true;
  for (int i = count - 1; i >= 0; --i) {
    if (nodePool[n.nodeBegin + i].childNum == 0)
      initialLeaf(n, i);
    else
      fillNode(n, i);
  }
  topDownAssignment(n);
  return true;
}

void Graph::greedy_singleNetLA(net& n, bool /*antennaAware*/, bool withEdgeCost) {
  const std::span<node> nodes = nodesOf(n);
  const std::span<edge> edges = edgesOf(n);
  const std::int64_t f = withEdgeCost ? 1 : 0;
  for (std::size_t j = 0; j < edges.size(); ++j) {
    edge& e = edges[j];
    const node& lower = nodes[j + 1];
    // Layers present at the lower node: its pins and its child edges as they stand on entry.
    int top = lower.isPin ? lower.pinMaxLayer : -1;
    int bot = lower.isPin ? lower.pinMinLayer : INT_MAX;
    for (int c = 0; c < lower.childNum; ++c) {
      const int l = edges[lower.child(c) - 1].layer;
      top = std::max(top, l);
      bot = std::min(bot, l);
    }
    int bestLayer = -1;
    std::int64_t bestCost = 0;
    for (const int l : usableLayers(e.hori)) {
      const std::int64_t cost =
          100 * (std::int64_t(std::max(top, l)) - std::min(bot, l)) + f * (layerNum - 1 - l + edgeCost(e, l));
      if (bestLayer < 0 || cost < bestCost) bestLayer = l, bestCost = cost;  // ties: lowest layer
    }
    e.layer = std::int16_t(bestLayer);
    bookEdge(e);
  }
}

bool Graph::hasOverflow(const net& n) const {
  for (const edge& e : edgesOf(n)) {
    const int o = demandOf(e, e.layer) - capOf(e, e.layer);
    const int ceilShare = e.hori ? ofShareCeilH[e.x][e.y] : ofShareCeilV[e.x][e.y];
    if (o > ceilShare) return true;
    // The share test first: it fails for almost every edge and reads one grid, not three.
    const int floorShare = e.hori ? ofShareFloorH[e.x][e.y] : ofShareFloorV[e.x][e.y];
    if (o <= floorShare) continue;
    const int of3D = e.hori ? of3DH[e.x][e.y] : of3DV[e.x][e.y];
    const int over2D = e.hori ? usage2DH[e.x][e.y] - capH2D : usage2DV[e.x][e.y] - capV2D;
    if (of3D > over2D) return true;
  }
  return false;
}

void Graph::ripUp(net& n) {
  for (edge& e : edgesOf(n)) {
    int& d = demandOf(e, e.layer);
    if (d > capOf(e, e.layer)) of3DOf(e) -= 1;
    d -= 1;
    e.layer = -1;
  }
}

std::int64_t Graph::getSingleNetlVia(const net& n) const {
  const std::span<const node> nodes = nodesOf(n);
  const std::span<const edge> edges = edgesOf(n);
  std::int64_t vias = 0;
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    const node& nd = nodes[i];
    int top = -1, bot = INT_MAX;
    if (nd.isPin) bot = nd.pinMinLayer, top = std::max<int>(nd.pinMaxLayer, -1);
    auto widen = [&](int l) { top = std::max(top, l), bot = std::min(bot, l); };
    if (i > 0) widen(edges[i - 1].layer);
    for (int c = 0; c < nd.childNum; ++c) widen(edges[nd.child(c) - 1].layer);
    vias += std::int64_t(top) - bot;
  }
  return vias;
}
