#pragma once
// Structural checks of Steiner trees and small helpers shared by the Steiner tests.

#include <string>
#include <vector>

#include "steiner/flute.h"

// Empty when `tree` is a well-formed tree over the given pins: deg == d, every link inside the
// 2d-2 branches and onto a Steiner point, exactly one root, no cycle, pin i at (px[i], py[i]),
// wirelength(tree) == tree.length and the length at least the pins' half-perimeter. Otherwise
// the first fault found.
std::string treeFault(const Tree& tree, int d, const int* px, const int* py);

// Same, for a net in sorted form: pin i must stand at (xs[s[i]], ys[i]).
std::string sortedTreeFault(const Tree& tree, int d, const int* xs, const int* ys, const int* s);

// Length of a rectilinear minimum spanning tree of the pins.
long long mstLength(int d, const int* x, const int* y);

// A random net of d pins in [0, range) x [0, range) and its sorted form (selection sorts as flute).
struct RandomNet {
  std::vector<int> x, y, xs, ys, s;
};
template <class Rng>
RandomNet randomNet(Rng& rng, int d, int range);

// Sorted form of given pins.
RandomNet sortedNet(std::vector<int> x, std::vector<int> y);

template <class Rng>
RandomNet randomNet(Rng& rng, int d, int range) {
  std::vector<int> x(d), y(d);
  for (int i = 0; i < d; ++i) x[i] = int(rng() % unsigned(range)), y[i] = int(rng() % unsigned(range));
  return sortedNet(std::move(x), std::move(y));
}
