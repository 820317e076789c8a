#include "support/SteinerOracle.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Dreyfus-Wagner with the last pin as the root and the others as the terminal subsets. The
// distance relaxation over the Hanan grid is an L1 distance transform (one pass per axis), so a
// subset costs O(nodes) beyond its splits.
struct Solver {
  int d = 0, k = 0, nx = 0, ny = 0;
  std::vector<int> cx, cy, px, py;  // grid columns and rows; pin grid indices
  std::vector<int> best, from;      // best[S][v]: subset S joined and linked to v; from: the node u it joins at
  std::vector<int> merged, split;   // merged[S][u]: S joined at u; split: the part holding S's lowest bit

  int node(int ix, int iy) const { return ix * ny + iy; }
  int dist(int u, int v) const { return std::abs(cx[u / ny] - cx[v / ny]) + std::abs(cy[u % ny] - cy[v % ny]); }

  Solver(int deg, const int* x, const int* y) : d(deg), k(deg - 1) {
    cx.assign(x, x + d), cy.assign(y, y + d);
    std::sort(cx.begin(), cx.end()), cx.erase(std::unique(cx.begin(), cx.end()), cx.end());
    std::sort(cy.begin(), cy.end()), cy.erase(std::unique(cy.begin(), cy.end()), cy.end());
    nx = int(cx.size()), ny = int(cy.size());
    for (int i = 0; i < d; ++i) {
      px.push_back(int(std::lower_bound(cx.begin(), cx.end(), x[i]) - cx.begin()));
      py.push_back(int(std::lower_bound(cy.begin(), cy.end(), y[i]) - cy.begin()));
    }
    const int n = nx * ny;
    const std::size_t cells = (std::size_t(1) << k) * std::size_t(n);
    best.assign(cells, INT_MAX), from.assign(cells, -1), merged.assign(cells, INT_MAX), split.assign(cells, 0);
    std::vector<int> h(n), hArg(n);
    for (int set = 1; set < (1 << k); ++set) {
      int* g = &merged[std::size_t(set) * n];
      int* sp = &split[std::size_t(set) * n];
      if ((set & (set - 1)) == 0) {
        const int t = __builtin_ctz(unsigned(set));
        g[node(px[t], py[t])] = 0;
      } else {
        const int low = set & -set, rest = set ^ low;
        for (int sub = rest;; sub = (sub - 1) & rest) {
          const int a = sub | low, b = set ^ a;
          if (b != 0) {
            const int* fa = &best[std::size_t(a) * n];
            const int* fb = &best[std::size_t(b) * n];
            for (int u = 0; u < n; ++u) {
              const int v = fa[u] + fb[u];
              if (v < g[u]) g[u] = v, sp[u] = a;
            }
          }
          if (sub == 0) break;
        }
      }
      // best[v] = min over u of g[u] + dist(u, v): along each row, then along each column.
      for (int iy = 0; iy < ny; ++iy) {
        for (int ix = 0; ix < nx; ++ix) h[node(ix, iy)] = g[node(ix, iy)], hArg[node(ix, iy)] = ix;
        for (int ix = 1; ix < nx; ++ix) {
          const int p = node(ix - 1, iy), c = node(ix, iy);
          if (h[p] != INT_MAX && h[p] + (cx[ix] - cx[ix - 1]) < h[c])
            h[c] = h[p] + (cx[ix] - cx[ix - 1]), hArg[c] = hArg[p];
        }
        for (int ix = nx - 2; ix >= 0; --ix) {
          const int p = node(ix + 1, iy), c = node(ix, iy);
          if (h[p] != INT_MAX && h[p] + (cx[ix + 1] - cx[ix]) < h[c])
            h[c] = h[p] + (cx[ix + 1] - cx[ix]), hArg[c] = hArg[p];
        }
      }
      int* f = &best[std::size_t(set) * n];
      int* fr = &from[std::size_t(set) * n];
      for (int ix = 0; ix < nx; ++ix) {
        for (int iy = 0; iy < ny; ++iy)
          f[node(ix, iy)] = h[node(ix, iy)], fr[node(ix, iy)] = node(hArg[node(ix, iy)], iy);
        for (int iy = 1; iy < ny; ++iy) {
          const int p = node(ix, iy - 1), c = node(ix, iy);
          if (f[p] != INT_MAX && f[p] + (cy[iy] - cy[iy - 1]) < f[c])
            f[c] = f[p] + (cy[iy] - cy[iy - 1]), fr[c] = fr[p];
        }
        for (int iy = ny - 2; iy >= 0; --iy) {
          const int p = node(ix, iy + 1), c = node(ix, iy);
          if (f[p] != INT_MAX && f[p] + (cy[iy + 1] - cy[iy]) < f[c])
            f[c] = f[p] + (cy[iy + 1] - cy[iy]), fr[c] = fr[p];
        }
      }
    }
  }

  int rootNode() const { return node(px[d - 1], py[d - 1]); }
  int length() const { return best[(std::size_t((1 << k) - 1)) * nx * ny + rootNode()]; }

  // Branch standing for subset `set` linked towards node v: a pin, or a new Steiner point.
  int build(int set, int v, Branch* br, int* nextSteiner) const {
    const std::size_t n = std::size_t(nx) * ny;
    if ((set & (set - 1)) == 0) return __builtin_ctz(unsigned(set));
    const int u = from[set * n + v];
    const int a = split[set * n + u];
    const int me = (*nextSteiner)++;
    br[me] = {cx[u / ny], cy[u % ny], me};
    br[build(a, u, br, nextSteiner)].n = me;
    br[build(set ^ a, u, br, nextSteiner)].n = me;
    return me;
  }
};

}  // namespace

int exactSteinerLength(int d, const int* x, const int* y) {
  if (d <= 1) return 0;
  return Solver(d, x, y).length();
}

Tree exactSteinerTree(int d, const int* x, const int* y) {
  const Solver solver(d, x, y);
  Tree t;
  t.deg = d;
  t.length = solver.length();
  t.branch = std::make_unique<Branch[]>(std::size_t(2 * d - 2));
  for (int i = 0; i < d; ++i) t.branch[i] = {x[i], y[i], i};
  int next = d;
  const int top = solver.build((1 << (d - 1)) - 1, solver.rootNode(), t.branch.get(), &next);
  t.branch[d - 1].n = top;
  t.branch[top].n = top;
  return t;
}
