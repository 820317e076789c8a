#pragma once
// Per-edge values of a planar grid, indexed [x][y].

#include <cstddef>
#include <vector>

// x-major: (x, y) is at x * yNum + y, so x-outer loops read in order. This accessor is the only
// code that knows the stride. Negative sizes allocate an empty grid.
template <class T>
struct EdgeGrid {
  int xNum = 0, yNum = 0;
  std::vector<T> cells;
  void allocate(int xs, int ys, T fill = T{}) {
    xNum = xs > 0 ? xs : 0, yNum = ys > 0 ? ys : 0;
    cells.assign(std::size_t(xNum) * std::size_t(yNum), fill);
  }
  void fill(T v) { cells.assign(cells.size(), v); }
  T* operator[](int x) { return cells.data() + std::size_t(x) * yNum; }
  const T* operator[](int x) const { return cells.data() + std::size_t(x) * yNum; }
  bool contains(int x, int y) const { return x >= 0 && x < xNum && y >= 0 && y < yNum; }
};
