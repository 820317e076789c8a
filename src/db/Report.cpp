#include "db/Report.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <iostream>

void fatalError(std::string_view file, std::string_view what) {
  std::cout.flush();
  std::fflush(nullptr);  // progress lines first, then the error
  std::fprintf(stderr, "Error: %.*s: %.*s\n", int(file.size()), file.data(), int(what.size()), what.data());
  std::exit(1);
}

void reportInconsistency(const char* module, int code, std::string_view detail) {
  std::printf("ERROR %s %d%.*s\n", module, code, int(detail.size()), detail.data());
}

std::string format(const char* fmt, ...) {
  va_list ap;
  va_start(ap, fmt);
  va_list ap2;
  va_copy(ap2, ap);
  const int n = std::vsnprintf(nullptr, 0, fmt, ap);
  va_end(ap);
  std::string s(n > 0 ? std::size_t(n) : 0, '\0');
  if (n > 0) std::vsnprintf(s.data(), s.size() + 1, fmt, ap2);
  va_end(ap2);
  return s;
}
