#pragma once
// The layer-assignment model: the per-layer grid (capacity, demand, history per grid edge and
// layer), the two-dimensional usage and overflow bookkeeping, and every net as a tree whose
// unit edges receive a layer.
//
// Trees are stored compactly: all nets' nodes, edges and pins live in three arenas owned by
// the Graph, and a net holds its ranges. Nodes are in breadth-first order, so the children
// of a node are consecutive indices (a range, not a list). The dynamic programme's chosen
// solutions and the antenna scratch are per-call scratch of the Graph, not node fields.

#include <cstdint>
#include <span>
#include <vector>

#include "db/EdgeGrid.h"
#include "db/NetNames.h"

struct NetDB;

// Per-(edge, layer) values, [x][y][layer]; the layer is innermost so that one grid edge's
// layers are contiguous: (x, y, l) is at (x * yNum + y) * layers + l.
template <class T>
struct LayerGrid {
  int xNum = 0, yNum = 0, layers = 0;
  std::vector<T> cells;
  void allocate(int xs, int ys, int ls) {
    xNum = xs > 0 ? xs : 0, yNum = ys > 0 ? ys : 0, layers = ls;
    cells.assign(std::size_t(xNum) * std::size_t(yNum) * std::size_t(layers), T{});
  }
  void fill(T v) { cells.assign(cells.size(), v); }
  T& at(int x, int y, int l) { return cells[(std::size_t(x) * yNum + y) * layers + l]; }
  const T& at(int x, int y, int l) const { return cells[(std::size_t(x) * yNum + y) * layers + l]; }
};

// A pin of a net: tile and 0-based layer.
struct pin {
  int x = 0, y = 0;
  int layer = 0;
};

// One unit edge of a net's tree. (x, y) is the lower or left tile.
struct edge {
  int x = 0, y = 0;
  std::int16_t layer = 0;  // assigned layer; before assignment the routed unit's z; -1 after ripUp
  bool hori = false;       // true: (x, y)-(x+1, y); false: (x, y)-(x, y+1)
};

// One tile of a net's tree. Node i > 0 hangs from its parent by edge i - 1 of the net.
struct node {
  int x = 0, y = 0;
  int parent = -1;               // net-local node index, -1 at the root
  int firstChild = 0;            // children are firstChild .. firstChild + childNum - 1
  std::uint8_t childNum = 0;     // 0 to 4
  bool isPin = false;            // a pin of the net lies in the tile
  std::int16_t pinMaxLayer = 0;  // highest and lowest pin layer; meaningful when isPin
  std::int16_t pinMinLayer = 0;
  int child(int k) const { return firstChild + k; }
};

// One net of the model. Its nodes, edges and pins are ranges of the Graph's arenas.
struct net {
  int id = 0;             // the database net's id; its name is Graph::netNames()[net index]
  int antennaBreaks = 0;  // breaks used by the antenna-aware programme
  double score = 0.0;     // sort key of sort_net: pins per tree edge
  std::uint32_t pinBegin = 0, pinCount = 0;
  std::uint32_t nodeBegin = 0, nodeCount = 0;  // edges: nodeCount - 1 entries from edgeBegin
  std::uint32_t edgeBegin = 0;
  std::uint32_t edgeCount() const { return nodeCount > 0 ? nodeCount - 1 : 0; }
};

// Best solution of a node's subtree for one layer of its parent edge (the dynamic
// programme keeps only the pruned, cheapest one). Costs are 64-bit: the fast-mode price of
// one overflowed unit is a million times the pitch.
struct sol {
  std::int64_t cost = 0;
  std::int8_t childLayer[4] = {0, 0, 0, 0};  // layer of the edge to child k
};

// One solution of the antenna-aware programme: the subtree below a node for one layer of
// its parent edge, with the antenna state of the wire still attached to its pins. The
// programme keeps lists of non-dominated ones, so children are named by list position.
struct AntennaSol {
  int layer = 0;      // parent-edge layer; -1 marks a pruned entry
  int topLayer = -1;  // highest and lowest layer met at the node (merge scratch)
  int botLayer = 0;
  int AL = 0;        // unit edges of wire attached to the subtree's pins since the last break
  int pinCnt = 0;    // pins attached to that wire
  int TW = 0;        // highest layer of that wire
  int LS = 0;        // layer bound left by the breaks below; L - 1 without a break
  int breakCnt = 0;  // breaks in the subtree
  std::int64_t cost = 0;
  std::int8_t childLayer[4] = {0, 0, 0, 0};  // layer of the edge to child k
  int childSol[4] = {0, 0, 0, 0};            // position in child k's list at that layer
};

// Entry of the region search of checkAntennaRule3. The comparisons are inverted so that a
// standard max-heap hands out the lowest key (edge layer) first.
struct pnode {
  int idx = -1;   // node to visit
  int prev = -1;  // node it was reached from, -1 at the start
  int key = -1;   // layer of the edge crossed to reach it, -1 at the start
};
inline bool operator<(const pnode& a, const pnode& b) { return a.key > b.key; }
inline bool operator>(const pnode& a, const pnode& b) { return a.key < b.key; }

// The eight marking grids of one tree build, keyed by net index.
struct TreeMarks {
  EdgeGrid<int> tileMark;                  // last net touching the tile; -1 once it is a node of that net's tree
  EdgeGrid<int> hMark, vMark;              // last net using the horizontal / vertical unit
  EdgeGrid<int> hLayer, vLayer;            // layer of that unit
  EdgeGrid<int> pinMark, pinHigh, pinLow;  // last net with a pin in the tile, its layer span
  void allocate(int xGrid, int yGrid);
};

class Graph {
 public:
  // Totals of the last driver run; 64-bit sums. 0 until a driver sets them.
  std::int64_t totalOF = 0;
  std::int64_t maxOF = 0;
  std::int64_t totalVia = 0;
  std::int64_t wlen2D = 0;  // tree edges over all nets
  int xGrid = 0, yGrid = 0;
  int layerNum = 0;
  double ofCostAlpha = 0.3;  // weight of overflow in the negotiation edge cost
  double antennaMaxLen = 100000.0;
  bool fastCostMode = false;  // ratio edge cost (true) or negotiation edge cost (false)
  int maxNetLen = 0;          // largest edge count of a net
  int antennaBreakCost = 0, aaPruneMode = 0, alBinSize = 0;
  int viaCost = 1;  // via weight of the reported total wirelength
  int localNetVia = 0;
  double ofExponent = 2.0;
  std::vector<int> minWireSpacing, minWireWidth;
  std::vector<int> layerPitch;               // width + spacing: the weight of one unit of overflow
  int capV2D = 0, capH2D = 0;                // 2D capacity of a vertical / horizontal grid edge
  EdgeGrid<int> usage2DH, usage2DV;          // adjustment demand plus one per tree edge
  EdgeGrid<int> of3DH, of3DV;                // demand units above capacity, over the layers
  EdgeGrid<int> ofShareCeilH, ofShareCeilV;  // per-layer share of the 2D overflow, rounded up
  EdgeGrid<int> ofShareFloorH, ofShareFloorV;
  int lowerLeftX = 0, lowerLeftY = 0, tileWidth = 0, tileHeight = 0;
  std::int64_t inputOF = 0;         // pitch-weighted 2D overflow of the routed input
  std::vector<int> capH, capV;      // tracks per layer
  LayerGrid<int> demandH, demandV;  // tracks
  LayerGrid<int> historyH, historyV;
  std::vector<net> nets;         // index i = database net i
  std::vector<net*> sortedNets;  // sort_net order
  std::vector<net> localNets;    // single-tile nets of the database (kept empty there)
  // Names of nets[i]: the database's (initialLA) or the model's own (input2Dresult); none
  // when the source had none. The database outlives the model.
  const NetNames* dbNetNames = nullptr;
  NetNames ownNetNames;
  const NetNames& netNames() const { return dbNetNames ? *dbNetNames : ownNetNames; }

  // Arenas of all trees and pins.
  std::vector<node> nodePool;
  std::vector<edge> edgePool;
  std::vector<pin> pinPool;

  // Dynamic-programme scratch: (maxNetLen + 1) x layerNum solutions, [node][parent layer].
  std::vector<sol> solSets;

  // Antenna-aware programme (allocated only when it runs). aaSolSets[node * L + layer] is the
  // list of one node and parent-edge layer; the lists keep their storage between nets.
  std::vector<std::vector<AntennaSol>> aaSolSets;
  // Bins of the pruning, [TW][LS][AL bin][pin flag]: the cheapest cost seen and the position
  // of its solution in the list being pruned (-1: none). Allocated by allocateAntennaBins.
  std::vector<std::int64_t> aaCostBin;
  std::vector<int> aaSolBin;
  int aaBinCount = 0;                                  // AL bins per (TW, LS) in the tables above
  std::vector<AntennaSol> aaPartials, aaNextPartials;  // cross product of AA_mergeSubTree
  std::vector<const AntennaSol*> aaChosen;             // top-down pick, one per node

  // Scratch of the antenna checks for the net checked last, by net-local node index.
  std::vector<int> topEdge, wireLen, pinNum;
  // [net index]: indices of the nets sharing a grid edge with it, increasing; filled by
  // buildOverlapGraph, empty otherwise.
  std::vector<std::vector<int>> overlapNets;

  std::span<node> nodesOf(const net& n) { return {nodePool.data() + n.nodeBegin, n.nodeCount}; }
  std::span<const node> nodesOf(const net& n) const { return {nodePool.data() + n.nodeBegin, n.nodeCount}; }
  std::span<edge> edgesOf(const net& n) { return {edgePool.data() + n.edgeBegin, n.edgeCount()}; }
  std::span<const edge> edgesOf(const net& n) const { return {edgePool.data() + n.edgeBegin, n.edgeCount()}; }
  std::span<const pin> pinsOf(const net& n) const { return {pinPool.data() + n.pinBegin, n.pinCount}; }

  // Builds the model from the database: grid, capacities, pitches, nets and their pins,
  // capacity adjustments as demand, then pin blockage.
  void initialLA(const NetDB& db, int viaCost, double pinBlockageFactor);
  // Allocates capH/capV and every per-edge and per-(edge, layer) grid, all 0.
  void initialGraph();
  // Back to the state before the first tree was built; adjustments again, no pin blockage.
  void reset(const NetDB& db);
  // Pitch-weighted total overflow; fills the largest single overflow and the sum of squares.
  std::int64_t getTotalOverflow(std::int64_t& maxOF, double& weightOF) const;
  // History + 1 on every over-capacity (edge, layer).
  void updateHistoryCost();

  // Builds every net's tree from the database's routed planar paths; prints one line.
  // Ends the run (status 1) when a tree edge runs in a direction no layer can carry.
  void convertGRtoLA(const NetDB& db);
  // Appends the tree of one net (marks written by the caller); mark is the net's index.
  void BFS_net(TreeMarks& marks, net& n, int mark);
  // Writes the assigned layers back into the paths, with via stacks; flags broken connections.
  void convertLAtoGR(NetDB& db) const;

  // Edge cost of edge e on layer l in the current cost mode (l must be usable).
  std::int64_t edgeCost(const edge& e, int l) const;
  // Tree dynamic programme for one net; books its demand. Always true in the plain mode.
  bool singleNetLA(net& n, bool antennaAware);
  // Leaf solutions of node i (one per parent layer).
  void initialLeaf(const net& n, int nodeIndex);
  void greedy_singleNetLA(net& n, bool antennaAware, bool withEdgeCost);
  bool hasOverflow(const net& n) const;
  void ripUp(net& n);
  std::int64_t getSingleNetlVia(const net& n) const;

  // Antenna-aware programme (AntennaDP.cpp). antennaSingleNetLA is singleNetLA(n, true):
  // false, with nothing assigned and every list emptied, when a non-root node or the root's
  // pin layer has no admissible solution.
  bool antennaSingleNetLA(net& n);
  void AA_propagate(const net& n, int nodeIndex);
  void AA_mergeSubTree(const net& n, int nodeIndex);
  // Prunes the L lists of one node by aaPruneMode; false ("no solution") when all are empty.
  bool AA_solPrunning(int nodeIndex);
  void AA_solEasyPrunning(std::vector<AntennaSol>& list) const;
  bool AA_solBinPrunning(std::vector<AntennaSol>& list, bool dominancePass);
  // Sizes the bins for the current layer count, antennaMaxLen and alBinSize.
  void allocateAntennaBins();
  // (int) antennaMaxLen, kept within 0 .. INT_MAX.
  int antennaLimit() const;

  // Antenna checks of an assigned net and the overlap sets (AntennaCheck.cpp).
  int checkAntennaRule(const net& n);
  int checkAntennaRule2(const net& n) const;
  int checkAntennaRule3(const net& n) const;
  void varifyAntenna() const;
  std::int64_t calMinSP();
  void buildOverlapGraph();

  // Stand-alone readers (StandaloneReaders.cpp): an ISPD'08 problem straight into the model,
  // and a routed result file into the trees of the model's nets. Bad input ends the run; nets
  // the result leaves with pins apart are named in a warning on stderr.
  void input2Dresult(const char* path);
  void input3Dresult(const char* path);

  void sort_net();
  void fastLA(int alBinSize, int antennaBreakCost, int aaPruneMode, bool antennaAware);
  void COLA(int alBinSize, int antennaBreakCost, int aaPruneMode, bool antennaAware);
  void NVM(int alBinSize, int antennaBreakCost, int aaPruneMode, bool antennaAware);
  std::int64_t getTotalVia() const;

  // Writers. On failure print "Error: <path>: cannot write" on stderr and return false;
  // the caller ends the run with status 1.
  bool output3Dresult(const char* path) const;
  bool outputOverflowInfo(const char* path) const;

  // Layers with nonzero capacity in a direction, increasing.
  const std::vector<int>& usableLayers(bool hori) const { return hori ? usableH : usableV; }

 private:
  std::vector<int> usableH, usableV;
  std::vector<sol> chosen;  // topDownAssignment scratch, one per node of the current net
  // 20 / (exp(-o * ofCostAlpha) + 1) + 1 of the negotiation edge cost, remembered for
  // |o| <= kFactorRange at the current ofCostAlpha (NaN: not computed yet).
  static constexpr int kFactorRange = 4096;
  mutable std::vector<double> factorCache;
  mutable double factorAlpha = 0.0;
  double overflowFactor(std::int64_t o) const;

  int& demandOf(const edge& e, int l) { return e.hori ? demandH.at(e.x, e.y, l) : demandV.at(e.x, e.y, l); }
  int demandOf(const edge& e, int l) const { return e.hori ? demandH.at(e.x, e.y, l) : demandV.at(e.x, e.y, l); }
  int& of3DOf(const edge& e) { return e.hori ? of3DH[e.x][e.y] : of3DV[e.x][e.y]; }
  int capOf(const edge& e, int l) const { return e.hori ? capH[l] : capV[l]; }
  void applyAdjustments(const NetDB& db, int mismatchCode);
  void bookEdge(const edge& e);
  void fillNode(const net& n, int nodeIndex);
  void topDownAssignment(net& n);
  void takeTotals(double& weightOF);
  void updateUsableLayers();
};

// Descending score: true when a's score is greater than b's.
bool order_cp(const net* a, const net* b);
