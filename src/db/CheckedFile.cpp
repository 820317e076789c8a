#include "db/CheckedFile.h"

#include <iostream>

bool reportWriteFailure(const char* path) {
  std::cout.flush();
  std::fflush(stdout);
  std::fprintf(stderr, "Error: %s: cannot write\n", path);
  return false;
}
