#include "support/RoutingStateChecker.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <numeric>
#include <sstream>
#include <unordered_map>

#include "router/GlobalRouter.h"

namespace {

std::string where(int net, std::size_t pin) {
  std::ostringstream s;
  s << "net " << net << " connection " << pin << ": ";
  return s.str();
}

// Walks the path from p1; every unit must be an existing planar edge touching the current tile.
std::string pathProblem(const GlobalRouter& router, const TwoPin& t) {
  if (t.path.empty()) return t.p1 == t.p2 ? std::string() : std::string("empty path between distinct ends");
  int x = t.p1.x, y = t.p1.y;
  for (std::size_t i = 0; i < t.path.size(); ++i) {
    const RPoint& r = t.path[i];
    std::ostringstream s;
    if (r.z != 0 || (r.hori != 0 && r.hori != 1) || !router.grid.edgeExists(r.x, r.y, r.hori == 1)) {
      s << "unit " << i << " (" << r.x << "," << r.y << ",z" << r.z << ",hori" << r.hori << ") is no planar edge";
      return s.str();
    }
    const int ox = r.hori == 1 ? r.x + 1 : r.x, oy = r.hori == 1 ? r.y : r.y + 1;
    if (x == r.x && y == r.y) {
      x = ox, y = oy;
    } else if (x == ox && y == oy) {
      x = r.x, y = r.y;
    } else {
      s << "unit " << i << " (" << r.x << "," << r.y << ",hori" << r.hori << ") does not touch (" << x << "," << y
        << ")";
      return s.str();
    }
  }
  if (x != t.p2.x || y != t.p2.y) {
    std::ostringstream s;
    s << "path ends at (" << x << "," << y << "), not at p2 (" << t.p2.x << "," << t.p2.y << ")";
    return s.str();
  }
  return {};
}

// Union-find over tile indices, for one net at a time.
struct TileSets {
  std::unordered_map<std::int64_t, std::int64_t> parent;
  std::int64_t find(std::int64_t a) {
    auto it = parent.find(a);
    if (it == parent.end()) {
      parent.emplace(a, a);
      return a;
    }
    if (it->second == a) return a;
    const std::int64_t root = find(it->second);
    parent[a] = root;
    return root;
  }
  void unite(std::int64_t a, std::int64_t b) { parent[find(a)] = find(b); }
};

}  // namespace

PreloadedDemand snapshotDemand(const GlobalRouter& router) {
  return PreloadedDemand{router.grid.hUsage, router.grid.vUsage};
}

std::vector<std::string> routingStateProblems(const GlobalRouter& router, const NetDB& db,
                                              const std::vector<Order>& orders, const PreloadedDemand& preload) {
  std::vector<std::string> problems;
  EdgeGrid<int> h = preload.h, v = preload.v;
  std::int64_t units = 0;
  std::size_t connections = 0;
  const std::int64_t yNum = router.yNum;

  for (std::size_t n = 0; n < db.nets.size(); ++n) {
    const Net& net = db.nets[n];
    const bool shared = net.twoPins.size() >= 2;
    std::vector<std::int64_t> edges;  // 2 * tile + hori, one per unit
    TileSets sets;
    std::size_t pathUnits = 0;
    for (std::size_t k = 0; k < net.twoPins.size(); ++k) {
      const TwoPin& t = net.twoPins[k];
      ++connections;
      if (t.netIndex != int(n)) problems.push_back(where(int(n), k) + "netIndex " + std::to_string(t.netIndex));
      const std::string bad = pathProblem(router, t);
      if (!bad.empty()) {
        problems.push_back(where(int(n), k) + bad);
        continue;
      }
      if (t.wireLength != int(t.path.size()))
        problems.push_back(where(int(n), k) + "wireLength " + std::to_string(t.wireLength) + " for " +
                           std::to_string(t.path.size()) + " units");
      sets.find(t.p1.x * yNum + t.p1.y);
      for (const RPoint& r : t.path) {
        const std::int64_t a = r.x * yNum + r.y;
        sets.unite(a, r.hori == 1 ? a + yNum : a + 1);
        edges.push_back(2 * a + r.hori);
      }
      pathUnits += t.path.size();
    }
    if (!net.pins2D.empty()) {
      const std::int64_t root = sets.find(net.pins2D[0].x * yNum + net.pins2D[0].y);
      for (const Point& p : net.pins2D)
        if (sets.find(p.x * yNum + p.y) != root) {
          problems.push_back("net " + std::to_string(n) + ": pin (" + std::to_string(p.x) + "," + std::to_string(p.y) +
                             ") is not connected to pin 0");
          break;
        }
    }
    if (shared) {
      if (net.routedEdges.size() != pathUnits)
        problems.push_back("net " + std::to_string(n) + ": routedEdges holds " +
                           std::to_string(net.routedEdges.size()) + " for " + std::to_string(pathUnits) + " units");
      std::sort(edges.begin(), edges.end());
      edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    }
    for (const std::int64_t e : edges) {
      const std::int64_t tile = e / 2;
      const int x = int(tile / yNum), y = int(tile % yNum);
      ++(e % 2 == 1 ? h[x][y] : v[x][y]);
    }
    units += std::int64_t(edges.size());
  }

  std::int64_t overflow = 0;
  auto compare = [&](const EdgeGrid<int>& mine, const EdgeGrid<int>& theirs, const EdgeGrid<int>& pre, int cap,
                     const char* name) {
    for (int x = 0; x < mine.xNum; ++x)
      for (int y = 0; y < mine.yNum; ++y) {
        if (mine[x][y] != theirs[x][y])
          problems.push_back(std::string(name) + "[" + std::to_string(x) + "][" + std::to_string(y) + "] is " +
                             std::to_string(theirs[x][y]) + ", recount " + std::to_string(mine[x][y]));
        overflow += std::max(0, mine[x][y] - cap) - std::max(0, pre[x][y] - cap);
      }
  };
  compare(h, router.grid.hUsage, preload.h, router.hCapacity, "hUsage");
  compare(v, router.grid.vUsage, preload.v, router.vCapacity, "vUsage");
  if (router.Wlen2D != units)
    problems.push_back("Wlen2D " + std::to_string(router.Wlen2D) + ", recount " + std::to_string(units));
  if (router.totalOF != overflow)
    problems.push_back("totalOF " + std::to_string(router.totalOF) + ", recount " + std::to_string(overflow));

  if (orders.size() != connections)
    problems.push_back("order list holds " + std::to_string(orders.size()) + " entries for " +
                       std::to_string(connections) + " connections");
  std::vector<const TwoPin*> listed;
  listed.reserve(orders.size());
  for (std::size_t i = 0; i < orders.size(); ++i) {
    listed.push_back(orders[i].twoPin);
    if (i > 0 && orders[i].score > orders[i - 1].score)
      problems.push_back("order list entry " + std::to_string(i) + " scores above entry " + std::to_string(i - 1));
  }
  std::sort(listed.begin(), listed.end(), std::less<const TwoPin*>());
  for (const Net& net : db.nets)
    for (const TwoPin& t : net.twoPins)
      if (!std::binary_search(listed.begin(), listed.end(), &t, std::less<const TwoPin*>())) {
        problems.push_back("a connection is missing from the order list");
        break;
      }
  if (std::adjacent_find(listed.begin(), listed.end()) != listed.end())
    problems.push_back("a connection is listed twice in the order list");
  return problems;
}

::testing::AssertionResult routingStateIsConsistent(const GlobalRouter& router, const NetDB& db,
                                                    const std::vector<Order>& orders, const PreloadedDemand& preload) {
  const std::vector<std::string> problems = routingStateProblems(router, db, orders, preload);
  if (problems.empty()) return ::testing::AssertionSuccess();
  ::testing::AssertionResult failure = ::testing::AssertionFailure();
  failure << problems.size() << " inconsistencies:";
  for (std::size_t i = 0; i < problems.size() && i < 20; ++i) failure << "\n  " << problems[i];
  return failure;
}
