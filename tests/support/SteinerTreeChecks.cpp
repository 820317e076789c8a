#include "support/SteinerTreeChecks.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "db/Report.h"
#include "steiner/fluteBreaking.h"

std::string treeFault(const Tree& tree, int d, const int* px, const int* py) {
  if (tree.deg != d) return format("degree %d, expected %d", tree.deg, d);
  if (!tree.branch) return "no branch array";
  const int nb = 2 * d - 2;
  int roots = 0;
  for (int i = 0; i < nb; ++i) {
    const int n = tree.branch[i].n;
    if (n < 0 || n >= nb) return format("branch %d links to %d, outside the tree", i, n);
    if (n == i)
      ++roots;
    else if (d >= 3 && n < d)
      return format("branch %d links to pin %d, not to a Steiner point", i, n);
  }
  if (roots != 1) return format("%d roots", roots);
  for (int i = 0; i < nb; ++i) {
    int cur = i, steps = 0;
    while (tree.branch[cur].n != cur && steps <= nb) cur = tree.branch[cur].n, ++steps;
    if (steps > nb) return format("branch %d never reaches the root", i);
  }
  for (int i = 0; i < d; ++i) {
    if (tree.branch[i].x != px[i] || tree.branch[i].y != py[i]) {
      return format("pin %d at (%d,%d), expected (%d,%d)", i, tree.branch[i].x, tree.branch[i].y, px[i], py[i]);
    }
  }
  if (wirelength(tree) != tree.length) return format("wirelength %d, length field %d", wirelength(tree), tree.length);
  const int hp = *std::max_element(px, px + d) - *std::min_element(px, px + d) + *std::max_element(py, py + d) -
                 *std::min_element(py, py + d);
  if (tree.length < hp) return format("length %d below the half-perimeter %d", tree.length, hp);
  return {};
}

std::string sortedTreeFault(const Tree& tree, int d, const int* xs, const int* ys, const int* s) {
  std::vector<int> px(d), py(d);
  for (int i = 0; i < d; ++i) px[i] = xs[s[i]], py[i] = ys[i];
  return treeFault(tree, d, px.data(), py.data());
}

long long mstLength(int d, const int* x, const int* y) {
  std::vector<int> dist(d, INT_MAX);
  std::vector<char> in(d, 0);
  long long total = 0;
  dist[0] = 0;
  for (int k = 0; k < d; ++k) {
    int u = -1;
    for (int i = 0; i < d; ++i) {
      if (!in[i] && (u < 0 || dist[i] < dist[u])) u = i;
    }
    in[u] = 1, total += dist[u];
    for (int i = 0; i < d; ++i) dist[i] = std::min(dist[i], std::abs(x[i] - x[u]) + std::abs(y[i] - y[u]));
  }
  return total;
}

RandomNet sortedNet(std::vector<int> x, std::vector<int> y) {
  RandomNet n;
  const int d = int(x.size());
  n.x = std::move(x), n.y = std::move(y);
  n.xs.resize(d), n.ys.resize(d), n.s.resize(d);
  fluteBreaking::sortPins(d, n.x.data(), n.y.data(), n.xs.data(), n.ys.data(), n.s.data(), nullptr);
  return n;
}

void useSteinerTables() {
  static bool loaded = false;
  if (loaded) return;
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(KORVANE_BINARY_DIR);  // the build writes the tables there
  readLUT();
  std::filesystem::current_path(old);
  loaded = true;
}
