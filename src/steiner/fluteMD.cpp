// Net breaking for nets of more than nine pins, and the joins of two sub-trees.
//
// flutes_MD splits a net at one pin into two nets that share it, builds both (by table when small
// enough, else recursively) and joins the trees. A lower-left or lower-right block of the lowest
// pins gives a free split at its corner (dmergetree). Otherwise every x rank and y position of a
// central range is scored from prefix and suffix extents in O(d) and the best few are tried; the
// shortest joined pair is kept and joined at a new Steiner point (vmergetree for a row break,
// hmergetree for a column break). Every part has fewer pins than its net, so the recursion ends.
//
// The scores mix single and double precision in a fixed order: the order decides which break
// wins, so every rounding step below is deliberate.

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

#include "db/Report.h"
#include "steiner/flute.h"
#include "steiner/fluteBreaking.h"

namespace fluteBreaking {

BreakScores scoreBreaks(int d, const int* xs, const int* ys, const int* s, const int* si, int acc, bool lengthOnly) {
  BreakScores b;
  // Any accuracy of d or more already gives the widest range; the clamp keeps 2 * acc in range.
  b.lb = std::max(2, (d + 2 - 2 * std::min(acc, d)) / 4);
  b.ub = d - 1 - b.lb;

  const float wc = float(7.4 / double((d + 10) * (d - 3)));
  const float we = float(4.8 / double(d - 1));
  const float h = float(xs[d - 2] - xs[1]) * wc;
  const float v = float(ys[d - 2] - ys[1]) * wc;

  // Centre weight of a position; its multiples of h and v by repeated single-precision addition.
  std::vector<int> w(d);
  for (int i = 0; i < d; ++i) w[i] = (std::abs(2 * i - (d - 1)) + 1) / 2;
  if (!lengthOnly) w[0] = w[1], w[d - 1] = w[d - 2];
  const int wMax = *std::max_element(w.begin(), w.end());
  std::vector<float> hMul(wMax + 1, 0.0f), vMul(wMax + 1, 0.0f);
  for (int k = 1; k <= wMax; ++k) hMul[k] = hMul[k - 1] + h, vMul[k] = vMul[k - 1] + v;
  std::vector<float> score(d);  // per x rank
  for (int r = 0; r < d; ++r) score[r] = hMul[w[r]] + vMul[w[si[r]]];

  // Extents of the two parts of every break, from prefix and suffix minima and maxima.
  std::vector<int> xsum(d), ysum(d);  // xsum per y position, ysum per x rank
  int lo = s[0], hi = s[0];
  for (int i = 0; i < d; ++i) {
    lo = std::min(lo, s[i]), hi = std::max(hi, s[i]);
    xsum[i] = xs[hi] - xs[lo];
  }
  lo = hi = s[d - 1];
  for (int i = d - 1; i >= 0; --i) {
    lo = std::min(lo, s[i]), hi = std::max(hi, s[i]);
    xsum[i] += xs[hi] - xs[lo];
  }
  const int bias = (xs[d - 1] - xs[0]) - (ys[d - 1] - ys[0]);
  lo = hi = si[0];
  for (int r = 0; r < d; ++r) {
    lo = std::min(lo, si[r]), hi = std::max(hi, si[r]);
    ysum[r] = bias + (ys[hi] - ys[lo]);
  }
  lo = hi = si[d - 1];
  for (int r = d - 1; r >= 0; --r) {
    lo = std::min(lo, si[r]), hi = std::max(hi, si[r]);
    ysum[r] += ys[hi] - ys[lo];
  }

  // Gap between the neighbours of the break pin's position p on the other axis (sorted list c).
  auto gap = [&](const int* c, int p, int* g, double* coef) {
    if (lengthOnly) {
      if (p == 0 || p == d - 1)
        *g = c[d - 2] - c[1], *coef = -0.6;
      else
        *g = c[p + 1] - c[p - 1], *coef = -0.3;
    } else if (p <= 1) {
      *g = c[2] - c[1], *coef = -0.6;
    } else if (p >= d - 2) {
      *g = c[d - 2] - c[d - 3], *coef = -0.6;
    } else {
      *g = c[p + 1] - c[p - 1], *coef = -0.3;
    }
  };

  b.value.resize(std::size_t(2 * (b.ub - b.lb + 1)));
  for (int j = 0; j <= b.ub - b.lb; ++j) {
    const int i = b.lb + j;
    int g = 0;
    double coef = 0;
    gap(ys, si[i], &g, &coef);
    const float xSpan = float(xs[i + 1] - xs[i - 1]) - score[i];
    b.value[2 * j] = float(double(xSpan) + coef * double(g) - double(float(ysum[i]) * we));
    gap(xs, s[i], &g, &coef);
    const float ySpan = float(ys[i + 1] - ys[i - 1]) - score[s[i]];
    b.value[2 * j + 1] = float(double(ySpan) + coef * double(g) - double(float(xsum[i]) * we));
  }
  return b;
}

// A later entry wins only when strictly larger, so equal scores go to the earliest entry.
int takeBest(std::vector<float>& value) {
  int best = 0;
  for (int k = 1; k < int(value.size()); ++k) {
    if (value[k] > value[best]) best = k;
  }
  value[best] = -9e9f;
  return best;
}

int breakTries(int acc, int count) { return (acc > 3 && acc >= count) ? count - 1 : acc; }
int partAccuracy(int acc) { return acc > 3 ? acc / 2 : 1; }

void splitAtRow(int d, const int* xs, const int* ys, const int* si, int p, SplitNet& n) {
  n.x1.resize(p + 1), n.s1.resize(p + 1), n.x2.resize(d - p), n.s2.resize(d - p);
  n.y1.assign(ys, ys + p + 1);
  n.y2.assign(ys + p, ys + d);
  int n1 = 0, n2 = 0;
  for (int r = 0; r < d; ++r) {  // x-rank order keeps both x lists sorted
    const int i = si[r];
    if (i <= p) n.s1[i] = n1, n.x1[n1++] = xs[r];
    if (i >= p) n.s2[i - p] = n2, n.x2[n2++] = xs[r];
  }
  n.i1 = p, n.i2 = 0;
}

void splitAtColumn(int d, const int* xs, const int* ys, const int* s, int p, SplitNet& n) {
  n.x1.assign(xs, xs + p + 1);
  n.x2.assign(xs + p, xs + d);
  n.y1.resize(p + 1), n.s1.resize(p + 1), n.y2.resize(d - p), n.s2.resize(d - p);
  int n1 = 0, n2 = 0;
  for (int i = 0; i < d; ++i) {  // y order keeps both y lists sorted
    const int r = s[i];
    if (r == p) n.i1 = n1, n.i2 = n2;
    if (r <= p) n.s1[n1] = r, n.y1[n1++] = ys[i];
    if (r >= p) n.s2[n2] = r - p, n.y2[n2++] = ys[i];
  }
}

bool cornerSplit(int d, const int* xs, const int* ys, const int* s, SplitNet& n) {
  if (s[0] < s[d - 1]) {
    // Smallest lower-left block: positions 0..j hold exactly the ranks 0..j.
    int j = 1, hi = std::max(s[0], s[1]);
    while (hi != j) hi = std::max(hi, s[++j]);
    if (j > d - 3) return false;
    n.x1.assign(xs, xs + j + 1), n.x1.push_back(xs[j]);
    n.y1.assign(ys, ys + j + 1), n.y1.push_back(ys[j]);
    n.s1.assign(s, s + j + 1), n.s1.push_back(j + 1);
    n.x2.assign(xs + j, xs + d);
    n.y2.assign(ys + j, ys + d);
    n.s2.assign(1, 0);
    for (int i = j + 1; i < d; ++i) n.s2.push_back(s[i] - j);
    return true;
  }
  // Smallest lower-right block: positions 0..j hold exactly the ranks d-1-j..d-1.
  int j = 1, lo = std::min(s[0], s[1]);
  while (lo != d - 1 - j) lo = std::min(lo, s[++j]);
  const int m = d - 1 - j;
  if (m < 2) return false;
  n.x1.assign(1, xs[m]), n.x1.insert(n.x1.end(), xs + m, xs + d);
  n.y1.assign(ys, ys + j + 1), n.y1.push_back(ys[j]);
  n.s1.resize(j + 2);
  for (int i = 0; i <= j; ++i) n.s1[i] = s[i] - m + 1;
  n.s1[j + 1] = 0;
  n.x2.assign(xs, xs + m + 1);
  n.y2.assign(ys + j, ys + d);
  n.s2.assign(1, m);
  for (int i = j + 1; i < d; ++i) n.s2.push_back(s[i]);
  return true;
}

std::vector<int> inverseRanks(int d, const int* s) {
  std::vector<int> si(d);
  for (int i = 0; i < d; ++i) si[s[i]] = i;
  return si;
}

int removeDuplicates(int d, int* xs, int* ys, int* s) {
  int i = 0;
  while (i < d - 1) {
    if (ys[i] != ys[i + 1] || xs[s[i]] != xs[s[i + 1]]) {
      ++i;
      continue;
    }
    // The smaller rank stays at position i; the larger leaves the x list. Position i is examined
    // again against its new successor.
    const int gone = std::max(s[i], s[i + 1]);
    s[i] = std::min(s[i], s[i + 1]);
    for (int k = i + 1; k < d - 1; ++k) ys[k] = ys[k + 1], s[k] = s[k + 1];
    for (int r = gone; r < d - 1; ++r) xs[r] = xs[r + 1];
    --d;
    for (int k = 0; k < d; ++k) {
      if (s[k] > gone) --s[k];
    }
  }
  return d;
}

void sortPins(int d, const int* x, const int* y, int* xs, int* ys, int* s, int* order) {
  struct Pin {
    int x, y, rank, index;
  };
  std::vector<Pin> pin(d);
  for (int i = 0; i < d; ++i) pin[i] = {x[i], y[i], 0, i};
  // Selection sorts: the first strictly smaller key met becomes the minimum, then one exchange.
  for (int i = 0; i < d - 1; ++i) {
    int m = i;
    for (int j = i + 1; j < d; ++j) {
      if (pin[j].x < pin[m].x) m = j;
    }
    std::swap(pin[i], pin[m]);
  }
  for (int i = 0; i < d; ++i) xs[i] = pin[i].x, pin[i].rank = i;
  for (int i = 0; i < d - 1; ++i) {
    int m = i;
    for (int j = i + 1; j < d; ++j) {
      if (pin[j].y < pin[m].y) m = j;
    }
    std::swap(pin[i], pin[m]);
  }
  for (int i = 0; i < d; ++i) {
    ys[i] = pin[i].y, s[i] = pin[i].rank;
    if (order) order[i] = pin[i].index;
  }
}

}  // namespace fluteBreaking

using namespace fluteBreaking;

namespace {

Tree makeTree(int deg) {
  Tree t;
  t.deg = deg;
  t.branch = std::make_unique<Branch[]>(std::size_t(std::max(0, 2 * deg - 2)));
  return t;
}

// A part of a broken net: by table when it fits, else broken again.
Tree buildPart(const std::vector<int>& xs, const std::vector<int>& ys, const std::vector<int>& s, int acc) {
  const int d = int(s.size());
  return d <= 9 ? flutes_LD(d, xs.data(), ys.data(), s.data()) : flutes_MD(d, xs.data(), ys.data(), s.data(), acc);
}

// The break pin's coordinate b clamped into the span of the two points it links to in its two
// parts; the distance from b is the stretch both links share.
int clampToLinks(int b, int a1, int a2) {
  const int hi = std::max(a1, a2), lo = std::min(a1, a2);
  return b > hi ? hi : (b < lo ? lo : b);
}

// Hangs t1's branch a (copied into res at a + off) on branch `to` of res: a points to `to`, and
// each further branch on a's old path to t1's root points back to the one before it. The path
// holds Steiner points only; a malformed t1 (a pin on the path, no root) stops the walk with an
// internal error instead of writing into other slots or looping.
void rehangPath(const Tree& t1, int a, int off, Branch* res, int to) {
  int prev = to, cur = a;
  for (int step = 0; step < 2 * t1.deg - 2; ++step) {
    if (cur < t1.deg || cur >= 2 * t1.deg - 2) break;
    const int next = t1.branch[cur].n;
    res[cur + off].n = prev;
    if (next == cur) return;
    prev = cur + off;
    cur = next;
  }
  reportInconsistency("flute", 1, " sub-tree path to its root leaves the Steiner points");
}

Branch translated(const Branch& b, int off) { return {b.x, b.y, b.n + off}; }

// t's Steiner points k = deg..2deg-3 go to k + off. Links are translated as Steiner indices:
// every branch of a part links to a Steiner point.
void copySteiner(const Tree& t, int off, Branch* res) {
  for (int k = t.deg; k < 2 * t.deg - 2; ++k) res[k + off] = translated(t.branch[k], off);
}

}  // namespace

Tree flutes_MD(int d, const int* xs, const int* ys, const int* s, int acc) {
  if (d <= 9) return flutes_LD(d, xs, ys, s);
  acc = std::max(acc, 1);  // at least one break is always tried

  SplitNet n;
  if (cornerSplit(d, xs, ys, s, n)) {
    const Tree t1 = buildPart(n.x1, n.y1, n.s1, acc);
    const Tree t2 = buildPart(n.x2, n.y2, n.s2, acc);
    return dmergetree(t1, t2);
  }

  const std::vector<int> si = inverseRanks(d, s);
  BreakScores cand = scoreBreaks(d, xs, ys, s, si.data(), acc, false);
  const int tries = breakTries(acc, int(cand.value.size()));
  const int subAcc = partAccuracy(acc);

  Tree best1, best2;
  int bestLength = INT_MAX;
  bool bestAtRow = false;
  for (int t = 0; t < tries; ++t) {
    const int e = takeBest(cand.value);
    const int p = e / 2 + cand.lb;
    const bool atRow = e % 2 == 1;
    if (atRow)
      splitAtRow(d, xs, ys, si.data(), p, n);
    else
      splitAtColumn(d, xs, ys, s, p, n);
    Tree t1 = buildPart(n.x1, n.y1, n.s1, subAcc);
    Tree t2 = buildPart(n.x2, n.y2, n.s2, subAcc);

    const Branch& b1 = t1.branch[n.i1];
    const Branch& b2 = t2.branch[n.i2];
    const int b = atRow ? b2.x : b2.y;
    const int a1 = atRow ? t1.branch[b1.n].x : t1.branch[b1.n].y;
    const int a2 = atRow ? t2.branch[b2.n].x : t2.branch[b2.n].y;
    const int length = t1.length + t2.length - std::abs(b - clampToLinks(b, a1, a2));
    if (length < bestLength) {  // equal lengths keep the earlier try
      bestLength = length;
      best1 = std::move(t1), best2 = std::move(t2);
      bestAtRow = atRow;
    }
  }
  return bestAtRow ? vmergetree(best1, best2) : hmergetree(best1, best2, s);
}

Tree dmergetree(const Tree& t1, const Tree& t2) {
  const int d1 = t1.deg, d2 = t2.deg;
  const int off1 = d2 - 2, off2 = 2 * d1 - 4;
  Tree res = makeTree(d1 + d2 - 2);
  res.length = t1.length + t2.length;
  Branch* r = res.branch.get();
  for (int i = 0; i < d1 - 1; ++i) r[i] = translated(t1.branch[i], off1);
  for (int j = 1; j < d2; ++j) r[d1 - 2 + j] = translated(t2.branch[j], off2);
  copySteiner(t1, off1, r);
  copySteiner(t2, off2, r);
  // Both copies of the corner go; t1's side of it hangs on t2's side of it.
  rehangPath(t1, t1.branch[d1 - 1].n, off1, r, t2.branch[0].n + off2);
  return res;
}

Tree vmergetree(const Tree& t1, const Tree& t2) {
  const int d1 = t1.deg, d2 = t2.deg, d = d1 + d2 - 1;
  const int off1 = d2 - 1, off2 = 2 * d1 - 3, fresh = 2 * d - 3;
  Tree res = makeTree(d);
  Branch* r = res.branch.get();
  for (int i = 0; i < d1 - 1; ++i) r[i] = translated(t1.branch[i], off1);
  for (int j = 0; j < d2; ++j) r[d1 - 1 + j] = translated(t2.branch[j], off2);
  copySteiner(t1, off1, r);
  copySteiner(t2, off2, r);

  // The new point in the break pin's row takes over the pin's link in t2; t1's side hangs on it.
  const Branch& pin = t2.branch[0];
  const int a = t1.branch[d1 - 1].n;
  const int x = clampToLinks(pin.x, t1.branch[a].x, t2.branch[pin.n].x);
  res.length = t1.length + t2.length - std::abs(pin.x - x);
  r[fresh] = {x, pin.y, r[d1 - 1].n};
  r[d1 - 1].n = fresh;
  rehangPath(t1, a, off1, r, fresh);
  return res;
}

Tree hmergetree(const Tree& t1, const Tree& t2, const int* s) {
  const int d1 = t1.deg, d2 = t2.deg, d = d1 + d2 - 1;
  const int off1 = d2 - 1, off2 = 2 * d1 - 3, fresh = 2 * d - 3;
  Tree res = makeTree(d);
  Branch* r = res.branch.get();
  // Pins in the whole net's y order; the break pin (x rank d1-1) is taken from t2.
  int n1 = 0, n2 = 0, brk = 0, brk1 = 0, brk2 = 0;
  for (int i = 0; i < d; ++i) {
    if (s[i] < d1 - 1) {
      r[i] = translated(t1.branch[n1++], off1);
    } else if (s[i] > d1 - 1) {
      r[i] = translated(t2.branch[n2++], off2);
    } else {
      brk = i, brk1 = n1++, brk2 = n2;
      r[i] = translated(t2.branch[n2++], off2);
    }
  }
  copySteiner(t1, off1, r);
  copySteiner(t2, off2, r);

  // The new point in the break pin's column takes over its link in t2; t1's side hangs on it.
  const Branch& pin = t2.branch[brk2];
  const int a = t1.branch[brk1].n;
  const int y = clampToLinks(pin.y, t1.branch[a].y, t2.branch[pin.n].y);
  res.length = t1.length + t2.length - std::abs(pin.y - y);
  r[fresh] = {pin.x, y, r[brk].n};
  r[brk].n = fresh;
  rehangPath(t1, a, off1, r, fresh);
  return res;
}

void local_refinement(Tree& tree, int p) {
  const int d = tree.deg, nb = 2 * d - 2;
  if (d < 4 || p < 0 || p >= d) return;
  Branch* br = tree.branch.get();
  const int q = br[p].n;

  // Re-root at q: reverse the path from q to the old root.
  {
    int prev = q, cur = q;
    for (int step = 0; step <= nb; ++step) {
      const int next = br[cur].n;
      br[cur].n = prev;
      if (next == cur) break;
      prev = cur, cur = next;
      if (step == nb) reportInconsistency("flute", 2, " tree without a root");
    }
  }

  // Children lists in index order (deterministic traversal).
  std::vector<int> first(nb + 1, 0), child(nb);
  for (int k = 0; k < nb; ++k) {
    if (br[k].n != k) ++first[br[k].n + 1];
  }
  for (int k = 0; k < nb; ++k) first[k + 1] += first[k];
  {
    std::vector<int> fill(first.begin(), first.end() - 1);
    for (int k = 0; k < nb; ++k) {
      if (br[k].n != k) child[fill[br[k].n]++] = k;
    }
  }
  // A Steiner point on the very spot of a pin linked to it stands for that pin.
  std::vector<char> onPin(nb, 0);
  for (int i = 0; i < d; ++i) {
    const int k = br[i].n;
    if (k >= d && k != q && br[k].x == br[i].x && br[k].y == br[i].y) onPin[k] = 1;
  }

  // Neighbourhood of q: leaves are pins and pin-standing Steiner points, inner nodes the other
  // Steiner points reached from q.
  std::vector<int> leaves, inner{q}, stack{q};
  while (!stack.empty()) {
    const int u = stack.back();
    stack.pop_back();
    for (int c = first[u]; c < first[u + 1]; ++c) {
      const int k = child[c];
      if (k < d || onPin[k]) {
        leaves.push_back(k);
      } else {
        inner.push_back(k);
        stack.push_back(k);
      }
    }
    if (leaves.size() > 9) return;
  }
  const int c = int(leaves.size());
  if (c < 4 || int(inner.size()) != c - 2) return;

  std::vector<int> x(c), y(c), xs(c), ys(c), s(c), order(c);
  for (int i = 0; i < c; ++i) x[i] = br[leaves[i]].x, y[i] = br[leaves[i]].y;
  sortPins(c, x.data(), y.data(), xs.data(), ys.data(), s.data(), order.data());
  const Tree local = flutes_LD(c, xs.data(), ys.data(), s.data());

  int replaced = 0;
  auto linkLength = [&](int k) { return std::abs(br[k].x - br[br[k].n].x) + std::abs(br[k].y - br[br[k].n].y); };
  for (int k : leaves) replaced += linkLength(k);
  for (int k : inner) replaced += linkLength(k);  // q is the root: adds 0

  // Slots of the local branches: its pins go to the leaves they came from, its root (if a Steiner
  // point) to q, its other Steiner points to the remaining inner slots in order.
  std::vector<int> slot(2 * c - 2);
  for (int i = 0; i < c; ++i) slot[i] = leaves[order[i]];
  int root = 0;
  for (int k = 0; k < 2 * c - 2; ++k) {
    if (local.branch[k].n == k) root = k;
  }
  std::size_t nextInner = 0;
  if (root >= c) slot[root] = inner[nextInner++];
  for (int k = c; k < 2 * c - 2; ++k) {
    if (k != root) slot[k] = inner[nextInner++];
  }
  for (int k = 0; k < 2 * c - 2; ++k) {
    Branch& b = br[slot[k]];
    if (k >= c) b.x = local.branch[k].x, b.y = local.branch[k].y;
    b.n = slot[local.branch[k].n];
  }
  tree.length += local.length - replaced;
}

Tree flutes_RDP(int d, int* xs, int* ys, int* s, int acc) {
  d = removeDuplicates(d, xs, ys, s);
  if (d < 2) return makeTree(d);  // every pin on one spot: nothing to connect
  return d <= 9 ? flutes_LD(d, xs, ys, s) : flutes_MD(d, xs, ys, s, acc);
}
