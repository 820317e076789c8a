#include "router/GridGraph.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The demand accessor's coordinate checks are the process's only assertions: a path naming a
// missing edge is a router bug that would otherwise corrupt a neighbouring row.
[[noreturn]] void edgeAssertionFailed(int code, const char* expr) {
  std::fflush(nullptr);
  std::fprintf(stderr, "Korvane: GridGraph:%d: getCost: Assertion `%s' failed.\n", code, expr);
  std::abort();
}

}  // namespace

void GridGraph::checkEdge(int x, int y, bool hori, int xNum, int yNum) {
  if (hori) {
    if (!(x < xNum - 1 && x >= 0)) edgeAssertionFailed(276, "x < xNum - 1 && x >= 0");
    if (!(y < yNum && y >= 0)) edgeAssertionFailed(277, "y < yNum && y >= 0");
  } else {
    if (!(x < xNum && x >= 0)) edgeAssertionFailed(276, "x < xNum && x >= 0");
    if (!(y < yNum - 1 && y >= 0)) edgeAssertionFailed(277, "y < yNum - 1 && y >= 0");
  }
}

void CellGrid::initLayer(GridCell* first, int xs, int ys, int z) {
  GridCell* c = first;
  for (int y = 0; y < ys; ++y)
    for (int x = 0; x < xs; ++x, ++c) {
      c->x = x, c->y = y, c->z = z;
      c->heapNode.data = c;
    }
}

void CellGrid::allocateBase(int xs, int ys) {
  xNum = xs, yNum = ys;
  base.assign(std::size_t(xs) * std::size_t(ys), GridCell{});
  initLayer(base.data(), xs, ys, 0);
  layerStart.assign(1, base.data());
}

void CellGrid::clearStamps() {
  for (GridCell& c : base) c.visitStamp = c.targetStamp = -1;
}

GridGraph::GridGraph(int xNum_, int yNum_, int zNum_, int hCapacity_, int vCapacity_)
    : hCapacity(hCapacity_), vCapacity(vCapacity_), xNum(xNum_), yNum(yNum_), zNum(zNum_) {
  hUsage.allocate(xNum > 0 ? xNum - 1 : 0, yNum);
  vUsage.allocate(xNum, yNum > 0 ? yNum - 1 : 0);
  func_2Dmap.assign(std::size_t(xNum) * std::size_t(yNum), CostEntry{});
  cells.allocateBase(xNum, yNum);
}

void GridGraph::allocate3D() {
  if (usage3D.allocated()) return;
  func_map.assign(std::size_t(xNum) * std::size_t(yNum) * std::size_t(zNum), CostEntry{});
  usage3D.allocate(xNum, yNum, zNum);
  capacity3D.allocate(xNum, yNum, zNum);
}

std::size_t GridGraph::stateBytes() const {
  return (hUsage.cells.capacity() + vUsage.cells.capacity()) * sizeof(int) +
         (func_2Dmap.capacity() + func_map.capacity()) * sizeof(CostEntry) +
         (usage3D.cells.capacity() + capacity3D.cells.capacity()) * sizeof(Point_i) + cells.bytes();
}
