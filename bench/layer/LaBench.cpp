// Layer-assignment benchmark: a generated problem, planar paths from the L-shape stand-in
// (the test helper, not the router), then initialLA, convertGRtoLA, one algorithm and both
// writers, each timed; the result is re-checked by the independent checker.
//
//   bench/layer/run.sh medium 3        (see run.sh for the build)
//   LaBench <problem.gr> <algorithm 1|2|3> <output stem>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "layer/Graph.h"
#include "BenchSupport.h"
#include "support/LaTestProblem.h"
#include "support/ResultChecker.h"


int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: LaBench <problem.gr> <algorithm 1|2|3> <output stem>\n");
    return 2;
  }
  const int algo = std::atoi(argv[2]);
  const std::string stem = argv[3];
  auto t = std::chrono::steady_clock::now();
  GrProblem problem;
  NetDB db;
  if (!loadLShapeRouted(argv[1], problem, db)) return 1;
  const double tInput = secondsSince(t);
  const long memBeforeLA = peakMegabytes();

  t = std::chrono::steady_clock::now();
  Graph g;
  g.initialLA(db, 1, 0.0);
  const double tInit = secondsSince(t);
  t = std::chrono::steady_clock::now();
  g.convertGRtoLA(db);
  const double tConvert = secondsSince(t);
  t = std::chrono::steady_clock::now();
  if (algo == 1) g.fastLA(0, 0, 0, false);
  if (algo == 2) g.COLA(0, 0, 0, false);
  if (algo == 3) g.NVM(0, 0, 0, false);
  const double tAssign = secondsSince(t);
  t = std::chrono::steady_clock::now();
  const std::string result = stem + ".txt", report = stem + ".txt.ofinfo";
  const bool written = g.output3Dresult(result.c_str()) && g.outputOverflowInfo(report.c_str());
  const double tWrite = secondsSince(t);
  const long memPeak = peakMegabytes();

  std::size_t treeBytes = g.nodePool.capacity() * sizeof(node) + g.edgePool.capacity() * sizeof(edge);
  std::size_t gridBytes = (g.demandH.cells.size() + g.demandV.cells.size()) * 2 * sizeof(int);

  t = std::chrono::steady_clock::now();
  const CheckReport check = checkResultFile(problem, result);
  const double tCheck = secondsSince(t);

  std::printf("\n== %s algorithm %d\n", argv[1], algo);
  std::printf("report:  totalOF=%lld maxOF=%lld wirelength=%lld vias=%lld totalWL=%lld\n", (long long)g.totalOF,
              (long long)g.maxOF, (long long)g.wlen2D, (long long)g.totalVia,
              (long long)(g.wlen2D + g.totalVia * g.viaCost));
  std::printf("checker: %s totalOF=%lld maxOF=%lld wirelength=%lld vias=%lld (%.2f s)\n",
              check.legal() ? "legal" : "ILLEGAL", (long long)check.totalOverflow, (long long)check.maxOverflow,
              (long long)check.wirelength, (long long)check.viaCount, tCheck);
  std::printf("input overflow (2D, L-shapes)=%lld  tree edges=%lld  bytes per tree edge=%.1f  grid MB=%.1f\n",
              (long long)g.inputOF, (long long)g.wlen2D, g.wlen2D ? double(treeBytes) / double(g.wlen2D) : 0.0,
              double(gridBytes) / 1048576.0);
  std::printf("seconds: input+L-shapes %.2f  initialLA %.2f  convertGRtoLA %.2f  assign %.2f  write %.2f\n", tInput,
              tInit, tConvert, tAssign, tWrite);
  std::printf("peak RSS MB: before layer assignment %ld  end %ld\n", memBeforeLA, memPeak);
  return written && check.legal() ? 0 : 1;
}
