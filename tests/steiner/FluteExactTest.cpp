// Trees of small nets against an exact solver: every tree must be a well-formed tree over the
// pins whose length is both the reported length and the optimum.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "ExactRsmt.h"
#include "LutTestSupport.h"
#include "steiner/flute.h"

namespace {

// Checks the shape of a tree of d >= 2 pins and returns its geometric length (or -1).
int checkedGeometricLength(int d, const int* x, const int* y, const Tree& t) {
  EXPECT_EQ(t.deg, d);
  if (t.deg != d || !t.branch) return -1;
  const int nb = 2 * d - 2;
  int roots = 0, root = -1;
  for (int i = 0; i < nb; ++i) {
    const int n = t.branch[i].n;
    EXPECT_TRUE(n >= 0 && n < nb) << "branch " << i << " points to " << n;
    if (n < 0 || n >= nb) return -1;
    if (n == i) ++roots, root = i;
  }
  EXPECT_EQ(roots, 1);
  if (roots != 1) return -1;
  for (int i = 0; i < nb; ++i) {
    int at = i, steps = 0;
    while (at != root && steps++ <= nb) at = t.branch[at].n;
    EXPECT_EQ(at, root) << "branch " << i << " lies on a cycle";
    if (at != root) return -1;
  }
  // Pins at their coordinates: in the caller's order for two pins, in ascending y order otherwise.
  std::vector<std::pair<int, int>> want, got;
  for (int i = 0; i < d; ++i) {
    want.push_back({y[i], x[i]});
    got.push_back({t.branch[i].y, t.branch[i].x});
    if (d > 2 && i > 0) {
      EXPECT_LE(t.branch[i - 1].y, t.branch[i].y) << "pins not in ascending y order";
    }
  }
  if (d == 2) {
    EXPECT_EQ(want, got);
  } else {
    std::sort(want.begin(), want.end());
    std::sort(got.begin(), got.end());
    EXPECT_EQ(want, got) << "pins differ from the net";
  }
  int len = 0;
  for (int i = 0; i < nb; ++i) {
    const Branch& a = t.branch[i];
    const Branch& b = t.branch[a.n];
    len += std::abs(a.x - b.x) + std::abs(a.y - b.y);
  }
  return len;
}

TEST(ExactRsmt, DreyfusWagnerAgreesWithBruteForce) {
  std::mt19937 rng(7);
  for (int d = 2; d <= 6; ++d) {
    const int nets = d <= 4 ? 300 : (d == 5 ? 60 : 15);
    for (int net = 0; net < nets; ++net) {
      std::uniform_int_distribution<int> coord(0, net % 2 ? 3 : 30);
      std::vector<int> x(d), y(d);
      for (int i = 0; i < d; ++i) x[i] = coord(rng), y[i] = coord(rng);
      ASSERT_EQ(exact_rsmt::rsmtLength(d, x.data(), y.data()), exact_rsmt::rsmtLengthBruteForce(d, x.data(), y.data()))
          << "degree " << d << ", net " << net;
    }
  }
}

// Coordinate ranges: tiny ones force equal coordinates and zero gaps, large ones general position.
const struct {
  const char* name;
  int range;
} kRanges[] = {{"all on a 3x3 grid", 2}, {"duplicates likely", 6}, {"medium", 100}, {"large", 1000000}};

TEST(FluteSmallNets, TreesAreOptimalAndWellFormed) {
  lut_test::useBuiltTables();
  std::mt19937 rng(2024);
  for (const auto& range : kRanges) {
    SCOPED_TRACE(range.name);
    std::uniform_int_distribution<int> coord(0, range.range);
    for (int d = 2; d <= 9; ++d) {
      SCOPED_TRACE("degree " + std::to_string(d));
      const int nets = d <= 6 ? 500 : 400;
      for (int net = 0; net < nets; ++net) {
        int x[9], y[9];
        for (int i = 0; i < d; ++i) x[i] = coord(rng), y[i] = coord(rng);
        const Tree t = flute(d, x, y, 3);
        const int geometric = checkedGeometricLength(d, x, y, t);
        const int64_t optimum = exact_rsmt::rsmtLength(d, x, y);
        ASSERT_EQ(t.length, geometric) << "net " << net;
        ASSERT_EQ(t.length, optimum) << "net " << net;
      }
    }
  }
}

}  // namespace
