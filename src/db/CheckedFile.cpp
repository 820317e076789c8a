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
#include <vector>

namespace {

// What the signal handler cleans up, in a fixed buffer and plain values that it may read: the
// temporary file being written, and the regular file written in place with the length to cut it
// back to. Both change only with the caught signals held. The writers write one file at a time. A
// longer name cannot be created anyway.
char pendingTemp[PATH_MAX];
volatile std::sig_atomic_t tempPending = 0;
int pendingCutFd = -1;
off_t pendingCutLength = 0;
volatile std::sig_atomic_t cutPending = 0;

// The signals whose handler cleans up; empty until setUpOutputSignals.
sigset_t caughtSignals;

// Cleans up, then ends the process by the same signal as if no handler were set.
void cleanUpAndEnd(int sig) {
  if (tempPending) unlink(pendingTemp);
  if (cutPending && ftruncate(pendingCutFd, pendingCutLength) != 0) {
    // Nothing more can be done.
  }
  signal(sig, SIG_DFL);
  raise(sig);  // held until the handler returns, then fatal
}

// Holds the caught signals back while a pending file and its record change together, so the
// handler never misses a file nor touches one of another name.
class SignalsHeld {
 public:
  SignalsHeld() { sigprocmask(SIG_BLOCK, &caughtSignals, &saved); }
  ~SignalsHeld() { sigprocmask(SIG_SETMASK, &saved, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t saved;
};

// The directory part of `name`, for a lookup relative to where `name` lies.
std::string directoryOf(const std::string& name) {
  const std::size_t slash = name.rfind('/');
  return slash == std::string::npos ? std::string() : name.substr(0, slash + 1);
}

// Whether `dir` lists this process's own open descriptors (/dev/fd/, /proc/self/fd/).
bool isOwnDescriptorDirectory(const std::string& dir) {
  struct stat listed, own;
  if (stat(dir.c_str(), &listed) != 0) return false;
  for (const char* ownDir : {"/proc/self/fd", "/proc/thread-self/fd"})
    if (stat(ownDir, &own) == 0 && own.st_dev == listed.st_dev && own.st_ino == listed.st_ino) return true;
  return false;
}

// The descriptor number that an entry of a descriptor directory is named by, or -1.
int descriptorNumber(const std::string& entry) {
  if (entry.empty() || entry.size() > 9 || (entry[0] == '0' && entry.size() > 1)) return -1;
  int number = 0;
  for (const char c : entry) {
    if (c < '0' || c > '9') return -1;
    number = number * 10 + (c - '0');
  }
  return number;
}

// Where an output name leads once symlinks are followed.
struct Destination {
  std::string file;     // the file to write; "" when the name itself is to be opened
  int descriptor = -1;  // or an open descriptor of this process that the name stands for
};

// Follows the links of `name`. A name in this process's descriptor directory (/dev/stdout,
// /dev/fd/N) stands for that descriptor: opening it again would truncate what it holds and write
// at an offset of its own. Any other link under /proc is opened by its own name, and so is a chain
// of more links than the kernel follows.
Destination follow(std::string name) {
  for (int links = 0; links < 40; ++links) {
    const std::string dir = directoryOf(name);
    struct statfs fs;
    const bool inProc = statfs(dir.empty() ? "." : dir.c_str(), &fs) == 0 && fs.f_type == PROC_SUPER_MAGIC;
    if (inProc && isOwnDescriptorDirectory(dir)) {
      const int descriptor = descriptorNumber(name.substr(dir.size()));
      return descriptor >= 0 ? Destination{{}, descriptor} : Destination{};
    }
    struct stat st;
    if (lstat(name.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return {name};
    if (inProc) return {};
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
  // A log that shares the output's file (/dev/stdout) comes whole before the result.
  std::cout.flush();
  std::fflush(stdout);
  const Destination to = follow(path);
  struct stat st;
  if (to.descriptor >= 0) {
    openDescriptor(to.descriptor);
  } else if (to.file.empty()) {
    // A link under /proc or an endless chain of links: in place.
  } else if (lstat(to.file.c_str(), &st) != 0) {
    if (errno == ENOENT) openReplacement(to.file);
  } else if (S_ISREG(st.st_mode) && st.st_nlink == 1 && (st.st_uid == geteuid() || geteuid() == 0) &&
             faccessat(AT_FDCWD, to.file.c_str(), W_OK, AT_EACCESS) == 0) {
    // Root may give a replacement back to any owner; anyone else replaces only their own files,
    // so that a file of another owner keeps it and a sticky directory (/tmp) cannot refuse the rename.
    // An own file that may not be written is not replaced either: opening it in place is refused,
    // as it always was, and it stays as it was. Root may write any file.
    if (openReplacement(to.file)) {
      // The owner first: a change of owner clears the set-id bits that the mode then restores.
      if (fchown(fileno(file), st.st_uid, st.st_gid) != 0) {
        // Not permitted: the replacement stays ours.
      }
      fchmod(fileno(file), st.st_mode & 07777);
    }
  }
  // Anything else, or no replacement could be made (a directory that takes no new file, a name
  // too long for the suffix): in place. A descriptor is never opened by name.
  if (!file && to.descriptor < 0) openInPlace();
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
    const SignalsHeld held;
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
  if (file && fstat(fileno(file), &st) == 0 && S_ISREG(st.st_mode)) holdForCut(fileno(file), 0);
}

// Writes through a duplicate of the descriptor, so that its offset and append mode hold and what
// it held before stays; only a descriptor open for writing will do.
void CheckedFile::openDescriptor(int descriptor) {
  const int flags = fcntl(descriptor, F_GETFL);
  if (flags < 0 || (flags & O_ACCMODE) == O_RDONLY) return;  // not open, or only for reading (O_PATH too)
  const int fd = fcntl(descriptor, F_DUPFD_CLOEXEC, 0);
  if (fd < 0) return;
  file = fdopen(fd, "w");  // neither truncates nor moves the offset
  if (file == nullptr) {
    ::close(fd);
    return;
  }
  struct stat st;
  if (fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
    // Where the result begins: appended at the end, or else at the descriptor's offset.
    const off_t start = (flags & O_APPEND) != 0 ? st.st_size : lseek(fd, 0, SEEK_CUR);
    if (start >= 0) holdForCut(fd, start);
  }
}

// Keeps a descriptor of the regular file being written in place apart from `file`, so that a
// failure found when closing, or a signal, can still cut it back to `length`.
void CheckedFile::holdForCut(int fd, off_t length) {
  const SignalsHeld held;
  inPlaceFd = dup(fd);
  if (inPlaceFd < 0) return;
  keepLength = length;
  pendingCutFd = inPlaceFd;
  pendingCutLength = length;
  cutPending = 1;
}

bool CheckedFile::close() {
  if (file) {
    if (std::ferror(file) != 0) ok = false;
    if (std::fclose(file) != 0) ok = false;
    file = nullptr;
    if (ok && !tempPath.empty()) {
      const SignalsHeld held;
      if (std::rename(tempPath.c_str(), targetPath.c_str()) == 0)
        tempPending = 0;
      else
        ok = false;
    }
    if (ok) {
      tempPath.clear();
      releaseCut();
    } else {
      discard();
    }
  }
  return ok;
}

// Leaves no cut result: a replacement's temporary file goes, and so does the earlier regular file
// at its name; a regular file written in place is cut back to where the result began. Nothing
// else is touched.
void CheckedFile::discard() {
  ok = false;
  if (file) std::fclose(file);
  file = nullptr;
  if (!tempPath.empty()) {
    removeTemp();
    struct stat st;
    if (lstat(targetPath.c_str(), &st) == 0 && S_ISREG(st.st_mode)) unlink(targetPath.c_str());
  }
  if (inPlaceFd >= 0 && ftruncate(inPlaceFd, keepLength) != 0) {
    // Nothing more can be done; the failure is reported all the same.
  }
  releaseCut();
}

void CheckedFile::releaseCut() {
  if (inPlaceFd < 0) return;
  const SignalsHeld held;
  cutPending = 0;
  ::close(inPlaceFd);
  inPlaceFd = -1;
}

void CheckedFile::removeTemp() {
  const SignalsHeld held;
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
  // Every signal that ends a process by default and may be caught.
  std::vector<int> fatal = {SIGHUP,    SIGINT,  SIGQUIT,   SIGILL,  SIGTRAP, SIGABRT, SIGBUS,
                            SIGFPE,    SIGUSR1, SIGSEGV,   SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
                            SIGSTKFLT, SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS};
  for (int sig = SIGRTMIN; sig <= SIGRTMAX; ++sig) fatal.push_back(sig);
  sigemptyset(&caughtSignals);
  for (const int sig : fatal) {
    // One the caller ignores (nohup, a background job) stays ignored, and one a runtime already
    // handles (a sanitizer's) stays with it.
    struct sigaction action {};
    if (sigaction(sig, nullptr, &action) == 0 && action.sa_handler == SIG_DFL) sigaddset(&caughtSignals, sig);
  }
  struct sigaction action {};
  action.sa_handler = cleanUpAndEnd;
  action.sa_mask = caughtSignals;
  for (const int sig : fatal)
    if (sigismember(&caughtSignals, sig) == 1) sigaction(sig, &action, nullptr);
}
