#pragma once
// Output files whose every write is checked, for the result and report writers.

#include <cstdio>

// A text file opened for writing; close() reports whether everything reached it.
class CheckedFile {
 public:
  explicit CheckedFile(const char* path) : file(std::fopen(path, "w")), ok(file != nullptr) {}
  ~CheckedFile() {
    if (file) std::fclose(file);
  }
  CheckedFile(const CheckedFile&) = delete;
  CheckedFile& operator=(const CheckedFile&) = delete;
  template <class... Args>
  void print(const char* fmt, Args... args) {
    if (ok && std::fprintf(file, fmt, args...) < 0) ok = false;
  }
  bool close() {
    if (file) {
      if (std::fclose(file) != 0) ok = false;
      file = nullptr;
    }
    return ok;
  }
  bool good() const { return ok; }

 private:
  std::FILE* file;
  bool ok;
};

// Prints "Error: <path>: cannot write" on stderr (after what stdout holds) and returns false.
bool reportWriteFailure(const char* path);
