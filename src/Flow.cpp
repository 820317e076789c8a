#include "Flow.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "Bookshelf.h"
#include "Parser.h"
#include "db/NetDB.h"
#include "db/Report.h"
#include "db/Timer.h"
#include "db/parameterSet.h"
#include "layer/Graph.h"
#include "router/GlobalRoute.h"
#include "router/GlobalRouter.h"
#include "router/InitialRoute.h"
#include "router3d/Route3D.h"
#include "steiner/MST.h"
#include "steiner/flute.h"

namespace {

void printTotalTime() { std::printf("!!!!!!!!!  CPU  Total Time: %g seconds  !!!!!!!\n", cpuSecondsSinceStart()); }

void printInputTime() { std::printf("Input File costs %g seconds\n\n", cpuSecondsSinceStart()); }

[[noreturn]] void usage() {
  std::printf("format error..\n");
  std::printf("./Korvane  ISPD  <ISPD'08 fomat input file>  <Parameter setting file>  [Output file]\n");
  std::printf(
      "./Korvane  ICCAD  <Circuit.aux file>  <Placement solution.pl file>  <Parameter setting file> [Output file]\n");
  std::fflush(stdout);
  std::exit(1);
}

// The edge sets only price and book planar paths, and the maze searches' scratch is planar:
// layer assignment starts from the paths alone, and the layered stage rebuilds the sets from
// the assigned paths. Returned before layer assignment allocates its trees.
void releasePlanarScratch(GlobalRouter& router, NetDB& db) {
  for (Net& net : db.nets) {
    net.routedEdges.clear();
    net.steinerEdges.clear();
  }
  EdgeMultiset::releaseStorage();
  router.dpCostTable = {};
  router.dpMoveTable = {};
  router.dpEdgeFlags = {};
}

// The overflow report goes beside the result, under its name.
std::string reportPathOf(const char* outputPath) { return std::string(outputPath) + ".ofinfo"; }

// An output that is one of the run's inputs would be replaced by what was read from it, so such
// a run ends before the design is read, with nothing written. Only the outputs the parameter
// file asks for count, and only regular files: a device or pipe on both sides (/dev/null) loses
// nothing. An output that does not exist yet is no input.
void refuseOutputOnInput(const char* outputPath, const parameterSet& params, std::vector<std::string> inputs) {
  inputs.insert(inputs.end(), {kLengthsFile, kTopologiesFile});
  std::vector<std::string> outputs;
  if (params.outputRoutingResult) outputs.push_back(outputPath);
  if (params.outputOverflowInfo) outputs.push_back(reportPathOf(outputPath));
  for (const std::string& output : outputs) {
    struct stat out;
    if (stat(output.c_str(), &out) != 0 || !S_ISREG(out.st_mode)) continue;
    for (const std::string& input : inputs) {
      struct stat in;
      if (stat(input.c_str(), &in) == 0 && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
        fatalError(output, "is the input file " + input);
    }
  }
}

// An output name that names no file (empty, ending in "/", ".", "..", a directory) cannot take
// the result, and its report would land beside it as ".ofinfo" or "sub/.ofinfo": a run that asks
// for an output ends before the design is read, with nothing written.
void refuseOutputNamingNoFile(const char* outputPath, const parameterSet& params) {
  if (!params.outputRoutingResult && !params.outputOverflowInfo) return;
  const std::string_view name = outputPath;
  if (name.empty()) fatalError("\"\"", "the output file name is empty");
  const std::string_view last = name.substr(name.rfind('/') + 1);  // the whole name when it has no '/'
  struct stat st;
  if (last.empty() || last == "." || last == ".." || (stat(outputPath, &st) == 0 && S_ISDIR(st.st_mode)))
    fatalError(name, "names a directory, not an output file");
}

}  // namespace

int parseMazeOverride(const char* text) {
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  std::uint32_t v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) v = v * 10u + std::uint32_t(*p - '0');
  if (negative) v = 0u - v;
  return int(v);  // two's complement wrap, well defined since C++20
}

bool main_ISPD(NetDB& db, parameterSet& params, const char* outputPath) {
  // The per-layer track lists are passed by value: the router keeps its own copies.
  GlobalRouter router(db.gridX, db.gridY, db.numLayers, db.totalHorizontalTracks, db.totalVerticalTracks,
                      db.horizontalTracks, db.verticalTracks, db.adjEdges, db.adjCapacity, db.wirePitch,
                      db.repeatPinCount, db.pinCount, params.pinBlockageFactor);
  router.viaCost = params.viaCost;
  // Entries point into every net's connection list, so no list may be resized from here on.
  std::vector<Order> orders;

  std::printf("Net Decomposition\n");
  BuildCongestionDrivenTree(db.nets, &db.netNames, db.problemFile);
  initialRoute(router, db.nets);

  std::printf("Start 2D GlobalRouting....\n");
  GlobalRoute(router, db, orders, params);
  releasePlanarScratch(router, db);
  printTotalTime();
  std::printf("\n");

  const std::clock_t layerStart = std::clock();
  switch (params.layerAssignAlgo) {
    case 1:
      std::printf("===================Start Greedy Layer Assignment===================\n");
      break;
    case 2:
      std::printf("===================Start DP-based Layer Assignment without Negotiation Scheme===================\n");
      break;
    case 3:
      std::printf("===================Start DP-based Layer Assignment with Negotiation Scheme===================\n");
      break;
    default:
      break;
  }
  Graph graph;
  graph.initialLA(db, params.viaCost, params.pinBlockageFactor);
  graph.convertGRtoLA(db);
  switch (params.layerAssignAlgo) {
    case 1:
      graph.fastLA(0, 0, 0, false);
      break;
    case 2:
      graph.COLA(0, 0, 0, false);
      break;
    case 3:
      graph.NVM(0, 0, 0, false);
      break;
    default:
      break;
  }
  std::printf("Layer Assignment costs %g seconds\n\n", cpuSecondsBetween(layerStart, std::clock()));
  printTotalTime();
  std::printf("\n");

  // A failed write is reported by its writer; the run finishes the other output first.
  bool written = true;
  bool connected = true;
  const std::string reportPath = reportPathOf(outputPath);
  if (params.optimization3DIteration != 0) {
    std::printf("Start 3D GlobalRouting....\n");
    graph.convertLAtoGR(db);
    // An open net is an error, but the files are still written for inspection.
    connected = Route3D(router, db, orders, graph, params);
  }
  const std::clock_t outputStart = std::clock();
  if (params.outputRoutingResult) {
    std::printf("output routing result = %s\n", outputPath);
    const bool ok = params.optimization3DIteration != 0 ? outputFile(outputPath, db) : graph.output3Dresult(outputPath);
    written = ok && written;
  }
  if (params.outputOverflowInfo) {
    std::printf("output overflow infomation file = %s\n", reportPath.c_str());
    const bool ok = params.optimization3DIteration != 0 ? router.outputOverflowInfo(reportPath.c_str())
                                                        : graph.outputOverflowInfo(reportPath.c_str());
    written = ok && written;
  }
  std::printf("Output File costs %g seconds\n\n", cpuSecondsBetween(outputStart, std::clock()));
  return written && connected;
}

int korvaneMain(int argc, char** argv) {
  std::printf("!!!!  Korvane 2.0 !!!! \n");
  NetDB db;
  bool written = true;
  const std::string mode = argc > 1 ? argv[1] : "";
  const int args = argc > 1 ? argc - 2 : 0;

  if (mode == "ISPD" && (args == 3 || args == 4)) {
    parameterSet params;
    const int mazeOverride = args == 4 ? parseMazeOverride(argv[5]) : -1;
    Input_Setting(argv[3], db, params);
    refuseOutputNamingNoFile(argv[4], params);
    refuseOutputOnInput(argv[4], params, {argv[2], argv[3]});
    Input_ISPD(argv[2], db, params);
    db.problemFile = argv[2];
    if (mazeOverride != -1) params.mazeIteration = mazeOverride;
    printInputTime();
    written = main_ISPD(db, params, argv[4]);
  } else if (mode == "ICCAD" && (args == 4 || args == 5)) {
    parameterSet params;
    const int mazeOverride = args == 5 ? parseMazeOverride(argv[6]) : -1;
    Input_Setting(argv[4], db, params);
    refuseOutputNamingNoFile(argv[5], params);
    const BookshelfFiles files = readAuxFile(argv[2]);
    refuseOutputOnInput(argv[5], params,
                        {argv[2], argv[3], argv[4], files.nodes, files.nets, files.shapes, files.route});
    Input_DAC(files, argv[3], db, params);
    db.problemFile = argv[2];
    if (mazeOverride != -1) params.mazeIteration = mazeOverride;
    printInputTime();
    written = main_ISPD(db, params, argv[5]);
  } else if (mode == "TEST" && args == 4) {
    // Reads the design in both formats, reports where the set's derived adjustments differ
    // from the problem file's, then routes the problem file's data.
    parameterSet params;
    {
      NetDB fromSet;
      parameterSet setParams;
      Input_Setting(argv[5], db, params);
      Input_Setting(argv[5], fromSet, setParams);
      Input_ISPD(argv[4], db, params);
      Input_DAC(argv[2], argv[3], fromSet, setParams);
      compareAdjustments(db, fromSet);
    }
    db.problemFile = argv[4];  // the problem file's data is routed
    // The self-check names no output file: nothing is written.
    params.outputRoutingResult = false;
    params.outputOverflowInfo = false;
    printInputTime();
    written = main_ISPD(db, params, "");
  } else {
    usage();
  }
  printTotalTime();
  std::fflush(stdout);
  return written ? 0 : 1;
}
