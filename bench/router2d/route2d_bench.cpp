// The flow so far on one problem: read, build the router, decompose, route in two dimensions,
// exactly as the flow driver does; then a summary for the benchmark script:
//   "bench: totalOF=<n> maxOF=<n> Wlen2D=<n> steinerSum=<n> netsOverFluteLimit=<n> cpu=<s>"
// steinerSum adds the Steiner-tree length of every net (flute, accuracy 3) - a reference that
// no legal routing can beat by much; nets beyond flute's degree limit add their spanning-tree
// length instead and are counted. Run it in the directory holding POWV9.dat and POST9.dat.
//
// Usage: route2d_bench <problem.gr> <parameters.set>

#include <cstdio>
#include <vector>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/Timer.h"
#include "db/parameterSet.h"
#include "router/GlobalRoute.h"
#include "router/GlobalRouter.h"
#include "router/InitialRoute.h"
#include "steiner/MST.h"
#include "steiner/flute.h"

namespace {

constexpr int kFluteLimit = 200;  // flute's work arrays

// Steiner length of every net; the spanning-tree length (first decomposition) for nets above
// flute's limit.
long long steinerSum(const NetDB& db, const std::vector<int>& spanningLength, int& overLimit) {
  long long sum = 0;
  overLimit = 0;
  std::vector<int> xs, ys;
  for (std::size_t i = 0; i < db.nets.size(); ++i) {
    const Net& net = db.nets[i];
    const int d = int(net.pins2D.size());
    if (d < 2) continue;
    if (d > kFluteLimit) {
      ++overLimit;
      sum += spanningLength[i];
      continue;
    }
    xs.clear();
    ys.clear();
    for (const Point& p : net.pins2D) {
      xs.push_back(p.x);
      ys.push_back(p.y);
    }
    sum += flute(d, xs.data(), ys.data(), 3).length;
  }
  return sum;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: route2d_bench <problem.gr> <parameters.set>\n");
    return 2;
  }
  NetDB db;
  parameterSet params;
  Input_Setting(argv[2], db, params);
  Input_ISPD(argv[1], db, params);
  std::printf("Input File costs %g seconds\n\n", cpuSecondsSinceStart());

  GlobalRouter router(db.gridX, db.gridY, db.numLayers, db.totalHorizontalTracks, db.totalVerticalTracks,
                      db.horizontalTracks, db.verticalTracks, db.adjEdges, db.adjCapacity, db.wirePitch,
                      db.repeatPinCount, db.pinCount, params.pinBlockageFactor);
  router.viaCost = params.viaCost;
  std::vector<Order> orders;
  std::printf("Net Decomposition\n");
  BuildCongestionDrivenTree(db.nets);
  std::vector<int> spanningLength;
  spanningLength.reserve(db.nets.size());
  for (const Net& net : db.nets) spanningLength.push_back(net.wireLength);
  initialRoute(router, db.nets);
  std::printf("Start 2D GlobalRouting....\n");
  GlobalRoute(router, db, orders, params);
  std::printf("!!!!!!!!!  CPU  Total Time: %g seconds  !!!!!!!\n\n", cpuSecondsSinceStart());

  int x = 0, y = 0, maxOF = 0;
  router.getMaxHistory(x, y, maxOF);
  int overLimit = 0;
  const long long steiner = steinerSum(db, spanningLength, overLimit);
  std::printf("bench: totalOF=%lld maxOF=%d Wlen2D=%d steinerSum=%lld netsOverFluteLimit=%d cpu=%g\n",
              (long long)router.totalOF,
              maxOF, router.Wlen2D, steiner, overLimit, cpuSecondsSinceStart());
  return 0;
}
