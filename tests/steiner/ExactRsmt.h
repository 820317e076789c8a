#pragma once
// Reference rectilinear Steiner minimal tree lengths for the tests, written independently of the
// lookup tables: a plain Dreyfus-Wagner program on the net's full Hanan grid (real coordinates,
// scalar lengths), and a brute force over Steiner point sets for tiny nets to check it.

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

namespace exact_rsmt {

inline std::vector<int> sortedUnique(std::vector<int> v) {
  std::sort(v.begin(), v.end());
  v.erase(std::unique(v.begin(), v.end()), v.end());
  return v;
}

// Length of a rectilinear minimum spanning tree (Prim, O(n^2)).
inline int64_t mstLength(const std::vector<int>& x, const std::vector<int>& y) {
  const int n = int(x.size());
  std::vector<int64_t> best(n, INT64_MAX);
  std::vector<bool> in(n, false);
  int64_t total = 0;
  best[0] = 0;
  for (int step = 0; step < n; ++step) {
    int pick = -1;
    for (int i = 0; i < n; ++i)
      if (!in[i] && (pick < 0 || best[i] < best[pick])) pick = i;
    in[pick] = true;
    total += best[pick];
    for (int i = 0; i < n; ++i)
      if (!in[i]) best[i] = std::min<int64_t>(best[i], std::abs(x[i] - x[pick]) + std::abs(y[i] - y[pick]));
  }
  return total;
}

// Dreyfus-Wagner: f[S][v] = shortest tree joining terminal set S and Hanan node v.
inline int64_t rsmtLength(int d, const int* x, const int* y) {
  const std::vector<int> xs = sortedUnique(std::vector<int>(x, x + d));
  const std::vector<int> ys = sortedUnique(std::vector<int>(y, y + d));
  const int w = int(xs.size()), nodes = w * int(ys.size());
  auto nodeX = [&](int v) { return xs[v % w]; };
  auto nodeY = [&](int v) { return ys[v / w]; };
  std::vector<int> term;
  for (int i = 0; i < d; ++i) {
    const int v = int(std::lower_bound(ys.begin(), ys.end(), y[i]) - ys.begin()) * w +
                  int(std::lower_bound(xs.begin(), xs.end(), x[i]) - xs.begin());
    if (std::find(term.begin(), term.end(), v) == term.end()) term.push_back(v);
  }
  if (term.size() == 1) return 0;
  const int m = int(term.size()) - 1, full = (1 << m) - 1;
  auto dist = [&](int u, int v) -> int64_t { return std::abs(nodeX(u) - nodeX(v)) + std::abs(nodeY(u) - nodeY(v)); };
  std::vector<int64_t> f(std::size_t(full + 1) * nodes, INT64_MAX / 4), g(nodes);
  for (int mask = 1; mask <= full; ++mask) {
    int64_t* fm = &f[std::size_t(mask) * nodes];
    if ((mask & (mask - 1)) == 0) {
      const int t = term[1 + __builtin_ctz(mask)];
      for (int v = 0; v < nodes; ++v) fm[v] = dist(t, v);
      continue;
    }
    for (int v = 0; v < nodes; ++v) {
      g[v] = INT64_MAX / 4;
      for (int a = (mask - 1) & mask; a > 0; a = (a - 1) & mask)
        g[v] = std::min(g[v], f[std::size_t(a) * nodes + v] + f[std::size_t(mask ^ a) * nodes + v]);
    }
    for (int v = 0; v < nodes; ++v) {
      int64_t best = INT64_MAX / 4;
      for (int u = 0; u < nodes; ++u) best = std::min(best, g[u] + dist(u, v));
      fm[v] = best;
    }
  }
  return f[std::size_t(full) * nodes + term[0]];
}

// Hanan's theorem by enumeration: the best spanning tree over the pins plus at most d-2 Hanan
// points. Exponential; for nets of up to six pins on small grids.
inline int64_t rsmtLengthBruteForce(int d, const int* x, const int* y) {
  const std::vector<int> xs = sortedUnique(std::vector<int>(x, x + d));
  const std::vector<int> ys = sortedUnique(std::vector<int>(y, y + d));
  std::vector<int> hx, hy;
  for (const int yy : ys)
    for (const int xx : xs) hx.push_back(xx), hy.push_back(yy);
  const int h = int(hx.size());
  int64_t best = INT64_MAX;
  std::vector<int> px(x, x + d), py(y, y + d), pick;
  auto recurse = [&](auto& self, int from) -> void {
    best = std::min(best, mstLength(px, py));
    if (int(pick.size()) == std::max(0, d - 2)) return;
    for (int i = from; i < h; ++i) {
      pick.push_back(i);
      px.push_back(hx[i]), py.push_back(hy[i]);
      self(self, i + 1);
      px.pop_back(), py.pop_back();
      pick.pop_back();
    }
  };
  recurse(recurse, 0);
  return best;
}

}  // namespace exact_rsmt
