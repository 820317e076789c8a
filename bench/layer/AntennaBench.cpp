// Antenna-aware layer assignment and the stand-alone readers on a generated problem: planar
// paths from the L-shape stand-in (the test helper), then one driver with the antenna flag
// set, then the antenna checks; and the problem and its written result read back with
// input2Dresult and input3Dresult. Each step timed, with the peak memory.
//
//   bench/layer/antenna.sh medium 3 10 3 1
//   AntennaBench <problem.gr> <algorithm 2|3> <antennaMaxLen> <aaPruneMode> <alBinSize> <result path>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "layer/Graph.h"
#include "BenchSupport.h"
#include "support/LaTestProblem.h"
#include "support/ResultChecker.h"


int main(int argc, char** argv) {
  if (argc != 7) {
    std::fprintf(
        stderr,
        "usage: AntennaBench <problem.gr> <algorithm 2|3> <antennaMaxLen> <aaPruneMode> <alBinSize> <result>\n");
    return 2;
  }
  const int algo = std::atoi(argv[2]);
  const double limit = std::atof(argv[3]);
  const int mode = std::atoi(argv[4]), binSize = std::atoi(argv[5]);
  GrProblem problem;
  NetDB db;
  if (!loadLShapeRouted(argv[1], problem, db)) return 1;
  Graph g;
  g.initialLA(db, 1, 0.0);
  g.convertGRtoLA(db);
  g.antennaMaxLen = limit;
  auto t = std::chrono::steady_clock::now();
  if (algo == 2) g.COLA(binSize, 100, mode, true);
  if (algo == 3) g.NVM(binSize, 100, mode, true);
  const double tAssign = secondsSince(t);
  long breaks = 0, longNets = 0, charged = 0;
  t = std::chrono::steady_clock::now();
  for (const net& n : g.nets) {
    breaks += n.antennaBreaks;
    if (double(n.edgeCount()) > limit) ++longNets;
    charged += g.checkAntennaRule(n);
  }
  const double tCheck = secondsSince(t);
  const long peakAssign = peakMegabytes();
  g.output3Dresult(argv[6]);

  t = std::chrono::steady_clock::now();
  Graph h;
  h.input2Dresult(argv[1]);
  const double t2D = secondsSince(t);
  t = std::chrono::steady_clock::now();
  h.input3Dresult(argv[6]);
  const double t3D = secondsSince(t);
  long same = 0;
  for (std::size_t i = 0; i < g.nets.size() && i < h.nets.size(); ++i)
    same += g.nets[i].nodeCount == h.nets[i].nodeCount;
  std::printf("\nantenna: limit=%g mode=%d binSize=%d nets over the limit=%ld breaks=%ld pins charged after=%ld\n",
              limit, mode, binSize, longNets, breaks, charged);
  std::printf("seconds: assign %.2f  checkAntennaRule all nets %.2f  input2Dresult %.2f  input3Dresult %.2f\n", tAssign,
              tCheck, t2D, t3D);
  std::printf("read back: %zu nets, %ld with the same node count as written\n", h.nets.size(), same);
  std::printf("peak RSS MB: after assignment %ld  end %ld\n", peakAssign, peakMegabytes());
  return 0;
}
