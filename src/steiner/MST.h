#pragma once
// Rectilinear minimum spanning trees of a net's pins, and the first decomposition of every
// net into two-pin connections along such a tree.

#include <cstddef>
#include <cstdint>
#include <new>
#include <string_view>
#include <vector>

#include "db/Geometry.h"
#include "db/NetDB.h"

// Per-tile values, [x][y], read by MST to join pins whose tiles carry equal values first.
// One contiguous x-major array: (x, y) is at x * yNum + y, so a full grid costs one
// allocation and map[x][y] keeps the familiar subscripts. An empty map (0 x 0) is valid
// wherever the map is not read.
struct TileMap {
  int xNum = 0, yNum = 0;  // tile columns and rows
  std::vector<int> cells;

  void allocate(int xs, int ys, int fill = 0) {
    xNum = xs, yNum = ys;
    cells.assign(std::size_t(xs) * std::size_t(ys), fill);
  }
  bool contains(int x, int y) const { return x >= 0 && x < xNum && y >= 0 && y < yNum; }
  int* operator[](int x) { return cells.data() + std::size_t(x) * std::size_t(yNum); }
  const int* operator[](int x) const { return cells.data() + std::size_t(x) * std::size_t(yNum); }
};

// Union-find over the pin indices 0..n-1 of one MST call.
struct DisjointSet {
  std::vector<int> parent;  // -1 marks a root
  std::vector<int> rank;    // upper bound of the tree height below a root

  DisjointSet() = default;
  explicit DisjointSet(int n) : parent(std::size_t(n), -1), rank(std::size_t(n), 0) {}

  // Root of x; every pin on the way is re-pointed straight at the root.
  int Find(int x);
  // Joins two distinct roots by rank: the higher rank stays root; on equal ranks rootA stays
  // root and its rank grows by 1.
  void unite(int rootA, int rootB);
};

// The candidate links of one net do not fit in memory. A std::bad_alloc, so that a caller that
// cannot name the net still ends the run with the general out-of-memory line.
struct LinkMemoryExhausted : std::bad_alloc {
  std::uint64_t links = 0;
  explicit LinkMemoryExhausted(std::uint64_t count) : links(count) {}
};

// Binary heap of candidate links, cheapest on top. The children of position k are 2k+1 and
// 2k+2. Equal costs are the rule, so the exact insert and remove discipline below decides
// which of several equal links leaves first, and with it which spanning tree is chosen:
// - push: the new link rises from the end past every parent whose cost is strictly greater;
// - popTop: the hole left at the top sinks to a leaf, always taking the right child unless its
//   cost is strictly greater than the left one's (a lone left child is taken); the former last
//   link then rises from that hole by the push rule.
class LinkHeap {
 public:
  // Reserves room for exactly count links; throws LinkMemoryExhausted when they do not fit.
  void reserve(std::uint64_t count);
  void push(const Link& link);
  // Removes and returns the cheapest link; the heap must not be empty.
  Link popTop();
  bool empty() const { return links_.empty(); }
  std::size_t size() const { return links_.size(); }
  // The heap array, position 0 the top.
  const std::vector<Link>& array() const { return links_; }

 private:
  void siftUp(std::size_t hole, const Link& link);
  std::vector<Link> links_;
};

// Appends to out the n - 1 links of a minimum spanning tree of the n pins (none for n < 2),
// cheapest first; out is not cleared. A link joins pins first < second at cost |dx| + |dy|;
// with useMap, a pair on tiles of equal map value costs 0.7 * distance, plus 0.5 unless both
// pins lie in one row. map is read only with useMap and must then cover every pin's tile (a
// pin outside it ends the run). All n(n-1)/2 pairs are candidates: time and memory grow with
// the square of the pin count (about 12 bytes per pair); LinkMemoryExhausted when they do not fit.
void MST(const std::vector<Point>& pins, std::vector<Link>& out, const TileMap& map, bool useMap);

// Decomposes every net of two or more pins along the plain spanning tree of its pins2D:
// appends one connection per tree link whose ends lie on different tiles (netIndex = the net's
// index) and adds each connection's length to the net's wireLength and treeLength. Nets of
// fewer pins are left unchanged. A net whose candidate links do not fit in memory ends the run
// naming it: its name from `names` (when it holds one per net) and its id, in `problemFile`.
void BuildCongestionDrivenTree(std::vector<Net>& nets, const NetNames* names = nullptr,
                               std::string_view problemFile = {});
