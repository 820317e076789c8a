// Steiner tree lengths without building the tree, and the tree utilities.
//
// The length estimators follow their tree-building twins: the table lookup for nets of up to nine
// pins (shared with flutes_LD), and net breaking for larger nets. The breaking estimator differs
// from flutes_MD in its centre score and neighbour gaps and in how a try is measured: the parts'
// lengths are added without any overlap, plus the shift of a break pin that lies in one of the
// two lowest rows or leftmost columns of the other axis.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "db/Report.h"
#include "steiner/flute.h"
#include "steiner/fluteBreaking.h"

using namespace fluteBreaking;

int flute_wl(int d, const int* x, const int* y, int acc) {
  if (d < 2) return 0;
  if (d == 2) return std::abs(x[0] - x[1]) + std::abs(y[0] - y[1]);
  if (d == 3) {
    return std::max({x[0], x[1], x[2]}) - std::min({x[0], x[1], x[2]}) + std::max({y[0], y[1], y[2]}) -
           std::min({y[0], y[1], y[2]});
  }
  std::vector<int> xs(d), ys(d), s(d);
  sortPins(d, x, y, xs.data(), ys.data(), s.data(), nullptr);
  return d <= 9 ? flutes_wl_LD(d, xs.data(), ys.data(), s.data())
                : flutes_wl_MD(d, xs.data(), ys.data(), s.data(), acc);
}

int flutes_wl_LD(int d, const int* xs, const int* ys, const int* s) {
  if (d < 2 || d > 9) return 0;  // as flutes_LD: no table covers these degrees
  if (d <= 3) return (xs[d - 1] - xs[0]) + (ys[d - 1] - ys[0]);
  const LutQuery q = lutQuery(d, xs, ys, s);
  int length = 0;
  lutBestSolution(d, q, &length);
  return length;
}

int flutes_wl_MD(int d, const int* xs, const int* ys, const int* s, int acc) {
  if (d <= 9) return flutes_wl_LD(d, xs, ys, s);
  acc = std::max(acc, 1);  // always a length, never the "nothing tried" sentinel

  auto partsLength = [](const SplitNet& n, int a) {
    const int d1 = int(n.s1.size()), d2 = int(n.s2.size());
    return flutes_wl_MD(d1, n.x1.data(), n.y1.data(), n.s1.data(), a) +
           flutes_wl_MD(d2, n.x2.data(), n.y2.data(), n.s2.data(), a);
  };

  SplitNet n;
  if (cornerSplit(d, xs, ys, s, n)) return partsLength(n, acc);

  const std::vector<int> si = inverseRanks(d, s);
  BreakScores cand = scoreBreaks(d, xs, ys, s, si.data(), acc, true);
  const int tries = breakTries(acc, int(cand.value.size()));
  const int subAcc = partAccuracy(acc);

  int best = INT_MAX;
  for (int t = 0; t < tries; ++t) {
    const int e = takeBest(cand.value);
    const int p = e / 2 + cand.lb;
    int shift = 0;
    if (e % 2 == 1) {
      splitAtRow(d, xs, ys, si.data(), p, n);
      // A break pin in one of the two leftmost columns moves one column right in both parts;
      // its rank in each part is unchanged, so both x lists stay sorted.
      const int r = s[p];
      if (r <= 1) {
        shift = xs[r + 1] - xs[r];
        n.x1[n.s1[n.i1]] = xs[r + 1];
        n.x2[n.s2[n.i2]] = xs[r + 1];
      }
    } else {
      splitAtColumn(d, xs, ys, s, p, n);
      // The same upward for a break pin in one of the two lowest rows.
      const int q = si[p];
      if (q <= 1) {
        shift = ys[q + 1] - ys[q];
        n.y1[n.i1] = ys[q + 1];
        n.y2[n.i2] = ys[q + 1];
      }
    }
    best = std::min(best, partsLength(n, subAcc) + shift);
  }
  return best;
}

int flutes_wl_RDP(int d, int* xs, int* ys, int* s, int acc) {
  d = removeDuplicates(d, xs, ys, s);
  if (d < 2) return 0;
  return d <= 9 ? flutes_wl_LD(d, xs, ys, s) : flutes_wl_MD(d, xs, ys, s, acc);
}

int wirelength(const Tree& tree) {
  const int nb = 2 * tree.deg - 2;
  int length = 0;
  for (int i = 0; i < nb; ++i) {
    const Branch& b = tree.branch[i];
    if (b.n < 0 || b.n >= nb) {
      reportInconsistency("flute", 3, format(" branch %d links to %d", i, b.n));
      continue;
    }
    length += std::abs(b.x - tree.branch[b.n].x) + std::abs(b.y - tree.branch[b.n].y);
  }
  return length;
}

void plottree(const Tree& tree) {
  for (int i = 0; i < 2 * tree.deg - 2; ++i) {
    const Branch& b = tree.branch[i];
    std::printf("%d %d\n", b.x, b.y);
    std::printf("%d %d\n\n", tree.branch[b.n].x, tree.branch[b.n].y);
  }
}

// Coordinates go through double so that "%g" receives the type it expects.
void printtree(const Tree& tree) {
  for (int i = 0; i < tree.deg; ++i) {
    const Branch& b = tree.branch[i];
    std::printf(" %-2d:  x=%4g  y=%4g  e=%d\n", i, double(b.x), double(b.y), b.n);
  }
  for (int i = tree.deg; i < 2 * tree.deg - 2; ++i) {
    const Branch& b = tree.branch[i];
    std::printf("s%-2d:  x=%4g  y=%4g  e=%d\n", i, double(b.x), double(b.y), b.n);
  }
  std::printf("\n");
}
