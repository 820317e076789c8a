#include "db/CheckedFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <iostream>

CheckedFile::CheckedFile(const char* path) : finalPath(path), tempPath(finalPath + ".XXXXXX") {
  // mkstemp creates the file private (0600); give it the mode a plain fopen would.
  const int fd = mkstemp(tempPath.data());
  if (fd < 0) {
    tempPath.clear();
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file = fdopen(fd, "w");
    if (file == nullptr) ::close(fd);
  }
  ok = file != nullptr;
  if (!ok) discard();
}

CheckedFile::~CheckedFile() {
  if (file) {
    std::fclose(file);
    file = nullptr;
    discard();
  }
}

bool CheckedFile::close() {
  if (file) {
    const bool failed = std::ferror(file) != 0;
    if (std::fclose(file) != 0 || failed) ok = false;
    file = nullptr;
    if (ok && std::rename(tempPath.c_str(), finalPath.c_str()) != 0) ok = false;
    if (!ok) discard();
  }
  return ok;
}

// Removes the temporary file and whatever file an earlier run left at the final name (a
// directory there stays).
void CheckedFile::discard() {
  ok = false;
  if (!tempPath.empty()) unlink(tempPath.c_str());
  tempPath.clear();
  struct stat st;
  if (lstat(finalPath.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(finalPath.c_str());
}

bool reportWriteFailure(const char* path) {
  std::cout.flush();
  std::fflush(stdout);
  std::fprintf(stderr, "Error: %s: cannot write\n", path);
  return false;
}

void ignoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }
