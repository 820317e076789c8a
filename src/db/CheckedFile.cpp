#include "db/CheckedFile.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

// The temporary file being written, for the interrupt handler, which may read nothing but a
// fixed buffer and a flag. The writers write one file at a time. A longer name cannot be
// created anyway.
char pendingTemp[PATH_MAX];
volatile std::sig_atomic_t tempPending = 0;

constexpr int kInterrupts[] = {SIGINT, SIGTERM, SIGHUP};

// Removes the temporary file, then ends the process by the same signal as if no handler were set.
void removeTempAndEnd(int sig) {
  if (tempPending) unlink(pendingTemp);
  signal(sig, SIG_DFL);
  raise(sig);  // held until the handler returns, then fatal
}

// Holds the interrupts back while a temporary file and its record change together, so the
// handler never misses a file nor removes one of another name.
class InterruptsHeld {
 public:
  InterruptsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (const int sig : kInterrupts) sigaddset(&held, sig);
    sigprocmask(SIG_BLOCK, &held, &saved);
  }
  ~InterruptsHeld() { sigprocmask(SIG_SETMASK, &saved, nullptr); }
  InterruptsHeld(const InterruptsHeld&) = delete;
  InterruptsHeld& operator=(const InterruptsHeld&) = delete;

 private:
  sigset_t saved;
};

// The directory part of `name`, for a lookup relative to where `name` lies.
std::string directoryOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// The file that `name` stands for once symlinks are followed, or "" when it must be opened by
// its own name: a link under /proc (/dev/fd/N, /dev/stdout) names an open descriptor, not a
// file, and a chain of more links than the kernel follows does not end.
std::string followLinks(std::string name) {
  for (int links = 0; links < 40; ++links) {
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return name;
    const std::string dir = directoryOf(name);
    struct statfs fs;
    if (statfs(dir.empty() ? "." : dir.c_str(), &fs) != 0 || fs.f_type == PROC_SUPER_MAGIC) return {};
    std::string target(PATH_MAX, '\0');
    const ssize_t length = readlink(name.c_str(), target.data(), target.size());
    if (length <= 0 || std::size_t(length) >= target.size()) return {};
    target.resize(std::size_t(length));
    // A relative target is looked up from the link's directory.
    name = target[0] == '/' ? target : dir + target;
  }
  return {};
}

}  // namespace

CheckedFile::CheckedFile(const char* name) : path(name) {
  const std::string target = followLinks(path);
  struct stat st;
  if (target.empty()) {
    // An open descriptor or an endless chain of links: in place.
  } else if (lstat(target.c_str(), &st) != 0) {
    if (errno == ENOENT) openReplacement(target);
  } else if (S_ISREG(st.st_mode) && st.st_nlink == 1 && (st.st_uid == geteuid() || geteuid() == 0) &&
             faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) == 0) {
    // Root may give a replacement back to any owner; anyone else replaces only their own files,
    // so that a file of another owner keeps it and a sticky directory (/tmp) cannot refuse the rename.
    // An own file that may not be written is not replaced either: opening it in place is refused,
    // as it always was, and it stays as it was. Root may write any file.
    if (openReplacement(target)) {
      // The owner first: a change of owner clears the set-id bits that the mode then restores.
      if (fchown(fileno(file), st.st_uid, st.st_gid) != 0) {
        // Not permitted: the replacement stays ours.
      }
      fchmod(fileno(file), st.st_mode & 07777);
    }
  }
  // Anything else, or no replacement could be made (a directory that takes no new file, a name
  // too long for the suffix): in place.
  if (!file) openInPlace();
  ok = file != nullptr;
  if (!ok) discard();
}

CheckedFile::~CheckedFile() {
  if (file) discard();
}

// Creates the temporary file beside `target`, with the mode a plain fopen would give it.
bool CheckedFile::openReplacement(const std::string& target) {
  tempPath = target + ".XXXXXX";
  int fd = -1;
  if (tempPath.size() < sizeof pendingTemp) {
    const InterruptsHeld held;
    fd = mkstemp(tempPath.data());
    if (fd >= 0) {
      std::memcpy(pendingTemp, tempPath.c_str(), tempPath.size() + 1);
      tempPending = 1;
    }
  }
  if (fd >= 0) {
    const mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    file = fdopen(fd, "w");
    if (file == nullptr) {
      ::close(fd);
      removeTemp();
    }
  }
  if (file == nullptr) {
    tempPath.clear();  // none was made
    return false;
  }
  targetPath = target;
  return true;
}

void CheckedFile::openInPlace() {
  file = std::fopen(path.c_str(), "w");
  struct stat st;
  if (file && fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) inPlaceFd = dup(fileno(file));
}

bool CheckedFile::close() {
  if (file) {
    if (std::ferror(file) != 0) ok = false;
    if (std::fclose(file) != 0) ok = false;
    file = nullptr;
    if (ok && !tempPath.empty()) {
      const InterruptsHeld held;
      if (std::rename(tempPath.c_str(), targetPath.c_str()) == 0)
        tempPending = 0;
      else
        ok = false;
    }
    if (ok) {
      tempPath.clear();
      if (inPlaceFd >= 0) ::close(inPlaceFd);
      inPlaceFd = -1;
    } else {
      discard();
    }
  }
  return ok;
}

// Leaves no cut result: a replacement's temporary file goes, and so does the earlier regular file
// at its name; a regular file written in place is emptied. Nothing else is touched.
void CheckedFile::discard() {
  ok = false;
  if (file) std::fclose(file);
  file = nullptr;
  if (!tempPath.empty()) {
    removeTemp();
    struct stat st;
    if (lstat(targetPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(targetPath.c_str());
  }
  if (inPlaceFd >= 0) {
    if (ftruncate(inPlaceFd, 0) != 0) {
      // Nothing more can be done; the failure is reported all the same.
    }
    ::close(inPlaceFd);
    inPlaceFd = -1;
  }
}

void CheckedFile::removeTemp() {
  const InterruptsHeld held;
  unlink(tempPath.c_str());
  tempPending = 0;
  tempPath.clear();
}

bool reportWriteFailure(const char* path) {
  std::cout.flush();
  std::fflush(stdout);
  std::fprintf(stderr, "Error: %s: cannot write\n", path);
  return false;
}

void setUpOutputSignals() {
  std::signal(SIGXFSZ, SIG_IGN);
  for (const int sig : kInterrupts) {
    struct sigaction action {};
    // An interrupt the caller ignores (nohup, a background job) stays ignored.
    if (sigaction(sig, nullptr, &action) != 0 || action.sa_handler == SIG_IGN) continue;
    action = {};
    action.sa_handler = removeTempAndEnd;
    sigemptyset(&action.sa_mask);
    for (const int other : kInterrupts) sigaddset(&action.sa_mask, other);
    sigaction(sig, &action, nullptr);
  }
}
