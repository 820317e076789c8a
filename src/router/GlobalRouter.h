#pragma once
// The planar routing engine: the grid, the cost settings and table, congestion history, the
// open set of the maze searches and the run totals. Built once by the flow driver and kept
// for the whole run; the layered stage reuses it after calling grid.allocate3D().
//
// Methods are split by concern: construction here (GlobalRouter.cpp), the cost model
// (CostModel.cpp), commit, rip-up and statistics (RoutePath.cpp), history (History.cpp).

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "db/Geometry.h"
#include "db/Timer.h"
#include "router/GridGraph.h"
#include "router/fib.h"

struct Net;
struct TwoPin;
struct BoundingBox;
struct LayeredSearch;

// Process-wide timers of the layered maze search.
extern Timer t_do_cpu_maze, t_do_cpu_maze_total;

class GlobalRouter {
 public:
  FibHeapPtr heap;      // open set of the maze searches, empty between searches
  fibque queue;         // sorted deque beside the heap
  int searchStamp = 0;  // id of the current maze search
  // Cells of the layered maze search, made by its first search from the planar cells' state.
  std::shared_ptr<LayeredSearch> search3D;
  int xNum = 0, yNum = 0, zNum = 0;
  double costSlope = 0.3;  // slope of the congestion table
  GridGraph grid;
  bool historyOn = false;            // history recorded by commits and charged by cost rule 2
  bool hardOverflowCost = false;     // post-routing rule H
  int historyCostMode = 1;           // law of historyCost
  double historyPow = 1.8;           // exponent of the history term; the maze stage sets it
  bool useSteinerEdges = true;       // preferred-edge discount of the monotonic router
  int hCapacity = 0, vCapacity = 0;  // tracks of a horizontal / vertical planar edge, all layers
  int historyRounds = 0;
  std::int64_t totalOF = 0;  // overflow units of the committed planar paths; pitch-weighted ones of the layered paths
  float via_cost = 1.0f;                        // planar bend cost
  float baseCost = 10.0f;                       // weight of every edge cost; set per stage
  float costOffset = 0.0f;                      // additive edge cost of rule 2; set per stage
  float costHeight = 150.0f;                    // height of the congestion table
  float historyBase = 350.0f;                   // divisor of the history term
  EdgeGrid<int> hHistory;                       // hHistory[x][y]: history count of horizontal edge (x, y)
  EdgeGrid<int> vHistory;                       // vHistory[x][y]: history count of vertical edge (x, y)
  std::array<float, 1000> costArray{};          // congestion table, centred at maxCapacity
  std::vector<double> historyCost;              // cost per history value
  int maxHistory = 0;                           // largest history count seen by UpdateHistory
  int maxCapacity = 0;                          // max(hCapacity, vCapacity): centre of the congestion table
  int stage = 0;                                // 0 pattern, 1 monotonic, 2 maze, 3 post routing
  int Wlen2D = 0;                               // committed planar wire units
  int totalVia = 0;                             // committed vias of the layered solution
  int costMode3D = -1;                          // layered price curve
  int viaCost = 1;                              // the parameter file's via cost; set by the driver
  std::vector<Point> sources, targets;          // seeds and goals of the current maze search
  std::vector<int> wirePitch;                   // per layer: minimum width + spacing
  std::vector<int> hCapPerLayer, vCapPerLayer;  // per layer tracks

  // Builds the grid and pre-loads its demand: every capacity adjustment adds the tracks it
  // removes from its layer, then every tile's pins block a share of its incident edges
  // (pinBlockageFactor tracks per pin, rounded up, never past the edge's capacity). Prints
  // "total adjust capacity=%d". Pin-count grids are [x][y]; missing entries count as 0.
  GlobalRouter(int xNum, int yNum, int zNum, int hCapacity, int vCapacity, std::vector<int> hCapPerLayer,
               std::vector<int> vCapPerLayer, const std::vector<RPoint>& adjEdges, const std::vector<int>& adjCapacity,
               const std::vector<int>& wirePitch, const std::vector<std::vector<int>>& repeatPinCount,
               const std::vector<std::vector<int>>& pinCount, double pinBlockageFactor);
  GlobalRouter(const GlobalRouter&) = delete;
  GlobalRouter& operator=(const GlobalRouter&) = delete;

  // --- routers (PatternRoute.cpp, MonotonicRoute.cpp, MazeRoute.cpp) ---
  // Every router builds the connection's path of planar units, listed from p1 to p2. The pattern
  // and monotonic routers also commit it (RoutePath) and return the overflow the commit reports;
  // the maze search only searches, and the caller commits the new or the old path.
  //
  // Straight run between two ends that share a column or a row; p1 becomes the left (or lower)
  // end. The caller passes `path` empty.
  int Flat(Point& p1, Point& p2, std::vector<RPoint>& path, Net& net);
  // The cheaper of the two L shapes (equal costs: the one whose horizontal leg lies on the lower
  // row); p1 becomes the left end (equal x: the former p2). maxUsage: the largest demand along
  // the new path before its commit. Sets the connection's wireLength.
  int Pattern(Point& p1, Point& p2, TwoPin* twoPin, Net& net, int& maxUsage);
  // The cheapest monotonic path inside the ends' box, each bend priced via_cost; p1 becomes the
  // right end (equal x: the former p1). Sets pathCost, wireLength and maxUsage as Pattern does.
  int DDPattern(Point& p1, Point& p2, TwoPin* twoPin, Net& net, int& maxUsage);
  // Best-first search for a just ripped-up connection from its source side to a target pin, the
  // net's other paths free, bounded by maxLen non-free edges and by the old path's cost, never
  // over an edge of a direction that no layer has tracks in. On success path, p1 (target
  // reached), p2 (source), wireLength and pathCost describe the new path; on failure they stay
  // (pathCost: the old path's cost). Sets overflow to 0.
  void MultiMaze(TwoPin* twoPin, Net& net, int maxLen);
  // Seeds a search on layer 0 of `cells`: marks the targets, opens the sources and grows `box`
  // over the target side. single: the net has one connection (source p1, target p2).
  void initialTargetSource(TwoPin* twoPin, Net& net, bool single, std::vector<Point>& sources,
                           std::vector<Point>& targets, CellGrid& cells, BoundingBox& box);
  // Ends a search: on `found` rebuilds the connection's path from `reached` back to its source
  // (planar: every unit on layer 0). Always advances searchStamp and empties the open set.
  // Returns true when a path was rebuilt; a parent walk longer than the cells the search
  // opened is reported and counts as a failed search.
  bool traceBack(TwoPin* twoPin, Net& net, bool found, GridCell* reached, bool planar);
  // Opens a cell with its key already set: at the deque's head when no deque key is above
  // it, at the tail when it is at or above the tail's key and below twice that key, else
  // into the heap.
  void openInsert(GridCell* cell);
  // The open cell with the smallest key (equal keys: the heap's first); null when none is left.
  GridCell* openTakeNext();
  int openInserts = 0;             // insertions of the current search (bounds traceBack's walk)
  std::vector<float> dpCostTable;  // DDPattern scratch, kept between calls
  std::vector<signed char> dpMoveTable;
  std::vector<unsigned char> dpEdgeFlags;  // Pattern / DDPattern scratch: the net's own edges in reach
  // Pattern and DDPattern read a net's edges from its sets' keys while these number at most
  // this many per set lookup they replace.
  static constexpr std::size_t kKeysPerLookup = 16;

  // --- cost model (CostModel.cpp) ---
  // Rebuilds costArray from costHeight, costSlope and maxCapacity.
  void initialCostArray();
  // Rebuilds func_2Dmap: mode 0 rule 0, 1 rule 1, 2 rule 2; another mode reports and changes nothing.
  void initialFunc_2Dmap(int mode);
  // Recomputes one entry by the rule of the current stage (hori 1 / 0), or the bend entry (hori 2).
  void update2DmapCost(int x, int y, int hori);
  // Price of a unit edge for L-shape routing; hori nonzero = horizontal.
  float PatternCost(int x, int y, int hori, const Net& net) const;
  // PatternCost with the net's set lookups already made (a net of two or more connections).
  float PatternCostKnown(int x, int y, int hori, bool routed, bool steiner) const;
  // Price of a unit edge for monotonic routing.
  float DPCost(int x, int y, bool hori, const Net& net) const;
  // DPCost with the net's set lookups already made: routed = the net uses the edge (a net of
  // two or more connections), steiner = it is a Steiner edge and the discount is on.
  float DPCostKnown(int x, int y, bool hori, bool routed, bool steiner) const;
  // Price of the existing planar edge by cost-map rule 0, 1 or 2 (what func_2Dmap holds); never
  // below 0, which the maze search needs.
  float edgeCost(int rule, int x, int y, bool hori) const;

  // --- commit, rip-up, statistics (RoutePath.cpp) ---
  // Commits a path of a connection of `net`; returns the units it left over capacity. p1, p2 unread.
  int RoutePath(const Point& p1, const Point& p2, const std::vector<RPoint>& path, Net& net);
  // Removes a committed path (the vector stays); nothing happens when p1 and p2 share a tile.
  void RipUp(const Point& p1, const Point& p2, const std::vector<RPoint>& path, Net& net);
  // Largest demand, overflow, via units and wire units along the connection's current path.
  void getScore(int& maxUsage, std::int64_t& overflow, int& vias, int& wireUnits, const TwoPin* twoPin) const;
  // Largest history count (first such edge in (x, y)) and largest demand - capacity (>= 0).
  int getMaxHistory(int& x, int& y, int& maxOverflow) const;
  // Sum of the demand of every planar edge, pre-load included.
  int getWirelength() const;
  int getWirelength(int& maxOverflow) const;
  // Sum of max(0, demand - capacity) over every planar edge.
  int getOverflow() const;
  void showPath(const std::vector<RPoint>& path) const;
  // Sets the connection's overflow to 0 and returns the sum of the cost-map entries of its path.
  float PathScore(TwoPin* twoPin, const Net& net) const;
  void addAdjustment(int x, int y, int value, bool hori);

  // --- congestion history (History.cpp) ---
  void convertHistoryBase(float newBase);
  void convertHistoryPow(double newPow);
  void updateHistoryCost();
  // Replaces every positive count by its percentile rank (largest = 100).
  void sortHistory();
  void historyInc(const std::vector<RPoint>& path);
  void UpdateHistory(bool);
  void initHistory();
  // Recomputes func_2Dmap by the mode's rule and reports every entry that differs.
  void checkCost(int mode) const;

  // --- Steiner-guided decomposition (InitialRoute.cpp) ---
  // Adds the unit edges of the straight segment a-b (a and b share x or y) to net.steinerEdges,
  // duplicates kept; nothing when a and b share a tile.
  void FluteFlat(const Point& a, const Point& b, Net& net) const;

  // --- three-dimensional stage (router3d/) ---
  // Layered state: grid.allocate3D() must have been called. Node (x, y, z) owns its horizontal
  // edge, its vertical edge and its via to z + 1; dir / member: 1 = x horizontal, 0 = y
  // vertical, 2 = z via.
  //
  // Fills capacity3D: layer tracks, vias 1000000000, then the adjustments in list order
  // (hori 1 the horizontal capacity, any other value the vertical one). An adjustment outside
  // the grid is reported and skipped.
  void initial3DRouting(std::vector<int>& horizontalTracks, std::vector<int>& verticalTracks,
                        std::vector<RPoint>& adjEdges, std::vector<int>& adjCapacity);
  // Empties the layered solution: usage3D, totalOF, Wlen2D, totalVia. Capacities and func_map stay.
  void reset3DGraph();
  // Price of one more unit on element dir of node (x, y, z) under costMode3D.
  float cost3D(int x, int y, int z, int dir) const;
  // Rebuilds all of func_map from the current demand; `mode` is not read (costMode3D decides).
  void initialFunc_3Dmap(int mode);
  // Reports every func_map entry that differs from cost3D; changes nothing.
  void check3DCost(int mode) const;
  // Commits a layered path of a connection of `net`; returns the pitch-weighted overflow added.
  std::int64_t Route3DPath(std::vector<RPoint>& path, Net& net);
  // Removes a path committed by Route3DPath for the same net.
  void RipUp3D(std::vector<RPoint>& path, Net& net);
  // Best-first search over all layers for a just ripped-up connection, the net's other paths
  // almost free (price 1.0). maxLen and box are not read. On success the connection's path,
  // ends, wireLength and pathCost describe the new path and the result is its step count; on
  // failure the connection is unchanged and the result is -1.
  int MultiMaze3D(TwoPin* twoPin, Net& net, int maxLen, BoundingBox& box);
  // True unless the path is exactly one unit.
  bool isNeedRoute(TwoPin* twoPin, Net& net) const;
  // Statistics of a layered path (largest demand, overflow units, layer changes, wire units);
  // returns the layer change from the last wire unit to p2's layer.
  int get3DScore(int& maxUsage, int& overflow, int& layerChanges, int& wireUnits, TwoPin*& twoPin) const;
  // Sets the connection's overflow to 0 and returns the sum of the func_map members of its path.
  float PathScore3D(TwoPin* twoPin, Net& net) const;
  // Recounts the layered totals from usage3D and prints the totals line; returns W + V.
  std::int64_t showWL() const;
  // Prints the totals line and writes the overflow report to `path`. On a failed open, write
  // or close prints "Error: <path>: cannot write" on stderr and returns false.
  bool outputOverflowInfo(const char* path) const;

 private:
  // Congestion term s(d, c) of the table, index clamped into 0 .. 999.
  float congestion(int d, int c) const;
  // Post-routing rule H(d, c, h).
  float hardCost(int d, int c, int h) const;
  int historyOf(int x, int y, bool hori) const { return hori ? hHistory[x][y] : vHistory[x][y]; }
  int& historyRef(int x, int y, bool hori) { return hori ? hHistory[x][y] : vHistory[x][y]; }
  int capacityOf(bool hori) const { return hori ? hCapacity : vCapacity; }
  template <class F>
  void forEachEdge(F&& f) const;
};

// Calls f(x, y, hori) for every existing planar edge: horizontal edges first (x outer, y inner),
// then vertical edges (x outer, y inner).
template <class F>
void GlobalRouter::forEachEdge(F&& f) const {
  for (int x = 0; x < xNum - 1; ++x)
    for (int y = 0; y < yNum; ++y) f(x, y, true);
  for (int x = 0; x < xNum; ++x)
    for (int y = 0; y < yNum - 1; ++y) f(x, y, false);
}
