// Antenna checks of assigned nets and the overlap sets of nets that share grid edges.
//
// checkAntennaRule cuts a net's tree into segments at the highest edge on each node's path to
// the root: a segment collects the wire and the pins below its top edge that are not cut off
// by a higher edge of their own, and its pins are charged when its wire is longer than
// antennaMaxLen. checkAntennaRule2 and checkAntennaRule3 measure wire per pin around each pin
// below the highest layer on its way to the root (a breadth-first and a lowest-layer-first
// region). calMinSP counts the subtree cuts a greedy bottom-up pass needs to meet the limit.
// Each is linear or near-linear in the net's nodes per pin examined.
//
// The per-node scratch (topEdge, wireLen, pinNum) lives in per-call arrays of the Graph
// rather than in every node of every net.

#include <algorithm>
#include <cstdio>
#include <queue>

#include "layer/Graph.h"

int Graph::checkAntennaRule(const net& n) {
  const std::span<const node> nodes = nodesOf(n);
  const std::span<const edge> edges = edgesOf(n);
  const std::size_t count = nodes.size();
  topEdge.assign(count, -1);
  wireLen.assign(count, 0);
  pinNum.assign(count, 0);
  // Highest edge on the way to the root; among equals the one nearest the node.
  for (std::size_t i = 1; i < count; ++i) {
    const int parent = nodes[i].parent;
    const int own = int(i) - 1;
    if (parent == 0)
      topEdge[i] = own;
    else
      topEdge[i] = edges[std::size_t(topEdge[std::size_t(parent)])].layer > edges[std::size_t(own)].layer
                       ? topEdge[std::size_t(parent)]
                       : own;
  }
  int charged = 0;
  for (std::size_t v = count; v-- > 0;) {
    wireLen[v] = 0;
    pinNum[v] = nodes[v].isPin ? 1 : 0;
    for (int k = 0; k < nodes[v].childNum; ++k) {
      const int c = nodes[v].child(k);
      if (topEdge[std::size_t(c)] == c - 1) continue;  // the child closes its own segment
      pinNum[v] += pinNum[std::size_t(c)];
      wireLen[v] += wireLen[std::size_t(c)] + 1;
    }
    const bool closes = v == 0 || topEdge[v] == int(v) - 1;
    if (closes && pinNum[v] > 0 && double(wireLen[v]) > antennaMaxLen) charged += pinNum[v];
  }
  return charged;
}

namespace {

// Highest edge layer on the path from node j to the root and the node whose parent edge it
// is (the one nearest j among equals); (-1, j) for the root.
std::pair<int, int> highestOnPathToRoot(std::span<const node> nodes, std::span<const edge> edges, int j) {
  int spLayer = -1, k = j;
  for (int v = j; v > 0; v = nodes[std::size_t(v)].parent) {
    const int l = edges[std::size_t(v) - 1].layer;
    if (l > spLayer) spLayer = l, k = v;
  }
  return {spLayer, k};
}

}  // namespace

int Graph::checkAntennaRule2(const net& n) const {
  if (std::int64_t(n.edgeCount()) <= antennaLimit()) return 0;
  const std::span<const node> nodes = nodesOf(n);
  const std::span<const edge> edges = edgesOf(n);
  int violations = 0;
  std::vector<int> region;
  for (std::size_t j = 1; j < nodes.size(); ++j) {
    if (!nodes[j].isPin) continue;
    const auto [spLayer, k] = highestOnPathToRoot(nodes, edges, int(j));
    // Everything hanging below k through edges under spLayer, breadth-first.
    region.assign(1, k);
    int pins = 1 + (nodes[std::size_t(k)].isPin ? 1 : 0);
    for (std::size_t r = 0; r < region.size(); ++r) {
      const node& nd = nodes[std::size_t(region[r])];
      for (int c = 0; c < nd.childNum; ++c) {
        const int child = nd.child(c);
        if (edges[std::size_t(child) - 1].layer >= spLayer) continue;
        region.push_back(child);
        if (nodes[std::size_t(child)].isPin) ++pins;
      }
    }
    const double ratio = double(region.size() - 1) / double(pins);
    if (ratio > antennaMaxLen) {
      ++violations;
      std::printf("spLayer=%d ALratio=%.3lf Amax=%.3lf\n", spLayer, ratio, antennaMaxLen);
    }
  }
  return violations;
}

int Graph::checkAntennaRule3(const net& n) const {
  if (std::int64_t(n.edgeCount()) <= antennaLimit()) return 0;
  const std::span<const node> nodes = nodesOf(n);
  const std::span<const edge> edges = edgesOf(n);
  int violations = 0;
  for (std::size_t j = 1; j < nodes.size(); ++j) {
    if (!nodes[j].isPin) continue;
    const int spLayer = highestOnPathToRoot(nodes, edges, int(j)).first;
    // Grow the region around the pin, lowest edge layer first, until its wire per pin
    // exceeds the limit with nothing left at or below the highest layer already used.
    std::priority_queue<pnode> heap;
    heap.push(pnode{int(j), -1, -1});
    int taken = 0, pins = 0, highest = -1;
    while (!heap.empty()) {
      const pnode top = heap.top();
      heap.pop();
      ++taken;
      if (nodes[std::size_t(top.idx)].isPin) ++pins;
      highest = std::max(highest, top.key);
      const node& nd = nodes[std::size_t(top.idx)];
      if (top.idx > 0 && nd.parent != top.prev) {
        const int l = edges[std::size_t(top.idx) - 1].layer;
        if (l < spLayer) heap.push(pnode{nd.parent, top.idx, l});
      }
      for (int c = 0; c < nd.childNum; ++c) {
        const int child = nd.child(c);
        if (child == top.prev) continue;
        const int l = edges[std::size_t(child) - 1].layer;
        if (l < spLayer) heap.push(pnode{child, top.idx, l});
      }
      const double ratio = double(taken - 1) / double(pins);
      if (ratio <= antennaMaxLen) continue;
      if (heap.empty() || heap.top().key > highest) {
        ++violations;
        break;
      }
    }
  }
  return violations;
}

void Graph::varifyAntenna() const {
  long long pinsViolating = 0;
  int netsViolating = 0;
  for (const net& n : nets) {
    const int v = checkAntennaRule3(n);
    if (v > 0) pinsViolating += v, ++netsViolating;
  }
  std::printf("vioPinNum=%lld vioNetNum=%d\n", pinsViolating, netsViolating);
}

std::int64_t Graph::calMinSP() {
  std::int64_t cuts = 0;
  for (const net& n : nets) {
    const std::span<const node> nodes = nodesOf(n);
    const std::size_t count = nodes.size();
    topEdge.assign(count, 0);  // 0: attached, -1: cut off from its parent
    wireLen.assign(count, 0);
    pinNum.assign(count, 0);
    for (std::size_t v = count; v-- > 0;) {
      const node& nd = nodes[v];
      pinNum[v] = nd.isPin ? 1 : 0;
      for (int k = 0; k < nd.childNum; ++k) {
        const std::size_t c = std::size_t(nd.child(k));
        pinNum[v] += pinNum[c];
        wireLen[v] += wireLen[c] + 1;
      }
      // Cut the longest attached child (the later one among equals) until the limit holds;
      // with every child cut the node's own wire is empty.
      while (pinNum[v] > 0 && double(wireLen[v]) > antennaMaxLen) {
        int longest = -1;
        for (int k = 0; k < nd.childNum; ++k) {
          const int c = nd.child(k);
          if (topEdge[std::size_t(c)] == -1) continue;
          if (longest < 0 || wireLen[std::size_t(c)] >= wireLen[std::size_t(longest)]) longest = c;
        }
        if (longest < 0) break;
        topEdge[std::size_t(longest)] = -1;
        pinNum[v] -= pinNum[std::size_t(longest)];
        wireLen[v] -= wireLen[std::size_t(longest)] + 1;
        ++cuts;
      }
    }
  }
  return cuts;
}

void Graph::buildOverlapGraph() {
  std::printf("build Overlap Graph\n");
  // Nets per grid edge in one flat table (horizontal edges first, then vertical), filled in
  // net order so that every list is increasing.
  const std::size_t hCells = std::size_t(std::max(xGrid - 1, 0)) * std::size_t(std::max(yGrid, 0));
  const std::size_t vCells = std::size_t(std::max(xGrid, 0)) * std::size_t(std::max(yGrid - 1, 0));
  auto slot = [&](const edge& e) {
    return e.hori ? std::size_t(e.x) * std::size_t(yGrid) + std::size_t(e.y)
                  : hCells + std::size_t(e.x) * std::size_t(yGrid - 1) + std::size_t(e.y);
  };
  std::vector<std::size_t> start(hCells + vCells + 1, 0);
  for (const net& n : nets)
    for (const edge& e : edgesOf(n)) ++start[slot(e) + 1];
  for (std::size_t i = 1; i < start.size(); ++i) start[i] += start[i - 1];
  std::vector<int> members(start.back());
  std::vector<std::size_t> fill(start.begin(), start.end() - 1);
  for (std::size_t i = 0; i < nets.size(); ++i)
    for (const edge& e : edgesOf(nets[i])) members[fill[slot(e)]++] = int(i);
  fill = {};

  // Every pair sharing a grid edge, each partner once per net: a stamp per partner net
  // replaces the set lookup, so no list ever holds a repeat.
  overlapNets.assign(nets.size(), {});
  std::vector<int> seenBy(nets.size(), -1);
  for (std::size_t a = 0; a < nets.size(); ++a) {
    for (const edge& e : edgesOf(nets[a])) {
      const std::size_t s = slot(e);
      for (std::size_t m = start[s]; m < start[s + 1]; ++m) {
        const int b = members[m];
        if (b == int(a) || seenBy[std::size_t(b)] == int(a)) continue;
        seenBy[std::size_t(b)] = int(a);
        overlapNets[a].push_back(b);
      }
    }
  }
  std::size_t maxSet = 0;
  for (std::vector<int>& set : overlapNets) {
    std::sort(set.begin(), set.end());
    maxSet = std::max(maxSet, set.size());
  }
  std::printf("maxSet=%zu\n", maxSet);
}
