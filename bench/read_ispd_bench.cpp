// Reads one ISPD'08 problem and nothing else, so time and peak memory are the reader's.
#include <cstdio>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/Timer.h"
#include "db/parameterSet.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: read_ispd_bench <problem.gr>\n");
    return 2;
  }
  NetDB db;
  parameterSet params;
  const double start = wallClockSeconds();
  Input_ISPD(argv[1], db, params);
  std::size_t pins = 0;
  for (const Net& n : db.nets) pins += n.pins3D.size();
  std::printf("kept nets %zu, pins %zu, adjustments %zu, read in %.3f s (wall)\n", db.nets.size(), pins,
              db.adjEdges.size(), wallClockSeconds() - start);
  return 0;
}
