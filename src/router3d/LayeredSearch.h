#pragma once
// Search state of the layered maze: one compact cell per layered grid node.
//
// A cell holds everything one search step reads or writes (open-set key and links, best
// cost, predecessor, stamps, coordinates) in a single 64-byte cache line, and names other
// cells by 32-bit index (x + y * xNum + z * xNum * yNum, the order of the layered price map).
// The union-find and list stamps that only seeding reads sit apart, for layer 0 only.

#include <cstdint>
#include <vector>

#include "router/fib.h"

class CellGrid;

struct alignas(64) LayeredCell {
  FibLinks32 links;                 // the cell's open-set node (heap or deque)
  bool inQueue = false;             // open (in the heap or the deque)
  bool inDeque = false;             // search: the open cell sits in the deque rather than the heap
  float key = 2147483648.0f;        // cost plus heuristic: the open-set key
  float cost = 0.0f;                // path cost from the sources
  std::uint32_t parent = kFibNone;  // predecessor on the best path
  int visitStamp = -1;              // stamp of the search that last reached the cell
  int targetStamp = -1;             // stamp at which the cell was marked as a target
  int length = 0;                   // search: non-free edges from the source on the best path
  int dist = 0;                     // search: heuristic distance to the targets, in tiles
  int x = 0, y = 0, z = 0;          // the node's coordinates
};
static_assert(sizeof(LayeredCell) == 64, "one cell per cache line");

// Seeding state of a layer-0 cell.
struct LayeredPinCell {
  std::uint32_t ufParent = kFibNone;  // union-find parent
  int rank = 0;                       // union-find rank
  int listStamp = -1;                 // stamp at which the cell was put on the target list
};

// A price lowered for the duration of a search, and its value before.
struct LoweredPrice {
  float* price = nullptr;
  float before = 0.0f;
};

struct LayeredSearch {
  using Handle = std::uint32_t;
  static constexpr Handle kNone = kFibNone;

  int xNum = 0, yNum = 0, zNum = 0;
  std::vector<LayeredCell> cells;
  std::vector<LayeredPinCell> pins;  // layer 0, same index as its cell
  FibHeap32 heap;
  FibQue32 queue;
  int openInserts = 0;                // insertions of the current search (bounds the trace-back walk)
  std::vector<LoweredPrice> lowered;  // the current search's own-net prices, in lowering order

  // Makes the cells of an xs x ys x zs grid and takes over the per-cell search state the
  // planar searches left in `grid` (a cell's stale key, length and estimate can still decide
  // a later search), so the layered searches continue exactly where they would have.
  void adopt(const CellGrid& grid, int xs, int ys, int zs);
  bool fits(int xs, int ys, int zs) const { return xNum == xs && yNum == ys && zNum == zs && !cells.empty(); }
  Handle index(int x, int y, int z) const {
    return Handle(x) + Handle(y) * Handle(xNum) + Handle(z) * Handle(xNum) * Handle(yNum);
  }
  // visitStamp and targetStamp -1 everywhere (when the search stamp wraps).
  void clearStamps();

  // Open set: opens a cell with its key set (deque head, deque tail or heap, by the planar
  // searches' rule) and takes the smallest key (equal keys: the heap's first).
  void openInsert(Handle cell);
  Handle openTakeNext();

  // Storage of the open set's nodes.
  FibLinks32& node(Handle i) { return cells[i].links; }
  float key(Handle i) const { return cells[i].key; }
  void setKey(Handle i, float k) { cells[i].key = k; }
};
