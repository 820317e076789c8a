// The candidate values of a scored net break, bit for bit against a recomputation from the rule.
// The rule mixes single and double precision in a fixed order, and the break it picks (and with
// it the tree) follows the exact bits; the nets here are varied enough that evaluating the rule in
// double precision throughout changes values, so any changed step shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <random>
#include <vector>

#include "steiner/fluteBreaking.h"
#include "support/SteinerTreeChecks.h"

namespace {

// Candidate values of net n by the rule: centre and extent weights rounded to Single, the steps
// h and v and every score in Single (a multiple by repeated addition), the span minus the score
// in Single, the extent term's product in Single, the sum in double, stored as float. With
// Single = double every step keeps double precision.
template <class Single>
std::vector<float> candidateValues(const RandomNet& n, int acc, bool lengthOnly) {
  const int d = int(n.xs.size());
  const std::vector<int>&xs = n.xs, &ys = n.ys, &s = n.s;
  std::vector<int> si(d);  // y position of each x rank
  for (int i = 0; i < d; ++i) si[s[i]] = i;
  const int lb = std::max(2, (d + 2 - 2 * acc) / 4), ub = d - 1 - lb;
  const Single wc = Single(7.4 / double((d + 10) * (d - 3)));
  const Single we = Single(4.8 / double(d - 1));
  const Single h = Single(xs[d - 2] - xs[1]) * wc, v = Single(ys[d - 2] - ys[1]) * wc;
  // The tree builder scores each outermost position like its neighbour.
  auto w = [&](int i) {
    return int(std::ceil(std::abs(2 * (lengthOnly ? i : std::clamp(i, 1, d - 2)) - (d - 1)) / 2.0));
  };
  auto times = [](int k, Single f) {
    Single sum = 0;
    for (; k > 0; --k) sum += f;
    return sum;
  };
  auto score = [&](int rank) { return times(w(rank), h) + times(w(si[rank]), v); };
  // Span of the pins' x (or y) over the pins whose y position (or x rank) lies in [lo, hi].
  auto span = [&](bool alongX, int lo, int hi) {
    int least = INT_MAX, most = INT_MIN;
    for (int k = lo; k <= hi; ++k) {
      const int c = alongX ? xs[s[k]] : ys[si[k]];
      least = std::min(least, c), most = std::max(most, c);
    }
    return most - least;
  };
  // The gap around position p of the sorted list c, and its coefficient.
  auto gap = [&](const std::vector<int>& c, int p) -> std::pair<int, double> {
    if (lengthOnly) {
      if (p == 0 || p == d - 1) return {c[d - 2] - c[1], -0.6};
    } else if (p <= 1) {
      return {c[2] - c[1], -0.6};
    } else if (p >= d - 2) {
      return {c[d - 2] - c[d - 3], -0.6};
    }
    return {c[p + 1] - c[p - 1], -0.3};
  };
  std::vector<float> value;
  for (int i = lb; i <= ub; ++i) {
    const int ySum = (xs[d - 1] - xs[0]) - (ys[d - 1] - ys[0]) + span(false, 0, i) + span(false, i, d - 1);
    auto [g, coef] = gap(ys, si[i]);
    const Single xSpan = Single(xs[i + 1] - xs[i - 1]) - score(i);
    value.push_back(float(double(xSpan) + coef * g - double(Single(ySum) * we)));
    const int xSum = span(true, 0, i) + span(true, i, d - 1);
    std::tie(g, coef) = gap(xs, s[i]);
    const Single ySpan = Single(ys[i + 1] - ys[i - 1]) - score(s[i]);
    value.push_back(float(double(ySpan) + coef * g - double(Single(xSum) * we)));
  }
  return value;
}

TEST(NetBreaking, CandidateValuesFollowTheSingleAndDoublePrecisionSteps) {
  std::mt19937 rng(31);
  int evaluations = 0, precisionShows = 0;
  for (int k = 0; k < 150; ++k) {
    const int d = 10 + int(rng() % 60);
    const RandomNet n = randomNet(rng, d, k % 3 ? 100000 : 40);
    const std::vector<int> si = fluteBreaking::inverseRanks(d, n.s.data());
    for (const bool lengthOnly : {false, true})
      for (const int acc : {1, 3, 8}) {
        SCOPED_TRACE(testing::Message() << "net " << k << ", accuracy " << acc << (lengthOnly ? ", length only" : ""));
        const std::vector<float> want = candidateValues<float>(n, acc, lengthOnly);
        const fluteBreaking::BreakScores got =
            fluteBreaking::scoreBreaks(d, n.xs.data(), n.ys.data(), n.s.data(), si.data(), acc, lengthOnly);
        ASSERT_EQ(got.value, want);
        ++evaluations;
        if (candidateValues<double>(n, acc, lengthOnly) != want) ++precisionShows;
      }
  }
  EXPECT_GT(precisionShows, evaluations * 3 / 4);
}

}  // namespace
