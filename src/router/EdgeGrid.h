#pragma once
// Per-edge values of the planar grid, indexed [x][y].

#include <cstddef>
#include <vector>

// x-major: (x, y) is at x * yNum + y, so x-outer loops read in order. This accessor is the only
// code that knows the stride.
template <class T>
struct EdgeGrid {
  int xNum = 0, yNum = 0;
  std::vector<T> cells;
  void allocate(int xs, int ys, T fill = T{}) {
    xNum = xs, yNum = ys;
    cells.assign(std::size_t(xs) * std::size_t(ys), fill);
  }
  T* operator[](int x) { return cells.data() + std::size_t(x) * yNum; }
  const T* operator[](int x) const { return cells.data() + std::size_t(x) * yNum; }
  bool contains(int x, int y) const { return x >= 0 && x < xNum && y >= 0 && y < yNum; }
};
