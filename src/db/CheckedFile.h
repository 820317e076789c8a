#pragma once
// Output files whose every write is checked, for the result and report writers.
//
// A file is written under a temporary name in its final directory and renamed into place only
// once it is complete and closed, so that a reader never finds a cut file at the final name: a
// failed write (a full disk, a file-size limit) removes the temporary file and leaves no file
// at the final name.

#include <cstdio>
#include <string>

// A text file opened for writing; close() reports whether everything reached it.
class CheckedFile {
 public:
  explicit CheckedFile(const char* path);
  ~CheckedFile();
  CheckedFile(const CheckedFile&) = delete;
  CheckedFile& operator=(const CheckedFile&) = delete;
  template <class... Args>
  void print(const char* fmt, Args... args) {
    if (ok && std::fprintf(file, fmt, args...) < 0) ok = false;
  }
  // Closes the file and, when every write succeeded, moves it to its final name. On any
  // failure nothing stays at the final name and no temporary file is left.
  bool close();
  bool good() const { return ok; }

 private:
  void discard();

  std::string finalPath, tempPath;
  std::FILE* file = nullptr;
  bool ok = false;
};

// Prints "Error: <path>: cannot write" on stderr (after what stdout holds) and returns false.
bool reportWriteFailure(const char* path);

// Lets a write beyond the file-size limit fail with an error the writers report, rather than
// end the process by a signal with a cut file. Call once at start-up.
void ignoreFileSizeSignal();
