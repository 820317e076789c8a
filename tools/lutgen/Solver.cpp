// Pareto-minimal Steiner trees of a clamped net on its inner Hanan grid.
//
// Every rectilinear Steiner minimal tree crosses the four outer gaps exactly once, so only the
// (d-2) x (d-2) inner grid matters: a tree's length is the half-perimeter plus, for each inner gap,
// (crossings - 1) times the gap. The lookup must hold a tree for every crossing vector that is
// minimal for some gap values; these are exactly the Pareto-minimal vectors over all trees.
//
// Steps: (1) a Dreyfus-Wagner program over subsets of terminals, where f(S, v) is the Pareto set of
// vectors of trees joining S and grid node v: splits at v, then the distance closure as row and
// column sweeps (a monotone path adds the gaps between its ends, any other path is dominated);
// (2) each vector of the full set is traced back to a grid tree, which is contracted into d-2
// degree-3 Steiner points (coincident points allowed) with every pin a leaf; (3) the topology's
// vector is recomputed in the real frame and must equal the traced one; (4) the solutions are
// ordered as a minimum spanning tree in L1 distance grown from the base, so that each one is
// written as a short difference from an earlier one.
//
// Cost: about 3^(d-1) split pairs per grid node, each a product of two small Pareto sets.

#include "Solver.h"

#include <algorithm>
#include <stdexcept>

namespace lutgen {

namespace {

[[noreturn]] void fail(const char* what) { throw std::runtime_error(what); }

}  // namespace

void Solver::setUp(int d, const Frame& key) {
  d_ = d;
  n_ = d - 2;
  nodes_ = n_ * n_;
  fields_ = 2 * n_ - 2;
  guard_ = 0;
  for (int f = 0; f < fields_; ++f) guard_ |= Vec(16) << (5 * f);

  // Clamped pins: the two bottom pins share the first inner row, the two top pins the last.
  for (int i = 0; i < d; ++i) {
    const int row = i < 2 ? 0 : (i >= d - 2 ? n_ - 1 : i - 1);
    pinNode_[i] = row * n_ + (key[i] - 1);
  }
  terms_ = 0;
  for (int i = 0; i < d; ++i) {
    bool seen = false;
    for (int j = 0; j < terms_; ++j) seen |= termNode_[j] == pinNode_[i];
    if (!seen) termNode_[terms_++] = pinNode_[i];
  }

  dist_.assign(std::size_t(nodes_) * nodes_, 0);
  for (int u = 0; u < nodes_; ++u)
    for (int v = 0; v < nodes_; ++v) {
      Vec x = 0;
      const int r0 = std::min(u / n_, v / n_), r1 = std::max(u / n_, v / n_);
      const int c0 = std::min(u % n_, v % n_), c1 = std::max(u % n_, v % n_);
      for (int g = r0; g < r1; ++g) x += Vec(1) << (5 * g);
      for (int g = c0; g < c1; ++g) x += Vec(1) << (5 * (n_ - 1 + g));
      dist_[std::size_t(u) * nodes_ + v] = x;
    }
  if (int(work_.size()) < nodes_) work_.resize(nodes_);
}

int Solver::sumOf(Vec v) const {
  int s = 0;
  for (int f = 0; f < fields_; ++f) s += int((v >> (5 * f)) & 31);
  return s;
}

void Solver::addChecked(Vec& a, Vec b) const {
  a += b;
  if (a & guard_) fail("crossing count above 15");
}

// Keeps `set` an antichain: a candidate dominated by (or equal to) a member is dropped, members
// dominated by an accepted candidate are removed.
void Solver::paretoInsert(std::vector<Vec>& set, Vec c) const {
  for (const Vec e : set)
    if (lessEq(e, c)) return;
  std::size_t j = 0;
  for (std::size_t i = 0; i < set.size(); ++i)
    if (!lessEq(c, set[i])) set[j++] = set[i];
  set.resize(j);
  set.push_back(c);
}

void Solver::computeSets() {
  const int full = (1 << (terms_ - 1)) - 1;
  pool_.clear();
  start_.assign(std::size_t(full + 1) * nodes_, 0);
  count_.assign(std::size_t(full + 1) * nodes_, 0);
  for (int mask = 1; mask <= full; ++mask) {
    if ((mask & (mask - 1)) == 0) {
      const int term = __builtin_ctz(mask) + 1;
      for (int v = 0; v < nodes_; ++v) work_[v].assign(1, dist_[std::size_t(termNode_[term]) * nodes_ + v]);
    } else {
      const int low = mask & -mask, rest = mask ^ low;
      for (int v = 0; v < nodes_; ++v) {
        std::vector<Vec>& out = work_[v];
        out.clear();
        for (int sub = rest;; sub = (sub - 1) & rest) {
          const int a = low | sub, b = mask ^ a;
          if (b != 0) {
            const Vec* pa = setBegin(a, v);
            const Vec* pb = setBegin(b, v);
            const int na = setSize(a, v), nb = setSize(b, v);
            for (int i = 0; i < na; ++i)
              for (int j = 0; j < nb; ++j) {
                Vec c = pa[i];
                addChecked(c, pb[j]);
                paretoInsert(out, c);
              }
          }
          if (sub == 0) break;
        }
      }
      // Distance closure: along each row both ways, then along each column both ways.
      auto relax = [&](int from, int to, int field) {
        for (const Vec x : work_[from]) {
          Vec c = x;
          addChecked(c, Vec(1) << (5 * field));
          paretoInsert(work_[to], c);
        }
      };
      for (int r = 0; r < n_; ++r) {
        for (int c = 1; c < n_; ++c) relax(r * n_ + c - 1, r * n_ + c, n_ - 1 + c - 1);
        for (int c = n_ - 2; c >= 0; --c) relax(r * n_ + c + 1, r * n_ + c, n_ - 1 + c);
      }
      for (int c = 0; c < n_; ++c) {
        for (int r = 1; r < n_; ++r) relax((r - 1) * n_ + c, r * n_ + c, r - 1);
        for (int r = n_ - 2; r >= 0; --r) relax((r + 1) * n_ + c, r * n_ + c, r);
      }
    }
    for (int v = 0; v < nodes_; ++v) {
      start_[std::size_t(mask) * nodes_ + v] = uint32_t(pool_.size());
      count_[std::size_t(mask) * nodes_ + v] = uint32_t(work_[v].size());
      pool_.insert(pool_.end(), work_[v].begin(), work_[v].end());
    }
  }
}

bool Solver::contains(int mask, int node, Vec v) const {
  const Vec* p = setBegin(mask, node);
  return std::find(p, p + setSize(mask, node), v) != p + setSize(mask, node);
}

// Marks the grid edges of a monotone path, rows first. Any edge used twice means the traced
// structure is not a tree, which a Pareto-minimal vector rules out.
void Solver::addPath(int from, int to) {
  const int hEdges = n_ * (n_ - 1);
  int r = from / n_, c = from % n_;
  const int r1 = to / n_, c1 = to % n_;
  auto mark = [&](int e) {
    if (edgeUsed_[e]) fail("traced tree uses a grid edge twice");
    edgeUsed_[e] = 1;
  };
  while (r != r1) {
    const int rr = std::min(r, r + (r1 > r ? 1 : -1));
    mark(hEdges + rr * n_ + c);
    r += r1 > r ? 1 : -1;
  }
  while (c != c1) {
    const int cc = std::min(c, c + (c1 > c ? 1 : -1));
    mark(r * (n_ - 1) + cc);
    c += c1 > c ? 1 : -1;
  }
}

void Solver::trace(int mask, int node, Vec v) {
  if ((mask & (mask - 1)) == 0) {
    const int term = __builtin_ctz(mask) + 1;
    if (dist_[std::size_t(termNode_[term]) * nodes_ + node] != v) fail("trace: leaf vector mismatch");
    addPath(termNode_[term], node);
    return;
  }
  const int low = mask & -mask, rest = mask ^ low;
  for (int sub = rest;; sub = (sub - 1) & rest) {
    const int a = low | sub, b = mask ^ a;
    if (b != 0) {
      const Vec* pa = setBegin(a, node);
      for (int i = 0; i < setSize(a, node); ++i)
        if (lessEq(pa[i], v) && contains(b, node, v - pa[i])) {
          const Vec x = pa[i];
          trace(a, node, x);
          trace(b, node, v - x);
          return;
        }
    }
    if (sub == 0) break;
  }
  for (int u = 0; u < nodes_; ++u) {
    const Vec dv = dist_[std::size_t(u) * nodes_ + node];
    if (u != node && lessEq(dv, v) && contains(mask, u, v - dv)) {
      addPath(u, node);
      trace(mask, u, v - dv);
      return;
    }
  }
  fail("trace: vector not reachable");
}

// Contracts the traced grid tree: key nodes hold pins or branch (grid degree 3 or more); paths of
// degree-2 nodes between them become single connections. A key node with m pins and j connections
// gets a chain of m + j - 2 Steiner points (pins first, then connections by node index); a lone pin
// at the end of one connection is itself the end. The root is the first Steiner point.
void Solver::buildTopology(Solution& sol) const {
  const int d = d_;
  const int hEdges = n_ * (n_ - 1);
  std::vector<std::vector<int>> adj(nodes_);
  for (int e = 0; e < 2 * hEdges; ++e) {
    if (!edgeUsed_[e]) continue;
    int u, v;
    if (e < hEdges) {
      u = (e / (n_ - 1)) * n_ + e % (n_ - 1);
      v = u + 1;
    } else {
      u = e - hEdges;
      v = u + n_;
    }
    adj[u].push_back(v);
    adj[v].push_back(u);
  }
  std::vector<int> pinsAt(nodes_, 0);
  for (int i = 0; i < d; ++i) ++pinsAt[pinNode_[i]];
  auto isKey = [&](int v) { return pinsAt[v] > 0 || adj[v].size() >= 3; };

  std::vector<std::vector<int>> links(nodes_);  // contracted connections, by other key node
  for (int x = 0; x < nodes_; ++x) {
    if (!isKey(x)) {
      if (adj[x].size() == 1) fail("topology: leaf without a pin");
      continue;
    }
    for (const int first : adj[x]) {
      int prev = x, cur = first;
      while (!isKey(cur)) {
        const int next = adj[cur][0] == prev ? adj[cur][1] : adj[cur][0];
        prev = cur;
        cur = next;
      }
      links[x].push_back(cur);
    }
    std::sort(links[x].begin(), links[x].end());
  }

  std::vector<int> port(std::size_t(nodes_) * nodes_, -1);  // [x * nodes + y]: vertex at x ending x-y
  std::vector<std::pair<int, int>> edges;
  std::vector<int> steinerNode;
  for (int x = 0; x < nodes_; ++x) {
    if (!isKey(x)) continue;
    std::vector<int> items;  // pins as their index, connections as -1 - other node
    for (int i = 0; i < d; ++i)
      if (pinNode_[i] == x) items.push_back(i);
    for (const int y : links[x]) items.push_back(-1 - y);
    const int k = int(items.size());
    if (k == 2 && items[0] >= 0 && items[1] < 0) {
      port[std::size_t(x) * nodes_ + (-1 - items[1])] = items[0];
      continue;
    }
    if (k < 3) fail("topology: key node with fewer than three ends");
    const int first = d + int(steinerNode.size());
    for (int s = 0; s < k - 2; ++s) steinerNode.push_back(x);
    for (int s = 0; s + 1 < k - 2; ++s) edges.push_back({first + s, first + s + 1});
    for (int idx = 0; idx < k; ++idx) {
      const int s = first + std::clamp(idx - 1, 0, k - 3);
      if (items[idx] >= 0)
        edges.push_back({items[idx], s});
      else
        port[std::size_t(x) * nodes_ + (-1 - items[idx])] = s;
    }
  }
  if (int(steinerNode.size()) != d - 2) fail("topology: wrong number of Steiner points");
  for (int x = 0; x < nodes_; ++x)
    for (const int y : links[x])
      if (x < y) edges.push_back({port[std::size_t(x) * nodes_ + y], port[std::size_t(y) * nodes_ + x]});
  if (int(edges.size()) != 2 * d - 3) fail("topology: wrong number of connections");

  std::vector<std::vector<int>> vadj(2 * d - 2);
  for (const auto& [a, b] : edges) {
    if (a < 0 || b < 0) fail("topology: unresolved connection");
    vadj[a].push_back(b);
    vadj[b].push_back(a);
  }
  for (int i = 0; i < 2 * d - 2; ++i)
    if (int(vadj[i].size()) != (i < d ? 1 : 3)) fail("topology: wrong vertex degree");
  // Orient towards the root by a breadth-first walk.
  std::vector<int> parent(2 * d - 2, -1), queue{d};
  parent[d] = d;
  for (std::size_t q = 0; q < queue.size(); ++q)
    for (const int w : vadj[queue[q]])
      if (parent[w] < 0) {
        parent[w] = queue[q];
        queue.push_back(w);
      }
  if (int(queue.size()) != 2 * d - 2) fail("topology: not connected");
  for (int i = 0; i < 2 * d - 2; ++i) sol.neighbor[i] = uint8_t(parent[i]);
  for (int s = 0; s < d - 2; ++s) {
    const int node = steinerNode[s];
    sol.rowcol[s] = uint8_t(((node / n_ + 1) << 4) | (node % n_ + 1));
  }
}

DataSet Solver::solve(int d, const Frame& key, const Frame& frame) {
  setUp(d, key);
  computeSets();
  const int full = (1 << (terms_ - 1)) - 1;
  const Vec* best = setBegin(full, termNode_[0]);
  std::vector<Vec> vecs(best, best + setSize(full, termNode_[0]));
  if (vecs.empty() || int(vecs.size()) > kMaxSolutions - 1) fail("solution count out of range");
  // Fewest extra crossings first, then by the gaps in index order.
  auto fieldsOf = [&](Vec v) {
    std::vector<int> f(fields_);
    for (int i = 0; i < fields_; ++i) f[i] = int((v >> (5 * i)) & 31);
    return f;
  };
  std::sort(vecs.begin(), vecs.end(), [&](Vec a, Vec b) {
    const int sa = sumOf(a), sb = sumOf(b);
    return sa != sb ? sa < sb : fieldsOf(a) < fieldsOf(b);
  });

  const int hEdges = n_ * (n_ - 1);
  std::vector<Solution> sols(vecs.size());
  for (std::size_t i = 0; i < vecs.size(); ++i) {
    edgeUsed_.assign(2 * hEdges, 0);
    trace(full, termNode_[0], vecs[i]);
    Solution& sol = sols[i];
    buildTopology(sol);

    // Recompute the crossings of the topology in the real frame of `frame`, with the exchange rules
    // of the tree builder applied, and compare with the traced vector.
    int row[16], col[16], nb[16];
    for (int p = 0; p < d; ++p) row[p] = p, col[p] = frame[p];
    for (int s = 0; s < d - 2; ++s) row[d + s] = sol.rowcol[s] >> 4, col[d + s] = sol.rowcol[s] & 15;
    for (int b = 0; b < 2 * d - 2; ++b) nb[b] = sol.neighbor[b];
    if (frame[0] <= frame[1]) std::swap(nb[0], nb[1]);
    if (frame[d - 2] <= frame[d - 1]) std::swap(nb[d - 2], nb[d - 1]);
    int rowCross[16] = {}, colCross[16] = {};
    for (int b = 0; b < 2 * d - 2; ++b) {
      const int m = nb[b];
      for (int g = std::min(row[b], row[m]); g < std::max(row[b], row[m]); ++g) ++rowCross[g];
      for (int g = std::min(col[b], col[m]); g < std::max(col[b], col[m]); ++g) ++colCross[g];
    }
    if (rowCross[0] != 1 || rowCross[d - 2] != 1 || colCross[0] != 1 || colCross[d - 2] != 1)
      fail("topology crosses an outer gap more than once");
    const std::vector<int> f = fieldsOf(vecs[i]);
    for (int g = 1; g <= d - 3; ++g) {
      if (rowCross[g] != f[g - 1] || colCross[g] != f[n_ - 1 + g - 1])
        fail("topology vector differs from traced vector");
      sol.extra[g] = rowCross[g] - 1;
      sol.extra[d - 1 + g] = colCross[g] - 1;
    }
  }

  // Prim's tree in L1 distance from the base (all extras 0); ties go to the earlier vector in the
  // order above and, for the parent, to the earlier attached solution.
  const int m = int(sols.size());
  auto l1 = [&](const int* a, const int* b) {
    int s = 0;
    for (int g = 1; g <= 2 * d - 4; ++g) s += std::abs(a[g] - b[g]);
    return s;
  };
  const int zero[16] = {};
  std::vector<int> keyDist(m), keyParent(m, 0), order;
  std::vector<bool> done(m, false);
  for (int c = 0; c < m; ++c) keyDist[c] = l1(sols[c].extra, zero);
  std::vector<int> position(m, 0);  // 1-based position in the output order
  for (int step = 0; step < m; ++step) {
    int pick = -1;
    for (int c = 0; c < m; ++c)
      if (!done[c] && (pick < 0 || keyDist[c] < keyDist[pick])) pick = c;
    done[pick] = true;
    order.push_back(pick);
    position[pick] = step + 1;
    for (int c = 0; c < m; ++c) {
      if (done[c]) continue;
      const int dd = l1(sols[c].extra, sols[pick].extra);
      if (dd < keyDist[c]) keyDist[c] = dd, keyParent[c] = pick + 1;  // +1: 0 stands for the base
    }
  }
  DataSet out;
  for (const int c : order) {
    Solution sol = sols[c];
    sol.parent = keyParent[c] == 0 ? 0 : position[keyParent[c] - 1];
    const int* from = keyParent[c] == 0 ? zero : sols[keyParent[c] - 1].extra;
    for (int g = 1; g <= 2 * d - 4; ++g) {
      for (int u = from[g]; u < sol.extra[g]; ++u) sol.add.push_back(g);
      for (int u = sol.extra[g]; u < from[g]; ++u) sol.sub.push_back(g);
    }
    if (int(sol.add.size() + sol.sub.size()) > kMaxListEntries) fail("difference list longer than 10 entries");
    if (out.solutions.empty() && (sol.parent != 0 || !sol.sub.empty())) fail("first solution not based on the base");
    out.solutions.push_back(std::move(sol));
  }
  return out;
}

}  // namespace lutgen
