#pragma once
// The routing grid: planar demand, the cost maps, layered demand and capacity, search cells.
//
// Tile columns x = 0 .. xNum - 1, rows y = 0 .. yNum - 1, layers z = 0 .. zNum - 1. The
// horizontal edge (x, y) joins (x, y)-(x + 1, y) and exists for x < xNum - 1; the vertical edge
// (x, y) joins (x, y)-(x, y + 1) and exists for y < yNum - 1.
//
// Only the planar part is allocated at construction. The layered part (func_map, usage3D,
// capacity3D) costs 36 bytes per layered node and is read only by the three-dimensional stage,
// which calls allocate3D() when it starts; its search keeps its own compact cells.

#include <cstddef>
#include <vector>

#include "db/EdgeGrid.h"
#include "router/GridCell.h"

// Three signed 32-bit values of a grid node: its horizontal edge, its vertical edge, its via
// to the layer above.
struct Point_i {
  int x = 0, y = 0, z = 0;
};

// Three prices of a grid node, same meanings as Point_i.
struct CostEntry {
  float x = 0.0f, y = 0.0f, z = 0.0f;
};

// Per-node values of the layered grid, at(z, y, x); z-major, then y, then x (x + y * xNum +
// z * xNum * yNum, the same order as func_map).
template <class T>
struct NodeGrid {
  int xNum = 0, yNum = 0, zNum = 0;
  std::vector<T> cells;
  void allocate(int xs, int ys, int zs) {
    xNum = xs, yNum = ys, zNum = zs;
    cells.assign(std::size_t(xs) * std::size_t(ys) * std::size_t(zs), T{});
  }
  bool allocated() const { return !cells.empty(); }
  T& at(int z, int y, int x) { return cells[(std::size_t(z) * yNum + y) * xNum + x]; }
  const T& at(int z, int y, int x) const { return cells[(std::size_t(z) * yNum + y) * xNum + x]; }
};

// Search cells of the planar search, at(z, y, x) or [z][y][x] with z = 0: one block made with
// the grid (the layered search keeps its own cells); cells never move once made, so the heap
// nodes and the parent pointers stay valid.
class CellGrid {
 public:
  struct Layer {
    GridCell* base;
    int xNum;
    GridCell* operator[](int y) const { return base + std::size_t(y) * xNum; }
  };
  int xNum = 0, yNum = 0;
  // Layers made: 1 after construction.
  int layers() const { return int(layerStart.size()); }
  GridCell& at(int z, int y, int x) { return layerStart[z][std::size_t(y) * xNum + x]; }
  const GridCell& at(int z, int y, int x) const { return layerStart[z][std::size_t(y) * xNum + x]; }
  Layer operator[](int z) const { return Layer{layerStart[z], xNum}; }

  void allocateBase(int xs, int ys);
  // Every made cell gets visitStamp and targetStamp -1 (used when the search stamp wraps).
  void clearStamps();
  std::size_t bytes() const { return base.capacity() * sizeof(GridCell); }

 private:
  static void initLayer(GridCell* first, int xs, int ys, int z);
  std::vector<GridCell> base;         // layer 0, [y][x]
  std::vector<GridCell*> layerStart;  // first cell of every made layer
};

struct GridGraph {
  EdgeGrid<int> hUsage;  // hUsage[x][y]: demand of horizontal edge (x, y), in tracks, blockage included
  EdgeGrid<int> vUsage;  // vUsage[x][y]: demand of vertical edge (x, y)
  int hCapacity = 0;     // tracks of every horizontal edge, summed over layers
  int vCapacity = 0;
  int xNum = 0, yNum = 0, zNum = 0;
  std::vector<CostEntry> func_2Dmap;  // planar prices, tile (x, y) at y * xNum + x; z is the bend cost
  std::vector<CostEntry> func_map;    // layered prices, node (x, y, z) at x + y * xNum + z * xNum * yNum
  NodeGrid<Point_i> usage3D;          // layered demand
  NodeGrid<Point_i> capacity3D;       // layered capacity
  CellGrid cells;

  GridGraph(int xNum, int yNum, int zNum, int hCapacity, int vCapacity);
  // Cells hold pointers into their own grid: neither copied nor moved.
  GridGraph(const GridGraph&) = delete;
  GridGraph& operator=(const GridGraph&) = delete;

  // Demand of planar edge (x, y), horizontal when `hori`. The edge must exist: anything else is
  // an internal error, reported as a failed assertion and the process aborts (every build type).
  // Inline: every router prices edges through it.
  int getCost(int x, int y, bool hori) const {
    if (!edgeExists(x, y, hori)) checkEdge(x, y, hori, xNum, yNum);
    return hori ? hUsage[x][y] : vUsage[x][y];
  }
  // The same edge's demand for writing, with the same check.
  int& demand(int x, int y, bool hori) {
    if (!edgeExists(x, y, hori)) checkEdge(x, y, hori, xNum, yNum);
    return hori ? hUsage[x][y] : vUsage[x][y];
  }
  bool edgeExists(int x, int y, bool hori) const {
    return hori ? x >= 0 && x < xNum - 1 && y >= 0 && y < yNum : x >= 0 && x < xNum && y >= 0 && y < yNum - 1;
  }
  // Reports the first failed coordinate check of a missing edge and aborts; returns for an edge that exists.
  static void checkEdge(int x, int y, bool hori, int xNum, int yNum);
  std::size_t mapIndex(int x, int y) const { return std::size_t(y) * xNum + x; }

  // Makes the layered state: func_map, usage3D and capacity3D, all zero. Does nothing when
  // already made.
  void allocate3D();
  bool layered() const { return usage3D.allocated(); }

  // Bytes held by the grid's arrays.
  std::size_t stateBytes() const;
};
