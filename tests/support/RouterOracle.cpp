#include "support/RouterOracle.h"

#include <algorithm>
#include <set>
#include <tuple>

RouterRecount recountRouter(const GlobalRouter& router, const EdgeGrid<int>& preloadH, const EdgeGrid<int>& preloadV,
                            const std::vector<Net>& nets, const std::vector<LiveCommit>& live) {
  RouterRecount out;
  out.hUsage = preloadH;
  out.vUsage = preloadV;
  out.netWireLength.assign(nets.size(), 0);
  std::vector<std::set<std::tuple<int, int, int>>> seen(nets.size());
  for (const LiveCommit& c : live)
    for (const RPoint& r : c.path) {
      const bool hori = r.hori != 0;
      if (nets[c.net].twoPins.size() >= 2 && !seen[c.net].insert({r.x, r.y, hori ? 1 : 0}).second) continue;
      ++(hori ? out.hUsage[r.x][r.y] : out.vUsage[r.x][r.y]);
      ++out.netWireLength[c.net];
      ++out.Wlen2D;
    }
  for (int x = 0; x < out.hUsage.xNum; ++x)
    for (int y = 0; y < out.hUsage.yNum; ++y) out.totalOF += std::max(0, out.hUsage[x][y] - router.hCapacity);
  for (int x = 0; x < out.vUsage.xNum; ++x)
    for (int y = 0; y < out.vUsage.yNum; ++y) out.totalOF += std::max(0, out.vUsage[x][y] - router.vCapacity);
  return out;
}

::testing::AssertionResult routerMatchesRecount(const GlobalRouter& router, const std::vector<Net>& nets,
                                                const RouterRecount& expected, const std::vector<LiveCommit>& live) {
  if (router.grid.hUsage.cells != expected.hUsage.cells) return ::testing::AssertionFailure() << "hUsage differs";
  if (router.grid.vUsage.cells != expected.vUsage.cells) return ::testing::AssertionFailure() << "vUsage differs";
  if (router.totalOF != expected.totalOF)
    return ::testing::AssertionFailure() << "totalOF " << router.totalOF << " recount " << expected.totalOF;
  if (router.Wlen2D != expected.Wlen2D)
    return ::testing::AssertionFailure() << "Wlen2D " << router.Wlen2D << " recount " << expected.Wlen2D;
  std::vector<std::size_t> units(nets.size(), 0);
  for (const LiveCommit& c : live) units[c.net] += c.path.size();
  for (std::size_t n = 0; n < nets.size(); ++n) {
    if (nets[n].wireLength != expected.netWireLength[n])
      return ::testing::AssertionFailure()
             << "net " << n << " wireLength " << nets[n].wireLength << " recount " << expected.netWireLength[n];
    const std::size_t held = nets[n].twoPins.size() >= 2 ? units[n] : 0;
    if (nets[n].routedEdges.size() != held)
      return ::testing::AssertionFailure()
             << "net " << n << " multiset holds " << nets[n].routedEdges.size() << ", paths have " << held;
  }
  return ::testing::AssertionSuccess();
}

std::unique_ptr<GlobalRouter> makePlainRouter(int xs, int ys, int hCap, int vCap) {
  const std::vector<RPoint> noEdges;
  const std::vector<int> noCaps;
  const std::vector<std::vector<int>> noPins;
  return std::make_unique<GlobalRouter>(xs, ys, 1, hCap, vCap, std::vector<int>{hCap}, std::vector<int>{vCap}, noEdges,
                                        noCaps, std::vector<int>{2}, noPins, noPins, 0.0);
}

std::unique_ptr<GlobalRouter> quietRouter(int xs, int ys, int hCap, int vCap) {
  testing::internal::CaptureStdout();
  auto r = makePlainRouter(xs, ys, hCap, vCap);
  testing::internal::GetCapturedStdout();
  return r;
}

Net makeNet(int connections) {
  Net n;
  for (int i = 0; i < connections; ++i) n.twoPins.emplace_back(Point(0, 0), Point(1, 1), 0);
  return n;
}
