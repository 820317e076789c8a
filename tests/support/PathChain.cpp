#include "support/PathChain.h"

::testing::AssertionResult isChain(const std::vector<RPoint>& path, const Point& from, const Point& to) {
  Point at = from;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const RPoint& r = path[i];
    if ((r.hori != 0 && r.hori != 1) || r.z != 0)
      return ::testing::AssertionFailure() << "unit " << i << " is not a planar edge: " << r;
    const Point a(r.x, r.y);
    const Point b = r.hori == 1 ? Point(r.x + 1, r.y) : Point(r.x, r.y + 1);
    if (at == a)
      at = b;
    else if (at == b)
      at = a;
    else
      return ::testing::AssertionFailure() << "unit " << i << " " << r << " does not touch " << at;
  }
  if (at != to) return ::testing::AssertionFailure() << "walk ends at " << at << ", not at " << to;
  return ::testing::AssertionSuccess();
}
