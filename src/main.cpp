#include <cstdio>
#include <new>

#include "Flow.h"
#include "db/CheckedFile.h"

// Memory that runs out anywhere in the run ends it with one line and status 1, never an abort.
int main(int argc, char** argv) {
  setUpOutputSignals();
  try {
    return korvaneMain(argc, argv);
  } catch (const std::bad_alloc&) {
    std::fflush(stdout);
    std::fprintf(stderr, "Error: out of memory: the design needs more memory than the process can have\n");
    return 1;
  }
}
