// The antenna-aware tree programme against an enumeration of every layer choice and break
// set on small trees, in every pruning mode.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

#include "layer/Graph.h"
#include "support/LaReferenceCost.h"
#include "support/LaTestProblem.h"

namespace {

void buildTrees(Graph& g, NetDB& db) {
  testing::internal::CaptureStdout();
  g.initialLA(db, 1, 0.0);
  g.convertGRtoLA(db);
  testing::internal::GetCapturedStdout();
}

// The antenna rule applied to one complete assignment: every edge either continues the wire
// of the subtree below it (allowed below that subtree's bound LS) or breaks it (climbing
// above the subtree's wire, not on layer 0, not above LS). A wire carrying pins may not be
// longer than the limit; below the root every node's wire must stay under its bound, and the
// root's own pin layer must be within the bound. Returns the number of breaks, -1 when the
// assignment is not admissible.
int admissibleBreaks(const Graph& g, const net& n, const std::vector<int>& layers, unsigned breakMask) {
  struct State {
    int AL = 0, pinCnt = 0, TW = 0, LS = 0, breaks = 0;
  };
  const auto nodes = g.nodesOf(n);
  const int L = g.layerNum;
  std::vector<State> st(nodes.size());
  for (int i = int(nodes.size()) - 1; i >= 0; --i) {
    State s;
    s.pinCnt = nodes[i].isPin ? 1 : 0;
    s.LS = L - 1;
    for (std::size_t c = 1; c < nodes.size(); ++c) {
      if (nodes[c].parent != i) continue;
      const State& t = st[c];
      const int l = layers[c - 1];
      if (breakMask >> (c - 1) & 1u) {
        if (!(t.TW < l && l <= t.LS && l != 0)) return -1;
        s.LS = std::min({s.LS, t.LS, l});
        s.breaks += t.breaks + 1;
      } else {
        if (!(l < t.LS)) return -1;
        s.AL += t.AL + 1;
        s.pinCnt += t.pinCnt;
        s.TW = std::max({s.TW, t.TW, l});
        s.LS = std::min(s.LS, t.LS);
        s.breaks += t.breaks;
      }
    }
    if (s.pinCnt > 0 && double(s.AL) > g.antennaMaxLen) return -1;
    if (i > 0 && !(s.TW < s.LS)) return -1;
    st[i] = s;
  }
  if (nodes[0].pinMinLayer > st[0].LS) return -1;
  return st[0].breaks;
}

struct BruteForce {
  bool feasible = false;
  std::int64_t cost = 0;
};

BruteForce solveByEnumeration(const Graph& g, const net& n) {
  const auto edges = g.edgesOf(n);
  const std::size_t E = edges.size();
  BruteForce best;
  std::vector<int> idx(E, 0), layers(E);
  while (true) {
    for (std::size_t j = 0; j < E; ++j) layers[j] = g.usableLayers(edges[j].hori)[idx[j]];
    const std::int64_t base = referenceCost(g, n, layers);
    for (unsigned mask = 0; mask < (1u << E); ++mask) {
      const int breaks = admissibleBreaks(g, n, layers, mask);
      if (breaks < 0) continue;
      const std::int64_t cost = base + std::int64_t(g.antennaBreakCost) * breaks;
      if (!best.feasible || cost < best.cost) best = {true, cost};
    }
    int j = int(E) - 1;
    while (j >= 0 && ++idx[j] == int(g.usableLayers(edges[j].hori).size())) idx[j--] = 0;
    if (j < 0) break;
  }
  return best;
}

// Some choice of breaks makes the layers admissible with exactly this many breaks.
bool admissibleWith(const Graph& g, const net& n, const std::vector<int>& layers, int breaks) {
  for (unsigned mask = 0; mask < (1u << layers.size()); ++mask)
    if (admissibleBreaks(g, n, layers, mask) == breaks) return true;
  return false;
}

// Replaces the model's nets by one random tree of `count` nodes in breadth-first order (up to
// four children per node, children consecutive), its edges on random grid edges of the 3 x 3
// grid; the root holds a pin, other nodes do at random. Gives far more branching than routed
// nets of the same size.
net& makeRandomTree(Graph& g, std::mt19937& rng, int count) {
  g.nodePool.clear();
  g.edgePool.clear();
  g.nets.assign(1, net{});
  std::vector<int> parent(std::size_t(count), -1);
  std::vector<int> children(std::size_t(count), 0);
  for (int i = 1; i < count; ++i) {
    int p = std::max(parent[std::size_t(i - 1)], 0);
    while (true) {
      if (p < i - 1 && rng() % 3 == 0) ++p;
      if (children[std::size_t(p)] < 4) break;
      ++p;
    }
    parent[std::size_t(i)] = p;
    children[std::size_t(p)] += 1;
  }
  for (int i = 0; i < count; ++i) {
    node nd;
    nd.parent = parent[std::size_t(i)];
    nd.childNum = std::uint8_t(children[std::size_t(i)]);
    nd.firstChild = 0;
    for (int c = 1; c < count; ++c)
      if (parent[std::size_t(c)] == i) {
        nd.firstChild = c;
        break;
      }
    nd.isPin = i == 0 || rng() % 2 == 0;
    const int a = int(rng() % g.layerNum), b = int(rng() % g.layerNum);
    nd.pinMinLayer = std::int16_t(std::min(a, b));
    nd.pinMaxLayer = std::int16_t(rng() % 3 == 0 ? std::max(a, b) : std::min(a, b));
    g.nodePool.push_back(nd);
    if (i > 0) {
      edge e;
      e.hori = rng() % 2 == 0;
      e.x = int(rng() % 2), e.y = int(rng() % 2);
      e.layer = 0;
      g.edgePool.push_back(e);
    }
  }
  net& n = g.nets[0];
  n.nodeBegin = 0, n.nodeCount = std::uint32_t(count), n.edgeBegin = 0;
  return n;
}

struct PruneSetting {
  const char* name;
  int mode, binSize;
  bool exact;
};

// Random small trees with random limits, prices and capacities: every pruning mode must find
// exactly what the enumeration finds where it is exact (no pruning, pairwise dominance, bins of
// length 1), and never something cheaper where it is not (wider bins); when nothing is
// admissible the call fails and leaves the net and the grids as they were.
TEST(AntennaDP, MatchesBruteForceInEveryPruningMode) {
  const PruneSetting kSettings[] = {{"unpruned", 0, 1, true},
                                    {"pairwise dominance", 1, 1, true},
                                    {"bins of one then pairwise", 2, 1, true},
                                    {"bins of one with dominance", 3, 1, true},
                                    {"bins of two then pairwise", 2, 2, false},
                                    {"bins of three with dominance", 3, 3, false},
                                    {"always binned, wide bins", 3, 50, false}};
  const double kLimits[] = {0.0, 1.0, 1.5, 2.0, 3.0, 100.0};
  const int kBreakCosts[] = {0, 7, 150};
  std::mt19937 rng(77);
  int solvable = 0, unsolvable = 0, withBreaks = 0;
  for (int trial = 0; trial < 1500; ++trial) {
    SCOPED_TRACE(trial);
    const int L = 2 + int(rng() % 3);
    std::vector<int> hTracks(L), vTracks(L);
    for (int l = 0; l < L; ++l) hTracks[l] = int(rng() % 4), vTracks[l] = int(rng() % 4);
    hTracks[rng() % L] = 3, vTracks[rng() % L] = 3;
    NetDB db = makeGridDB(4, 4, hTracks, vTracks);
    std::vector<Point> pins;
    const int pinCount = 2 + int(rng() % 4);
    for (int p = 0; p < pinCount; ++p) pins.push_back(Point(int(rng() % 4), int(rng() % 4), int(rng() % L)));
    addNet(db, 1, pins);
    routeWithLShapes(db);
    Graph g;
    buildTrees(g, db);
    // Odd trials: a routed net; even trials: a random tree with more branching.
    net& n = trial % 2 == 1 ? g.nets[0] : makeRandomTree(g, rng, 2 + int(rng() % (L == 4 ? 5 : 6)));
    const auto edges = g.edgesOf(n);
    if (edges.empty() || edges.size() > (L == 4 ? 5u : 6u)) continue;
    g.fastCostMode = rng() % 2 == 0;
    for (int& d : g.demandH.cells) d = int(rng() % 5);
    for (int& d : g.demandV.cells) d = int(rng() % 5);
    g.antennaMaxLen = kLimits[rng() % std::size(kLimits)];
    g.antennaBreakCost = kBreakCosts[rng() % std::size(kBreakCosts)];
    const BruteForce expected = solveByEnumeration(g, n);
    expected.feasible ? ++solvable : ++unsolvable;

    for (const PruneSetting& s : kSettings) {
      SCOPED_TRACE(s.name);
      g.aaPruneMode = s.mode;
      g.alBinSize = s.binSize;
      std::vector<int> before;
      for (const edge& e : edges) before.push_back(e.layer);
      const std::vector<int> demandH = g.demandH.cells, demandV = g.demandV.cells;
      testing::internal::CaptureStdout();
      const bool solved = g.singleNetLA(n, true);
      testing::internal::GetCapturedStdout();
      if (!solved) {
        if (s.exact) {
          EXPECT_FALSE(expected.feasible);
        }
        std::vector<int> after;
        for (const edge& e : edges) after.push_back(e.layer);
        EXPECT_EQ(after, before);
        EXPECT_EQ(g.demandH.cells, demandH);
        EXPECT_EQ(g.demandV.cells, demandV);
        continue;
      }
      ASSERT_TRUE(expected.feasible);
      std::vector<int> layers;
      for (const edge& e : edges) layers.push_back(e.layer);
      EXPECT_TRUE(admissibleWith(g, n, layers, n.antennaBreaks));
      // The booking happened after the choice; price the choice on the grids it saw.
      g.ripUp(n);
      const std::int64_t priced = referenceCost(g, n, layers) + std::int64_t(g.antennaBreakCost) * n.antennaBreaks;
      if (s.exact)
        EXPECT_EQ(priced, expected.cost);
      else
        EXPECT_GE(priced, expected.cost);
      if (s.mode == 1 && n.antennaBreaks > 0) ++withBreaks;
      EXPECT_EQ(g.demandH.cells, demandH);  // the booking was exactly one unit per edge
      EXPECT_EQ(g.demandV.cells, demandV);
    }
  }
  EXPECT_GT(solvable, 100);
  EXPECT_GT(unsolvable, 30);
  EXPECT_GT(withBreaks, 20);
}

// Each pruning keeps exactly the solutions that no other may replace, in list order; the bin
// pruning runs after `earlier` was binned, whose cells stay in the reused tables. Three layers,
// limit 4, bins of one. A node's mode-2 pruning bins only a list longer than 5 R = 30 entries
// (R = sqrt(3 * 3 * 4)); binning would list the kept ones in cell order.
TEST(AntennaPruning, KeepsExactlyTheSolutionsNoOtherMayReplace) {
  using Sol = std::array<long long, 5>;  // AL, pinCnt, TW, LS, cost
  const struct {
    const char* name;
    bool bins;
    std::vector<Sol> earlier, list, kept;
    bool mode2 = false;  // the list, its last entry repeated to 30, as a node's by mode 2
  } kCases[] = {
      {"equal cost, the earlier wire longer", false, {}, {{3, 1, 0, 2, 5}, {2, 1, 0, 2, 5}}, {{2, 1, 0, 2, 5}}},
      {"with pins before without", false, {}, {{2, 1, 0, 2, 5}, {2, 0, 0, 2, 5}}, {{2, 0, 0, 2, 5}}},
      {"without pins before with", false, {}, {{2, 0, 0, 2, 5}, {2, 1, 0, 2, 5}}, {{2, 0, 0, 2, 5}}},
      {"bins read only the cells of their own range", true, {{1, 1, 0, 2, 7}}, {{1, 1, 1, 2, 7}}, {{1, 1, 1, 2, 7}}},
      {"mode 2, 5 R: no bins", false, {}, {{1, 1, 0, 1, 9}, {3, 1, 0, 2, 5}}, {{1, 1, 0, 1, 9}, {3, 1, 0, 2, 5}}, true},
  };
  const auto solutions = [](const std::vector<Sol>& rows) {
    std::vector<AntennaSol> out;
    for (const Sol& r : rows) {
      AntennaSol s;
      s.AL = int(r[0]), s.pinCnt = int(r[1]), s.TW = int(r[2]), s.LS = int(r[3]), s.cost = r[4];
      out.push_back(s);
    }
    return out;
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    Graph g;
    g.layerNum = 3, g.antennaMaxLen = 4.0, g.alBinSize = 1;
    std::vector<AntennaSol> earlier = solutions(c.earlier), list = solutions(c.list);
    if (c.mode2) {
      list.resize(30, list.back());
      g.aaPruneMode = 2;
      g.aaSolSets.assign(3, {});
      g.aaSolSets[0] = list;
      g.AA_solPrunning(0);
      list = g.aaSolSets[0];
    } else if (c.bins) {
      g.AA_solBinPrunning(earlier, false);
      g.AA_solBinPrunning(list, false);
    } else {
      g.AA_solEasyPrunning(list);
    }
    std::vector<Sol> kept;
    for (const AntennaSol& s : list) kept.push_back({s.AL, s.pinCnt, s.TW, s.LS, s.cost});
    EXPECT_EQ(kept, c.kept);
  }
}

// The drivers with the antenna flag set, on designs with room on every layer ("room") and on
// designs whose vertical wires can only use layer 0, where a wire climbing from a pin cannot
// break ("no break"). Every net ends assigned on usable layers with its demand booked once.
// Negotiation solves each net longer than the limit by the antenna rule when it can (the
// layers admissible with the breaks it reports; on "no break" designs some cannot be, and
// fall back to the plain programme) and every other net by the plain one (no breaks); the
// net-by-net driver's second pass is plain whatever the flag, so no net keeps a break.
TEST(AntennaDrivers, LongNetsMeetTheLimitOrFallBackToThePlainProgramme) {
  const struct {
    const char* name;
    void (Graph::*driver)(int, int, int, bool);
    int pruneMode;
    bool room;
  } kRuns[] = {{"negotiation, pairwise pruning, room", &Graph::NVM, 1, true},
               {"negotiation, bins with dominance, room", &Graph::NVM, 3, true},
               {"negotiation, pairwise pruning, no break", &Graph::NVM, 1, false},
               {"net by net, pairwise pruning, room", &Graph::COLA, 1, true},
               {"net by net, bins then pairwise, no break", &Graph::COLA, 2, false}};
  const double kLimit = 2.0;
  std::mt19937 rng(5);
  for (const auto& r : kRuns) {
    SCOPED_TRACE(r.name);
    int admissible = 0, fellBack = 0, withBreaks = 0;
    for (int design = 0; design < 6; ++design) {
      SCOPED_TRACE(design);
      // More tracks than nets: nothing ever overflows.
      NetDB db = r.room ? makeGridDB(4, 4, {20, 20, 20}, {20, 20, 20}) : makeGridDB(4, 4, {20, 20, 20}, {20, 0, 0});
      for (int id = 0; id < 10; ++id) {
        std::vector<Point> pins;
        for (int p = 0; p < 2 + int(rng() % 3); ++p) pins.push_back(Point(int(rng() % 4), int(rng() % 4), 0));
        addNet(db, id, pins);
      }
      routeWithLShapes(db);
      Graph g;
      buildTrees(g, db);
      g.antennaMaxLen = kLimit;
      // Which long nets the antenna programme can solve at all: that depends on the tree and the
      // usable layers, not on the grids.
      std::vector<bool> solvable(g.nets.size(), false);
      {
        Graph probe = g;
        probe.aaPruneMode = 1;
        testing::internal::CaptureStdout();
        for (std::size_t i = 0; i < probe.nets.size(); ++i) {
          if (double(probe.nets[i].edgeCount()) <= kLimit) continue;
          solvable[i] = probe.singleNetLA(probe.nets[i], true);
          if (solvable[i]) probe.ripUp(probe.nets[i]);
        }
        testing::internal::GetCapturedStdout();
      }
      testing::internal::CaptureStdout();
      (g.*r.driver)(1, 40, r.pruneMode, true);
      testing::internal::GetCapturedStdout();
      LayerGrid<int> demandH = g.demandH, demandV = g.demandV;
      demandH.fill(0), demandV.fill(0);
      for (std::size_t i = 0; i < g.nets.size(); ++i) {
        const net& n = g.nets[i];
        std::vector<int> layers;
        for (const edge& e : g.edgesOf(n)) {
          const std::vector<int>& usable = g.usableLayers(e.hori);
          ASSERT_NE(std::find(usable.begin(), usable.end(), e.layer), usable.end()) << "net " << i;
          (e.hori ? demandH : demandV).at(e.x, e.y, e.layer) += 1;
          layers.push_back(e.layer);
        }
        const bool byAntennaRule = r.driver == &Graph::NVM && solvable[i];
        if (byAntennaRule) {
          EXPECT_TRUE(admissibleWith(g, n, layers, n.antennaBreaks)) << "net " << i;
          ++admissible;
        } else {
          EXPECT_EQ(n.antennaBreaks, 0) << "net " << i;
        }
        fellBack += double(n.edgeCount()) > kLimit && !solvable[i];
        withBreaks += n.antennaBreaks > 0;
      }
      EXPECT_EQ(g.demandH.cells, demandH.cells);
      EXPECT_EQ(g.demandV.cells, demandV.cells);
    }
    // Each kind of net was really met.
    if (r.driver == &Graph::NVM) {
      EXPECT_GT(withBreaks, 20);
      EXPECT_GT(admissible, 20);
    }
    if (!r.room) {
      EXPECT_GT(fellBack, 3);
    }
  }
}

}  // namespace
