// Checks a routing result with the test suite's independent checker and prints one line:
// "legal|ILLEGAL <totalOverflow> <maxOverflow> <wirelength> <vias> <errors>".
#include <cstdio>

#include "support/ResultChecker.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: check_result <problem.gr> <result>\n");
    return 2;
  }
  GrProblem problem;
  std::string error;
  if (!readGrProblem(argv[1], problem, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  const CheckReport r = checkResultFile(problem, argv[2]);
  std::printf("%s %lld %lld %lld %lld %lld\n", r.legal() ? "legal" : "ILLEGAL", (long long)r.totalOverflow,
              (long long)r.maxOverflow, (long long)r.wirelength, (long long)r.viaCount, (long long)r.errorCount);
  if (!r.legal()) std::fprintf(stderr, "%s\n", r.summary().c_str());
  return r.legal() ? 0 : 1;
}
