// TEMPORARY - delete when merging with the lookup-table branch.
//
// Test-only stand-ins for the table module (readLUT, flute, flutes_LD, lutQuery,
// lutBestSolution) so that net breaking can be linked and tested before the table reader and the
// generated tables exist. Trees of 4..9 pins come from the exact oracle, so they are optimal like
// the table's. The real definitions live in src/steiner/flute.cpp; once that file is merged this
// one must go, or the test binary will not link (duplicate symbols).

#include <cstdlib>
#include <vector>

#include "steiner/flute.h"
#include "steiner/fluteBreaking.h"
#include "support/SteinerOracle.h"

const int numgrp[10] = {0, 0, 0, 0, 6, 30, 180, 1260, 10080, 90720};
int numsoln[10][90720];
LutSolution* LUT[10][90720];

void readLUT() {}

Tree flutes_LD(int d, const int* xs, const int* ys, const int* s) {
  Tree t;
  t.deg = d;
  if (d >= 4) {
    std::vector<int> x(d), y(d);
    for (int i = 0; i < d; ++i) x[i] = xs[s[i]], y[i] = ys[i];
    return exactSteinerTree(d, x.data(), y.data());
  }
  t.branch = std::make_unique<Branch[]>(std::size_t(2 * d - 2));
  t.length = (xs[d - 1] - xs[0]) + (ys[d - 1] - ys[0]);
  for (int i = 0; i < d; ++i) t.branch[i] = {xs[s[i]], ys[i], d == 2 ? 1 : 3};
  if (d == 3) t.branch[3] = {xs[1], ys[1], 3};
  return t;
}

Tree flute(int d, const int* x, const int* y, int acc) {
  if (d == 2) {
    Tree t;
    t.deg = 2;
    t.length = std::abs(x[0] - x[1]) + std::abs(y[0] - y[1]);
    t.branch = std::make_unique<Branch[]>(2);
    t.branch[0] = {x[0], y[0], 1};
    t.branch[1] = {x[1], y[1], 1};
    return t;
  }
  std::vector<int> xs(d), ys(d), s(d);
  fluteBreaking::sortPins(d, x, y, xs.data(), ys.data(), s.data(), nullptr);
  return d > 9 ? flutes_MD(d, xs.data(), ys.data(), s.data(), acc)
               : flutes_LD(d, xs.data(), ys.data(), s.data());
}

// The stand-in has no tables: the query remembers its net and the "best solution" is the exact
// length of that net.
namespace {
std::vector<int> lastX, lastY;
}

LutQuery lutQuery(int d, const int* xs, const int* ys, const int* s) {
  lastX.resize(d), lastY.resize(d);
  for (int i = 0; i < d; ++i) lastX[i] = xs[s[i]], lastY[i] = ys[i];
  LutQuery q;
  q.base = (xs[d - 1] - xs[0]) + (ys[d - 1] - ys[0]);
  return q;
}

int lutBestSolution(int d, const LutQuery&, int* length) {
  *length = exactSteinerLength(d, lastX.data(), lastY.data());
  return 0;
}
