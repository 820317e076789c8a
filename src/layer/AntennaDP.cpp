// Antenna-aware layer assignment of one net: the tree dynamic programme with the antenna
// state of every partial solution.
//
// A wire attached to pins may grow to at most antennaMaxLen unit edges. A "break" is an edge
// that climbs above every wire of the part of the subtree it leaves (and is not on layer 0):
// the wire below it is cut off, it costs antennaBreakCost, and it leaves a layer bound LS
// that every later edge of the same wire stays below. Solutions with different antenna states
// cannot replace each other, so each node keeps, per parent-edge layer, a list of
// non-dominated solutions instead of one; children are named by their list position.
//
// Steps: nodes from the last to the root (children have larger indices); leaves get one
// solution per layer; a node with one child extends each child solution by a continuing or a
// breaking edge; a node with two to four children takes the cross product over its children;
// every non-root node's lists are pruned (aaPruneMode: 1 pairwise dominance, 2 bins then
// pairwise once a list is long, 3 bins with a dominance pass once long, else none). The root
// takes the first cheapest solution at its lowest pin layer and the choice is walked down.
// The lists can grow with every antenna state; the cost per node is the product of its
// children's list lengths and usable layers.
//
// This path has its own lists (aaSolSets) so that the plain programme keeps its one-solution
// tables untouched.

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

#include "db/Report.h"
#include "layer/Graph.h"

namespace {

// The pin flag of the bins and the effective length of the pairwise test: a wire without
// pins may be longer than the limit, and every length past it behaves the same.
int effectiveLength(const AntennaSol& s, int limit) { return s.pinCnt == 0 ? std::min(s.AL, limit) : s.AL; }

// a may replace b: no longer, no dearer, no higher wire, no lower bound; a wire with pins
// never replaces one without.
bool dominates(const AntennaSol& a, const AntennaSol& b, int limit) {
  if (a.pinCnt > 0 && b.pinCnt == 0) return false;
  return effectiveLength(a, limit) <= effectiveLength(b, limit) && a.cost <= b.cost && a.TW <= b.TW && a.LS >= b.LS;
}

}  // namespace

int Graph::antennaLimit() const {
  if (!(antennaMaxLen > 0.0)) return 0;
  if (antennaMaxLen >= double(INT_MAX)) return INT_MAX;
  return int(antennaMaxLen);
}

void Graph::allocateAntennaBins() {
  const int A = antennaLimit();
  const int binSize = std::max(alBinSize, 1);
  aaBinCount = A / binSize + 1;
  const std::size_t cells = std::size_t(layerNum) * std::size_t(layerNum) * std::size_t(aaBinCount) * 2;
  if (cells > (std::size_t(1) << 31))
    fatalError("layer assignment", format("antenna bins for a length limit of %d and bin size %d need %zu cells; "
                                          "raise the bin size or lower the limit",
                                          A, binSize, cells));
  aaCostBin.assign(cells, INT64_MAX);
  aaSolBin.assign(cells, -1);
}

void Graph::AA_propagate(const net& n, int nodeIndex) {
  const node& nd = nodePool[n.nodeBegin + nodeIndex];
  const int L = layerNum;
  const int c = nd.child(0);
  const edge& e = edgePool[n.edgeBegin + c - 1];
  const int pinAdd = nd.isPin ? 1 : 0;
  for (const int l : usableLayers(e.hori)) {
    const std::int64_t ec = edgeCost(e, l) + (L - 1 - l);
    const int hi = nd.isPin ? std::max<int>(nd.pinMaxLayer, l) : l;
    const int lo = nd.isPin ? std::min<int>(nd.pinMinLayer, l) : l;
    const std::vector<AntennaSol>& childList = aaSolSets[std::size_t(c) * L + l];
    auto emit = [&](AntennaSol s, std::int64_t base, int j) {
      s.childLayer[0] = std::int8_t(l);
      s.childSol[0] = j;
      for (int p = 0; p < L && p <= s.LS; ++p) {
        s.layer = p;
        s.cost = base + 100 * std::int64_t(std::max(hi, p) - std::min(lo, p));
        aaSolSets[std::size_t(nodeIndex) * L + p].push_back(s);
      }
    };
    for (std::size_t j = 0; j < childList.size(); ++j) {
      const AntennaSol& t = childList[j];
      if (l < t.LS) {  // the edge continues the child's wire
        AntennaSol s;
        s.AL = t.AL + 1;
        s.pinCnt = t.pinCnt + pinAdd;
        s.TW = std::max(t.TW, l);
        s.LS = t.LS;
        s.breakCnt = t.breakCnt;
        if (double(s.AL) <= antennaMaxLen || s.pinCnt == 0) emit(s, t.cost + ec, int(j));
      }
      if (t.TW < l && l <= t.LS && l != 0) {  // the edge climbs above the wire: a break
        AntennaSol s;
        s.AL = 0;
        s.pinCnt = pinAdd;
        s.TW = 0;
        s.LS = std::min(t.LS, l);
        s.breakCnt = t.breakCnt + 1;
        emit(s, t.cost + ec + antennaBreakCost, int(j));
      }
    }
  }
}

void Graph::AA_mergeSubTree(const net& n, int nodeIndex) {
  const node& nd = nodePool[n.nodeBegin + nodeIndex];
  const int L = layerNum;
  const bool root = nodeIndex == 0;
  AntennaSol first;
  first.topLayer = nd.isPin ? nd.pinMaxLayer : -1;
  first.botLayer = nd.isPin ? nd.pinMinLayer : INT_MAX;
  first.AL = 0;
  first.pinCnt = nd.isPin ? 1 : 0;
  first.TW = 0;
  first.LS = L - 1;
  first.breakCnt = 0;
  first.cost = 0;
  aaPartials.assign(1, first);
  for (int k = 0; k < nd.childNum; ++k) {
    const int c = nd.child(k);
    const edge& e = edgePool[n.edgeBegin + c - 1];
    const std::vector<int>& usable = usableLayers(e.hori);
    std::int64_t ec[128];
    for (std::size_t u = 0; u < usable.size(); ++u) ec[u] = edgeCost(e, usable[u]) + (L - 1 - usable[u]);
    aaNextPartials.clear();
    for (const AntennaSol& s : aaPartials) {
      for (std::size_t u = 0; u < usable.size(); ++u) {
        const int l = usable[u];
        const std::vector<AntennaSol>& childList = aaSolSets[std::size_t(c) * L + l];
        for (std::size_t j = 0; j < childList.size(); ++j) {
          const AntennaSol& t = childList[j];
          AntennaSol q = s;
          q.topLayer = std::max(s.topLayer, l);
          q.botLayer = std::min(s.botLayer, l);
          q.childLayer[k] = std::int8_t(l);
          q.childSol[k] = int(j);
          if (l < t.LS) {  // continue: the child's wire joins the node's
            AntennaSol m = q;
            m.AL = s.AL + t.AL + 1;
            m.pinCnt = s.pinCnt + t.pinCnt;
            m.TW = std::max({s.TW, t.TW, l});
            m.LS = std::min(s.LS, t.LS);
            m.breakCnt = s.breakCnt + t.breakCnt;
            m.cost = s.cost + t.cost + ec[u];
            if ((m.pinCnt == 0 || double(m.AL) <= antennaMaxLen) && (root || m.TW < m.LS)) aaNextPartials.push_back(m);
          }
          if (t.TW < l && l <= t.LS && l != 0) {  // break: the child's wire stays below
            AntennaSol b = q;
            b.LS = std::min({s.LS, t.LS, l});
            b.breakCnt = s.breakCnt + t.breakCnt + 1;
            b.cost = s.cost + t.cost + antennaBreakCost + ec[u];
            if (root || s.TW < b.LS) aaNextPartials.push_back(b);
          }
        }
      }
    }
    aaPartials.swap(aaNextPartials);
  }
  for (const AntennaSol& s : aaPartials) {
    for (int p = 0; p < L && p <= s.LS; ++p) {
      AntennaSol out = s;
      out.layer = p;
      out.cost = s.cost + 100 * (std::int64_t(std::max(s.topLayer, p)) - std::min(s.botLayer, p));
      aaSolSets[std::size_t(nodeIndex) * L + p].push_back(out);
    }
  }
}

void Graph::AA_solEasyPrunning(std::vector<AntennaSol>& list) const {
  const int A = antennaLimit();
  const std::size_t count = list.size();
  for (std::size_t i = 0; i < count; ++i) {
    if (list[i].layer == -1) continue;
    for (std::size_t j = i + 1; j < count; ++j) {
      AntennaSol& a = list[i];
      AntennaSol& b = list[j];
      const int la = effectiveLength(a, A), lb = effectiveLength(b, A);
      if (la <= lb && dominates(a, b, A)) {
        b.layer = -1;
      } else if (la < lb) {
        continue;
      } else if (dominates(b, a, A)) {
        a.layer = -1;
        break;
      }
    }
  }
  std::erase_if(list, [](const AntennaSol& s) { return s.layer == -1; });
}

bool Graph::AA_solBinPrunning(std::vector<AntennaSol>& list, bool dominancePass) {
  if (list.empty()) return true;
  const int A = antennaLimit();
  const int binSize = std::max(alBinSize, 1);
  const int L = layerNum;
  if (aaBinCount != A / binSize + 1 || aaCostBin.size() != std::size_t(L) * L * std::size_t(aaBinCount) * 2)
    allocateAntennaBins();
  int twMin = INT_MAX, lsMax = INT_MIN, alMin = INT_MAX, alMax = INT_MIN;
  for (const AntennaSol& s : list) {
    twMin = std::min(twMin, s.TW), lsMax = std::max(lsMax, s.LS);
    alMin = std::min(alMin, s.AL), alMax = std::max(alMax, s.AL);
  }
  const int binLo = std::max(std::min(alMin, A), 0) / binSize;
  const int binHi = std::max(std::min(alMax, A), 0) / binSize;
  auto cell = [&](int tw, int ls, int bin, int flag) {
    return ((std::size_t(tw) * L + std::size_t(ls)) * std::size_t(aaBinCount) + std::size_t(bin)) * 2 +
           std::size_t(flag);
  };
  // Only the cells of the range in use are reset: the tables are large and reused.
  for (int tw = std::max(twMin, 0); tw < lsMax; ++tw)
    for (int ls = tw + 1; ls <= lsMax; ++ls)
      for (int bin = binLo; bin <= binHi; ++bin)
        for (int flag = 0; flag < 2; ++flag) {
          aaCostBin[cell(tw, ls, bin, flag)] = INT64_MAX;
          aaSolBin[cell(tw, ls, bin, flag)] = -1;
        }
  for (std::size_t j = 0; j < list.size(); ++j) {
    const AntennaSol& s = list[j];
    const int flag = s.pinCnt >= 1 ? 1 : 0;
    const int bin = (flag ? s.AL : std::min(s.AL, A)) / binSize;
    if (s.TW >= lsMax || s.LS < twMin) {
      std::printf("TW=%d LS=%d cost=%lld AL=%d\n", s.TW, s.LS, (long long)s.cost, bin);
      continue;
    }
    // A wire not below its bound, or a wire with pins past the limit, has no cell and would
    // never be collected.
    if (s.TW < 0 || s.TW >= s.LS || s.LS >= L || bin < binLo || bin > binHi) continue;
    const std::size_t at = cell(s.TW, s.LS, bin, flag);
    if (s.cost < aaCostBin[at]) aaCostBin[at] = s.cost, aaSolBin[at] = int(j);  // first wins ties
  }
  if (dominancePass) {
    // A cell loses to a neighbour that may replace it (lower wire, higher bound, shorter
    // wire, no pins) unless it is strictly cheaper; it then carries that neighbour's cost on.
    for (int flag = 0; flag < 2; ++flag)
      for (int tw = std::max(twMin, 0); tw < lsMax; ++tw)
        for (int ls = lsMax; ls > tw; --ls)
          for (int bin = binLo; bin <= binHi; ++bin) {
            const std::size_t at = cell(tw, ls, bin, flag);
            auto loseTo = [&](std::size_t other) {
              if (!(aaCostBin[at] < aaCostBin[other])) aaCostBin[at] = aaCostBin[other], aaSolBin[at] = -1;
            };
            if (tw > twMin) loseTo(cell(tw - 1, ls, bin, flag));
            if (ls < lsMax) loseTo(cell(tw, ls + 1, bin, flag));
            if (bin > binLo) loseTo(cell(tw, ls, bin - 1, flag));
            if (flag == 1) loseTo(cell(tw, ls, bin, 0));
          }
  }
  std::vector<AntennaSol> kept;
  for (int flag = 0; flag < 2; ++flag)
    for (int tw = std::max(twMin, 0); tw < lsMax; ++tw)
      for (int ls = lsMax; ls > tw; --ls)
        for (int bin = binLo; bin <= binHi; ++bin) {
          const std::size_t at = cell(tw, ls, bin, flag);
          const int j = aaSolBin[at];
          if (j >= 0 && list[std::size_t(j)].cost == aaCostBin[at]) kept.push_back(list[std::size_t(j)]);
        }
  list.swap(kept);
  return true;
}

bool Graph::AA_solPrunning(int nodeIndex) {
  const int L = layerNum;
  std::vector<AntennaSol>* lists = aaSolSets.data() + std::size_t(nodeIndex) * L;
  if (std::all_of(lists, lists + L, [](const std::vector<AntennaSol>& v) { return v.empty(); })) {
    std::printf("no solution\n");
    return false;
  }
  const std::int64_t area = std::int64_t(L) * L * antennaLimit();
  const std::int64_t R = std::int64_t(std::sqrt(double(area)));
  for (int p = 0; p < L; ++p) {
    std::vector<AntennaSol>& list = lists[p];
    const std::int64_t count = std::int64_t(list.size());
    switch (aaPruneMode) {
      case 1:
        AA_solEasyPrunning(list);
        break;
      case 2:
        if (count > 5 * R) AA_solBinPrunning(list, false);
        AA_solEasyPrunning(list);
        break;
      case 3:
        if (count > std::int64_t((8.0 / std::max(alBinSize, 1)) * std::sqrt(double(area))))
          AA_solBinPrunning(list, true);
        else
          AA_solEasyPrunning(list);
        break;
      default:
        break;  // unpruned
    }
  }
  return true;
}

bool Graph::antennaSingleNetLA(net& n) {
  if ((aaPruneMode == 2 || aaPruneMode == 3) && alBinSize < 1)
    fatalError("layer assignment", format("antenna pruning mode %d needs an antenna bin size of at least 1, got %d",
                                          aaPruneMode, alBinSize));
  const int count = int(n.nodeCount);
  if (count == 0) return true;
  const int L = layerNum;
  if (aaSolSets.size() < std::size_t(count) * L) aaSolSets.resize(std::size_t(count) * L);

  bool solved = true;
  for (int i = count - 1; i >= 0; --i) {
    const node& nd = nodePool[n.nodeBegin + i];
    if (nd.childNum == 0) {
      for (int p = 0; p < L; ++p) {
        AntennaSol s;
        s.layer = p;
        s.AL = 0;
        s.pinCnt = nd.isPin ? 1 : 0;
        s.TW = 0;
        s.LS = L - 1;
        s.breakCnt = 0;
        s.cost = nd.isPin ? 100 * std::int64_t(std::max<int>(nd.pinMaxLayer, p) - std::min<int>(nd.pinMinLayer, p)) : 0;
        aaSolSets[std::size_t(i) * L + p].push_back(s);
      }
    } else if (nd.childNum == 1) {
      AA_propagate(n, i);
    } else {
      AA_mergeSubTree(n, i);
    }
    if (i == 0) break;
    if (!AA_solPrunning(i)) {
      solved = false;
      break;
    }
  }

  const node& root = nodePool[n.nodeBegin];
  if (solved && aaSolSets[std::size_t(root.pinMinLayer)].empty()) {
    // Every root solution's breaks forbid the root's own pin layer.
    std::printf("no solution\n");
    solved = false;
  }
  if (solved) {
    aaChosen.assign(std::size_t(count), nullptr);
    const std::vector<AntennaSol>& rootList = aaSolSets[std::size_t(root.pinMinLayer)];
    const AntennaSol* best = &rootList[0];
    for (const AntennaSol& s : rootList)
      if (s.cost < best->cost) best = &s;  // strict: the first cheapest wins
    aaChosen[0] = best;
    n.antennaBreaks = best->breakCnt;
    const std::span<node> nodes = nodesOf(n);
    const std::span<edge> edges = edgesOf(n);
    for (int i = 0; i < count; ++i) {
      const AntennaSol& mine = *aaChosen[std::size_t(i)];
      for (int k = 0; k < nodes[std::size_t(i)].childNum; ++k) {
        const int c = nodes[std::size_t(i)].child(k);
        const int layer = mine.childLayer[k];
        aaChosen[std::size_t(c)] = &aaSolSets[std::size_t(c) * L + layer][std::size_t(mine.childSol[k])];
        edge& e = edges[std::size_t(c) - 1];
        e.layer = std::int16_t(layer);
        bookEdge(e);
      }
    }
  }
  // Lists keep their storage for the next net, except the rare huge ones: a few long nets
  // would otherwise pin their peak for the rest of the run.
  constexpr std::size_t kKeptCapacity = 4096;
  for (std::size_t i = 0; i < std::size_t(count) * L; ++i) {
    aaSolSets[i].clear();
    if (aaSolSets[i].capacity() > kKeptCapacity) aaSolSets[i].shrink_to_fit();
  }
  for (std::vector<AntennaSol>* v : {&aaPartials, &aaNextPartials}) {
    v->clear();
    if (v->capacity() > kKeptCapacity) v->shrink_to_fit();
  }
  return solved;
}
