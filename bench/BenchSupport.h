#pragma once
// Helpers shared by the stage benchmarks: timing, peak memory, and a problem loaded with
// simple L-shaped planar paths so a later stage can be measured on its own.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/LaTestProblem.h"
#include "support/ResultChecker.h"

inline double secondsSince(std::chrono::steady_clock::time_point from) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - from).count();
}

inline long peakMegabytes() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024;
}

// Reads the problem for the checker and, with the router's own reader (default parameters), into
// db, and gives every connection an L-shaped path; false (with the reason on stderr) when the
// checker cannot read the file. The router's reader ends the run on bad input.
inline bool loadLShapeRouted(const char* path, GrProblem& problem, NetDB& db) {
  std::string error;
  if (!readGrProblem(path, problem, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  parameterSet params;
  Input_ISPD(path, db, params);
  routeWithLShapes(db);
  return true;
}
