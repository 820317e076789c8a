// Layered stage benchmark: a generated problem, planar paths from the L-shape stand-in (the
// test helper, not the planar router), negotiated layer assignment, then Route3D with the
// requested rounds and both writers; prints the stage's own lines (one "3D Routing costs"
// line per round), the time and peak memory of each step, and the checker's verdict.
//
//   bench/router3d/run.sh medium 3        (see run.sh for the build)
//   Route3DBench <problem.gr> <rounds> <output stem>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "db/parameterSet.h"
#include "layer/Graph.h"
#include "router/GlobalRouter.h"
#include "router3d/Route3D.h"
#include "BenchSupport.h"
#include "support/LaTestProblem.h"
#include "support/ResultChecker.h"


int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: Route3DBench <problem.gr> <rounds> <output stem>\n");
    return 2;
  }
  const int rounds = std::atoi(argv[2]);
  const std::string stem = argv[3];
  auto t = std::chrono::steady_clock::now();
  GrProblem problem;
  NetDB db;
  if (!loadLShapeRouted(argv[1], problem, db)) return 1;
  std::fprintf(stderr, "input + L-shape paths: %.2f s, peak %ld MB (grid %d x %d x %d, %zu nets)\n", secondsSince(t),
               peakMegabytes(), db.gridX, db.gridY, db.numLayers, db.nets.size());

  t = std::chrono::steady_clock::now();
  GlobalRouter router(db.gridX, db.gridY, db.numLayers, db.totalHorizontalTracks, db.totalVerticalTracks,
                      db.horizontalTracks, db.verticalTracks, db.adjEdges, db.adjCapacity, db.wirePitch,
                      db.repeatPinCount, db.pinCount, 0.0);
  router.viaCost = 1;
  Graph graph;
  graph.initialLA(db, 1, 0.0);
  graph.convertGRtoLA(db);
  graph.NVM(0, 0, 0, false);
  graph.convertLAtoGR(db);
  std::fprintf(stderr, "router + layer assignment: %.2f s, peak %ld MB, router state %.1f MB\n", secondsSince(t),
               peakMegabytes(), double(router.grid.stateBytes()) / 1048576.0);

  std::vector<Order> orders;
  for (Net& n : db.nets)
    for (TwoPin& tp : n.twoPins) orders.push_back(Order{&tp, 0.0});
  parameterSet params;
  params.optimization3DIteration = rounds;
  t = std::chrono::steady_clock::now();
  Route3D(router, db, orders, graph, params);
  std::fflush(stdout);
  std::fprintf(stderr, "Route3D (%d rounds): %.2f s, peak %ld MB, router state %.1f MB\n", rounds, secondsSince(t),
               peakMegabytes(), double(router.grid.stateBytes()) / 1048576.0);

  t = std::chrono::steady_clock::now();
  const std::string result = stem + ".txt", report = result + ".ofinfo";
  if (!outputFile(result.c_str(), db) || !router.outputOverflowInfo(report.c_str())) return 1;
  std::fflush(stdout);
  std::fprintf(stderr, "writers: %.2f s\n", secondsSince(t));
  const CheckReport check = checkResultFile(problem, result);
  std::fprintf(stderr, "checker: %s; overflow %lld, max %lld, wirelength %lld, vias %lld\n",
               check.legal() ? "legal" : check.summary().c_str(), static_cast<long long>(check.totalOverflow),
               static_cast<long long>(check.maxOverflow), static_cast<long long>(check.wirelength),
               static_cast<long long>(check.viaCount));
  std::fprintf(stderr, "peak memory: %ld MB\n", peakMegabytes());
  return check.legal() ? 0 : 1;
}
