// Steiner-guided decomposition.
//
// The first decomposition joins a net's pins along a plain spanning tree, which can be up to
// half again as long as the net's Steiner tree. For every net of 3 to 149 pins this pass
// builds the Steiner tree; where it is shorter, the tree's nodes are written into a shared
// tile map (each branch tile holds the node it leads to), the spanning tree is rebuilt with
// links between tiles of equal map value made cheaper, and the tree's straight branches are
// remembered as preferred edges for the pattern and monotonic routers. One pass over the
// nets; each costs a table lookup tree and a quadratic spanning tree over its pins.

#include "router/InitialRoute.h"

#include <algorithm>
#include <cstdlib>
#include <string>

#include "db/Report.h"
#include "router/GlobalRouter.h"
#include "steiner/MST.h"
#include "steiner/flute.h"

namespace {

// Nets outside [kMinDegree, kMaxDegree] pins keep their first decomposition; the table
// builder's work arrays bound the upper end.
constexpr int kMinDegree = 3;
constexpr int kMaxDegree = 149;
constexpr int kSteinerAccuracy = 3;
constexpr int kBadTreeCode = 1;

// The first malformed branch of the tree, or "" when every branch can be used: 2d - 2
// branches, each leading to a branch of the tree and lying inside the grid.
std::string treeProblem(const Tree& tree, int degree, int xNum, int yNum) {
  if (tree.deg != degree || !tree.branch) return format(": Steiner tree of degree %d for %d pins", tree.deg, degree);
  const int branches = 2 * degree - 2;
  for (int k = 0; k < branches; ++k) {
    const Branch& b = tree.branch[k];
    if (b.n < 0 || b.n >= branches) return format(": Steiner branch %d leads to branch %d of %d", k, b.n, branches);
    if (b.x < 0 || b.x >= xNum || b.y < 0 || b.y >= yNum)
      return format(": Steiner branch %d at (%d,%d) lies outside the %dx%d grid", k, b.x, b.y, xNum, yNum);
  }
  return {};
}

}  // namespace

void GlobalRouter::FluteFlat(const Point& a, const Point& b, Net& net) const {
  if (a.x == b.x && a.y == b.y) return;
  if (a.x == b.x) {
    for (int y = std::min(a.y, b.y); y < std::max(a.y, b.y); ++y) net.steinerEdges.insert(RPoint(a.x, y, 0, 0));
  } else {
    for (int x = std::min(a.x, b.x); x < std::max(a.x, b.x); ++x) net.steinerEdges.insert(RPoint(x, a.y, 0, 1));
  }
}

SteinerOutcome applySteinerTree(const GlobalRouter& router, Net& net, int netIndex, const Tree& tree, TileMap& map) {
  const int degree = int(net.pins2D.size());
  const std::string problem =
      treeProblem(tree, degree, std::min(router.xNum, map.xNum), std::min(router.yNum, map.yNum));
  if (!problem.empty()) {
    reportInconsistency("InitialRoute", kBadTreeCode, format(" net %d", net.id) + problem);
    return SteinerOutcome::kBadTree;
  }
  net.treeLength = tree.length;
  if (tree.length >= net.wireLength) return SteinerOutcome::kKept;

  for (int k = 0; k < 2 * degree - 2; ++k) {
    const Branch& b = tree.branch[k];
    const Branch& to = tree.branch[b.n];
    map[b.x][b.y] = b.n;
    if ((b.x != to.x || b.y != to.y) && (b.x == to.x || b.y == to.y))
      router.FluteFlat(Point(b.x, b.y), Point(to.x, to.y), net);
  }

  net.twoPins.clear();
  std::vector<Link> links;
  MST(net.pins2D, links, map, true);
  net.twoPins.reserve(links.size());
  // The counters keep their first values: the initial order score compares the two sums.
  for (const Link& link : links) {
    const Point& a = net.pins2D[std::size_t(link.first)];
    const Point& b = net.pins2D[std::size_t(link.second)];
    if (a == b) continue;
    net.twoPins.emplace_back(a, b, netIndex);
    const int length = a.distance(b);
    net.wireLength += length;
    net.treeLength += length;
  }
  return SteinerOutcome::kRebuilt;
}

void initialRoute(GlobalRouter& router, std::vector<Net>& nets) {
  TileMap map;
  map.allocate(router.xNum, router.yNum, 0);
  readLUT();
  std::vector<int> xs, ys;
  for (std::size_t i = 0; i < nets.size(); ++i) {
    Net& net = nets[i];
    const int degree = int(net.pins2D.size());
    if (degree < kMinDegree || degree > kMaxDegree) continue;
    xs.clear();
    ys.clear();
    for (const Point& p : net.pins2D) {
      xs.push_back(p.x);
      ys.push_back(p.y);
    }
    const Tree tree = flute(degree, xs.data(), ys.data(), kSteinerAccuracy);
    applySteinerTree(router, net, int(i), tree, map);
  }
}
