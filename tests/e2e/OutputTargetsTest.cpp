// The result goes where the output name points. A plain file is replaced whole; a symlink's
// target, a hard-linked file, a pipe, an open descriptor, a device, a file whose directory takes
// no new file and a name too long for a temporary suffix are written through, and every name
// keeps its kind, mode and owner. A write-protected file and an output that is an input are
// refused and keep what they held; an interrupted replacement leaves the earlier file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <set>
#include <sstream>

#include "support/BookshelfSet.h"
#include "support/RunProcess.h"

namespace {

const std::string kSource = KORVANE_SOURCE_DIR;
const char kSetpriv[] = "/usr/bin/setpriv";
constexpr uid_t kNobody = 65534;

// Two nets on a 4 x 4 grid: a result of a few hundred bytes, which any pipe holds whole.
const char kProblem[] =
    "grid 4 4 2\nvertical capacity 0 20\nhorizontal capacity 20 0\nminimum width 1 1\nminimum spacing 1 1\n"
    "via spacing 1 1\n0 0 10 10\nnum net 2\na 0 2 1\n5 5 1\n35 25 1\nb 1 3 1\n5 35 1\n25 5 1\n35 35 1\n0\n";

// A scratch directory to run the router in: the problem, a parameter file and the Steiner tables.
void prepare(const TempDir& dir) {
  dir.write("p.gr", kProblem);
  dir.write("p.set", "Maze Routing Iteration = 5\n");
  for (const std::string table : {"POWV9.dat", "POST9.dat"})
    ASSERT_EQ(symlink((std::string(KORVANE_BINARY_DIR) + "/" + table).c_str(), dir.file(table).c_str()), 0);
}

// What one row made in the scratch directory for the router to write to.
struct Target {
  std::vector<std::string> inputs = {"ISPD", "p.gr", "p.set"};  // the arguments before the output name
  std::string out;                   // the output name (relative to the directory, or absolute)
  std::vector<std::string> holders;  // names that must read as the result afterwards
  std::string before;                // what the holders read before the result
  std::string refusal;               // a refused run's one error line; the holders then keep their text
  std::optional<std::string> left;   // or, when given, read this
  int reader = -1, writer = -1;      // a pipe whose read end must receive the result
  bool intoLog = false;              // standard output: its log must hold the result whole, in its place
  long long fileSizeLimit = -1;
  int input = -2;  // the router's standard input: -2 an empty writable file, where nothing may go; -1 closed
  bool asNobody = false;             // run as an unprivileged user (root drops to it)
  std::string skip;                  // why the row cannot run here
};

Target writeTo(const std::string& out, const std::vector<std::string>& holders = {}) {
  Target t;
  t.out = out, t.holders = holders;
  return t;
}

Target refuse(const std::string& out, const std::vector<std::string>& holders, const std::string& refusal) {
  Target t = writeTo(out, holders);
  t.refusal = "Error: " + refusal + "\n";
  return t;
}

// A name that names no file, with the report asked for: neither may be written.
Target refuseNoFile(const TempDir& dir, const std::string& out) {
  dir.write("p.set", "Maze Routing Iteration = 5\nOutput Overflow Information = Yes\n");
  return refuse(out, {},
                out.empty() ? "\"\": the output file name is empty" : out + ": names a directory, not an output file");
}

// A descriptor the router inherits, open with `flags` on the file f holding "old\n", named as
// /dev/fd/N. Appended to, f must keep "old\n"; refused, f must keep all it held.
Target throughDescriptor(const TempDir& dir, int flags, bool refused = false) {
  Target t = writeTo("", {"f"});
  t.writer = open(dir.write("f", "old\n").c_str(), flags);
  t.out = "/dev/fd/" + std::to_string(t.writer);
  if (refused) t.refusal = "Error: " + t.out + ": cannot write\n";
  if (flags & O_APPEND) t.before = "old\n";
  return t;
}

Target refuseInput(const std::string& out, const std::string& input) {
  return refuse(out, {input}, out + ": is the input file " + input);
}

// The tiny bookshelf set, asking for a result, run with one of its files as the output.
Target refuseInSet(const TempDir& dir, const std::string& file) {
  for (const auto& [name, text] : tinySet()) dir.write(name, text);
  dir.write("tiny.set", "Maze Routing Iteration = 5\n");  // its own asks for no result
  Target t = refuseInput(file, file);
  t.inputs = {"ICCAD", "tiny.aux", "tiny.pl", "tiny.set"};
  return t;
}

Target skipRow(const char* why) {
  Target t;
  t.skip = why;
  return t;
}

// Every name under `dir`, at any depth.
std::set<std::string> namesUnder(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::recursive_directory_iterator(dir)) names.insert(e.path().string());
  return names;
}

// lstat of `name` as the router, run in `dir`, sees it (a relative name may be near PATH_MAX on its own).
bool lstatIn(const TempDir& dir, const std::string& name, struct stat& st) {
  const int at = open(dir.path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  const bool found = fstatat(at, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
  close(at);
  return found;
}

// Everything a pipe holds; the writer has ended, so nothing is waited for.
std::string drain(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, std::size_t(n));
  return text;
}

// As root, a directory's permissions bind only an unprivileged process: run as one.
Target asAnotherUser(const TempDir& dir, Target t) {
  if (geteuid() != 0) return t;
  if (access(kSetpriv, X_OK) != 0) return skipRow("needs setpriv to run as another user");
  chmod(dir.path.c_str(), 0755);
  t.asNobody = true;
  return t;
}

const struct {
  const char* name;
  Target (*make)(const TempDir& dir);
} kTargets[] = {{"absent name", [](const TempDir&) { return writeTo("new.out", {"new.out"}); }},
                {"plain file of mode 0640 (as root, owned by another user)",
                 [](const TempDir& dir) {
                   chmod(dir.write("m.out", "old\n").c_str(), 0640);
                   if (geteuid() == 0 && chown(dir.file("m.out").c_str(), kNobody, kNobody) != 0)
                     return skipRow("chown not permitted");
                   return writeTo("m.out", {"m.out"});
                 }},
                {"symlink to a file",
                 [](const TempDir& dir) {
                   mkdir(dir.file("sub").c_str(), 0755);
                   chmod(dir.write("sub/t", "old\n").c_str(), 0600);
                   symlink("t", dir.file("sub/l").c_str());  // relative to the link's directory
                   return writeTo("sub/l", {"sub/t"});
                 }},
                {"file with a second hard link",
                 [](const TempDir& dir) {
                   link(dir.write("h1", "old\n").c_str(), dir.file("h2").c_str());
                   return writeTo("h1", {"h1", "h2"});
                 }},
                {"named pipe with a reader",
                 [](const TempDir& dir) {
                   mkfifo(dir.file("p").c_str(), 0600);
                   Target t = writeTo("p");
                   t.reader = open(dir.file("p").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
                   return t;
                 }},
                {"open descriptor /dev/fd/N",
                 [](const TempDir&) {
                   int ends[2];
                   if (pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return skipRow("pipe2");
                   fcntl(ends[1], F_SETFD, 0);  // the router inherits the write end
                   Target t = writeTo("/dev/fd/" + std::to_string(ends[1]));
                   t.reader = ends[0], t.writer = ends[1];
                   return t;
                 }},
                {"open descriptor /dev/fd/N on a file (3>file)",
                 [](const TempDir& dir) { return throughDescriptor(dir, O_WRONLY | O_TRUNC); }},
                {"open descriptor /dev/fd/N appending to a file (3>>file)",
                 [](const TempDir& dir) { return throughDescriptor(dir, O_WRONLY | O_APPEND); }},
                {"open descriptor /dev/fd/N appending to a file, write failed: cut back",
                 [](const TempDir& dir) {
                   Target t = throughDescriptor(dir, O_WRONLY | O_APPEND, true);
                   t.fileSizeLimit = 100;  // the result takes a few hundred bytes
                   return t;
                 }},
                {"open descriptor /dev/fd/N at offset 0 of a file (3<>file), write failed: cut back to 0",
                 [](const TempDir& dir) {
                   Target t = throughDescriptor(dir, O_WRONLY, true);
                   t.fileSizeLimit = 100;
                   t.left = "";
                   return t;
                 }},
                {"open descriptor /dev/fd/N appending to a file, standard input closed",
                 [](const TempDir& dir) {
                   Target t = throughDescriptor(dir, O_WRONLY | O_APPEND);
                   t.input = -1;  // the duplicate takes descriptor 0
                   return t;
                 }},
                {"standard input open only for reading (/dev/stdin 0<file)",
                 [](const TempDir& dir) {
                   Target t = refuse("/dev/stdin", {"f"}, "/dev/stdin: cannot write");
                   t.input = open(dir.write("f", "old\n").c_str(), O_RDONLY);
                   return t;
                 }},
                {"another process's descriptor /proc/<pid>/fd/N: opened by its name",
                 [](const TempDir& dir) {
                   Target t = writeTo("", {"f"});
                   t.writer = open(dir.write("f", "old\n").c_str(), O_WRONLY | O_CLOEXEC);  // not the router's
                   t.out = "/proc/" + std::to_string(getpid()) + "/fd/" + std::to_string(t.writer);
                   return t;
                 }},
                {"standard output (/dev/stdout)",
                 [](const TempDir&) {
                   Target t = writeTo("/dev/stdout");
                   t.intoLog = true;
                   return t;
                 }},
                {"empty name", [](const TempDir& dir) { return refuseNoFile(dir, ""); }},
                {".", [](const TempDir& dir) { return refuseNoFile(dir, "."); }},
                {"..", [](const TempDir& dir) { return refuseNoFile(dir, ".."); }},
                {"a directory, only the result asked for",
                 [](const TempDir& dir) {
                   mkdir(dir.file("sub").c_str(), 0755);
                   Target t = refuseNoFile(dir, "sub");
                   dir.write("p.set", "Maze Routing Iteration = 5\n");
                   return t;
                 }},
                {"a name ending in /", [](const TempDir& dir) { return refuseNoFile(dir, "new/"); }},
                {"own file in a read-only directory",
                 [](const TempDir& dir) {
                   mkdir(dir.file("ro").c_str(), 0755);
                   dir.write("ro/x.out", "old\n");
                   if (geteuid() == 0 && chown(dir.file("ro/x.out").c_str(), kNobody, kNobody) != 0)
                     return skipRow("chown not permitted");
                   chmod(dir.file("ro").c_str(), 0555);
                   return asAnotherUser(dir, writeTo("ro/x.out", {"ro/x.out"}));
                 }},
                {"another user's writable file in a sticky directory (root only)",
                 [](const TempDir& dir) {
                   if (geteuid() != 0) return skipRow("needs root to act as another user");
                   mkdir(dir.file("shared").c_str(), 0755);
                   chmod(dir.file("shared").c_str(), 01777);
                   chmod(dir.write("shared/x.out", "old\n").c_str(), 0666);
                   return asAnotherUser(dir, writeTo("shared/x.out", {"shared/x.out"}));
                 }},
                {"own write-protected file (mode 0444) in an own directory",
                 [](const TempDir& dir) {
                   mkdir(dir.file("own").c_str(), 0755);
                   chmod(dir.write("own/w.out", "old\n").c_str(), 0444);
                   for (const char* name : {"own", "own/w.out"})
                     if (geteuid() == 0 && chown(dir.file(name).c_str(), kNobody, kNobody) != 0)
                       return skipRow("chown not permitted");
                   return asAnotherUser(dir, refuse("own/w.out", {"own/w.out"}, "own/w.out: cannot write"));
                 }},
                {"the problem file", [](const TempDir&) { return refuseInput("p.gr", "p.gr"); }},
                {"a symlink to the parameter file",
                 [](const TempDir& dir) {
                   symlink("p.set", dir.file("s").c_str());
                   return refuseInput("s", "p.set");
                 }},
                {"a Steiner table (a copy: the build's own must not be at stake)",
                 [](const TempDir& dir) {
                   std::filesystem::remove(dir.file("POWV9.dat"));
                   std::filesystem::copy_file(std::string(KORVANE_BINARY_DIR) + "/POWV9.dat", dir.file("POWV9.dat"));
                   return refuse("POWV9.dat", {}, "POWV9.dat: is the input file POWV9.dat");  // no 3 MB diff
                 }},
                {"the report on a link to the problem file",
                 [](const TempDir& dir) {
                   dir.write("p.set", "Maze Routing Iteration = 5\nOutput Overflow Information = Yes\n");
                   symlink("p.gr", dir.file("r.ofinfo").c_str());
                   return refuse("r", {"p.gr"}, "r.ofinfo: is the input file p.gr");
                 }},
                {"a bookshelf file the .aux names", [](const TempDir& dir) { return refuseInSet(dir, "tiny.nets"); }},
                {"the .pl", [](const TempDir& dir) { return refuseInSet(dir, "tiny.pl"); }},
                {"name within 7 characters of the name limit",
                 [](const TempDir&) {
                   const std::string name(NAME_MAX - 3, 'n');
                   return writeTo(name, {name});
                 }},
                {"name within 7 characters of the path limit (./././...)",
                 [](const TempDir& dir) {
                   dir.write("x.out", "old\n");
                   std::string name = "x.out";  // 4,091 characters: with the temporary suffix, beyond PATH_MAX
                   while (name.size() < PATH_MAX - 6) name = "./" + name;
                   return writeTo(name, {"x.out"});
                 }},
                {"character device 1,3 (as /dev/null)", [](const TempDir& dir) {
                   const std::string node = dir.file("null");
                   if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) return skipRow("mknod not permitted");
                   const int fd = open(node.c_str(), O_WRONLY);
                   if (fd < 0) return skipRow("devices not usable on this file system");
                   close(fd);
                   Target t = writeTo("null");
                   t.inputs = {"ISPD", "p.gr", "null"};  // also read: a device on both sides overwrites no file
                   return t;
                 }}};

TEST(OutputTargets, ResultGoesWhereTheNamePointsAndEveryNameKeepsItsKindModeAndOwner) {
  const mode_t callerMask = umask(022);  // new files are 0644 here, whatever the caller's umask
  std::string result;
  {
    TempDir dir;
    prepare(dir);
    const RunResult r = runKorvane({"ISPD", "p.gr", "p.set", "ref.out"}, dir.path);
    ASSERT_EQ(r.exitStatus, 0) << r.err;
    result = readFile(dir.file("ref.out"));
    ASSERT_FALSE(result.empty());
  }
  for (const auto& row : kTargets) {
    SCOPED_TRACE(row.name);
    TempDir dir;
    prepare(dir);
    const Target t = row.make(dir);
    if (!t.skip.empty()) {
      std::printf("[  SKIPPED ] row \"%s\": %s\n", row.name, t.skip.c_str());
      continue;
    }
    // A name that existed keeps its kind; a file that existed keeps its mode and owner.
    struct stat name {};
    const bool existed = lstatIn(dir, t.out, name);
    std::vector<struct stat> holders(t.holders.size());
    std::vector<std::string> texts(t.holders.size(), t.before + result);  // what each must read afterwards
    for (std::size_t i = 0; i < t.holders.size(); ++i) {
      if (stat(dir.file(t.holders[i]).c_str(), &holders[i]) != 0)
        holders[i].st_mode = S_IFREG | 0644, holders[i].st_uid = geteuid(), holders[i].st_gid = getegid();
      if (!t.refusal.empty()) texts[i] = t.left ? *t.left : readFile(dir.file(t.holders[i]));
    }
    std::vector<std::string> args = t.inputs;
    args.push_back(t.out);
    if (t.asNobody) args.insert(args.begin(), {"--reuid=65534", "--regid=65534", "--clear-groups", KORVANE_EXE});
    const std::set<std::string> made = namesUnder(dir.path);
    std::FILE* scratch = std::tmpfile();
    const int savedInput = dup(0);
    ASSERT_TRUE(scratch != nullptr && savedInput >= 0);
    if (t.input == -1)
      close(0);
    else
      ASSERT_EQ(dup2(t.input == -2 ? fileno(scratch) : t.input, 0), 0);
    const RunResult r = t.asNobody ? runProcess(kSetpriv, args, dir.path, t.fileSizeLimit)
                                   : runKorvane(args, dir.path, t.fileSizeLimit);
    dup2(savedInput, 0);
    close(savedInput);
    if (t.input >= 0) close(t.input);
    struct stat scratchAfter {};
    EXPECT_EQ(fstat(fileno(scratch), &scratchAfter), 0);
    EXPECT_EQ(scratchAfter.st_size, 0) << "written to standard input";
    std::fclose(scratch);
    if (!t.refusal.empty()) {
      EXPECT_EQ(namesUnder(dir.path), made) << "a refused run made or removed a file";
    }
    if (t.intoLog) {
      EXPECT_NE(r.out.find("output routing result = " + t.out + "\n" + result + "Output File costs"), std::string::npos)
          << r.out;
    }
    EXPECT_EQ(r.exitStatus, t.refusal.empty() ? 0 : 1);
    // Run as another user, a coverage build's child may say that it cannot write its counters:
    // only the error lines count.
    std::string errors;
    std::istringstream lines(r.err);
    for (std::string line; std::getline(lines, line);)
      if (!t.asNobody || line.starts_with("Error: ")) errors += line + "\n";
    EXPECT_EQ(errors, t.refusal);
    struct stat after {};
    const bool present = lstatIn(dir, t.out, after);
    EXPECT_EQ(present, existed || t.refusal.empty()) << "nothing left at the name, or made by a refused run";
    if (present) {
      EXPECT_EQ(after.st_mode & S_IFMT, existed ? name.st_mode & S_IFMT : S_IFREG);
    }
    for (std::size_t i = 0; i < t.holders.size(); ++i) {
      SCOPED_TRACE(t.holders[i]);
      EXPECT_EQ(readFile(dir.file(t.holders[i])), texts[i]);
      EXPECT_EQ(stat(dir.file(t.holders[i]).c_str(), &after), 0);
      EXPECT_EQ(after.st_mode, holders[i].st_mode);
      EXPECT_EQ(after.st_uid, holders[i].st_uid);
      EXPECT_EQ(after.st_gid, holders[i].st_gid);
    }
    if (t.writer >= 0) close(t.writer);
    if (t.reader >= 0) {
      EXPECT_EQ(drain(t.reader), result);
      close(t.reader);
    }
    chmod(dir.file("ro").c_str(), 0755);  // so that the scratch directory can be removed
  }
  umask(callerMask);
}

// A signal while an output is written leaves no cut result and still ends the run by that signal:
// a replacement's temporary file goes and the earlier file stays, a file written in place is
// emptied, and one written through a descriptor is cut back to what it held before. The router is
// held under ptrace at its first write to the output or its temporary file, sent the
// signal and let go; the rename row makes a directory at the output name instead.
const struct {
  const char* name;
  std::vector<int> signals;  // each sent to a run of its own; 0: none, a directory takes the name
  const char* output = "x.out";
  const char* before = "old\n";  // what x.out holds at the start (nullptr: absent)
  const char* after = "old\n";   // what x.out and its hard link read afterwards (nullptr: a directory, or the result)
  bool hardLink = false;         // x.out has a second name, x.2: written in place
  bool appendOnFd0 = false;      // the router's standard input is x.out, opened for appending
  bool stdinClosed = false;      // descriptor 0 is free for the temporary file
  bool ignored = false;          // the run starts with the signal ignored: it completes
} kInterrupted[] = {
    {.name = "replacement", .signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGUSR1, SIGALRM, SIGXCPU, SIGRTMAX}},
    {.name = "replacement, the signal ignored from the start (nohup)", .signals = {SIGHUP}, .after = nullptr,
     .ignored = true},
    {.name = "replacement, standard input closed", .signals = {SIGTERM}, .stdinClosed = true},
    {.name = "in place, a file with a second hard link", .signals = {SIGINT, SIGTERM}, .after = "", .hardLink = true},
    {.name = "through a descriptor appending to a file (/dev/stdin 0>>x.out)",
     .signals = {SIGINT},
     .output = "/dev/stdin",
     .appendOnFd0 = true},
    {.name = "replacement whose rename fails: a directory took the name",
     .signals = {0},
     .before = nullptr,
     .after = nullptr},
};

// Whether descriptor `fd` of process `pid` is open on `output` or its temporary file. A sanitizer
// runtime writes to descriptors of its own.
bool writesTo(pid_t pid, int fd, const std::string& output) {
  const std::string link = "/proc/" + std::to_string(pid) + "/fd/" + std::to_string(fd);
  std::string target(PATH_MAX, '\0');
  const ssize_t length = readlink(link.c_str(), target.data(), target.size());
  return length > 0 && target.substr(0, std::size_t(length)).starts_with(output);
}

TEST(OutputTargets, SignalDuringAWriteLeavesNoCutResultAndNoTemporaryFile) {
  for (const auto& row : kInterrupted)
    for (const int sig : row.signals) {
      SCOPED_TRACE(std::string(row.name) + ", " + (sig ? strsignal(sig) : "no signal"));
      TempDir dir;
      prepare(dir);
      std::set<std::string> expected = {"POST9.dat", "POWV9.dat", "p.gr", "p.set", "x.out"};
      const std::string output = std::filesystem::canonical(dir.path).string() + "/x.out";
      if (row.before) dir.write("x.out", row.before);
      if (row.hardLink) {
        ASSERT_EQ(link(dir.file("x.out").c_str(), dir.file("x.2").c_str()), 0);
        expected.insert("x.2");
      }
      const pid_t pid = fork();
      ASSERT_GE(pid, 0);
      if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        if (null < 0 || dup2(null, 1) < 0 || dup2(null, 2) < 0 || chdir(dir.path.c_str()) != 0) _exit(127);
        if (row.appendOnFd0 && dup2(open("x.out", O_WRONLY | O_APPEND), 0) != 0) _exit(127);
        if (row.stdinClosed) close(0);
        const rlimit noCore{0, 0};
        setrlimit(RLIMIT_CORE, &noCore);
        if (sig) signal(sig, row.ignored ? SIG_IGN : SIG_DFL);  // SIG_DFL: as an interactive shell leaves it
        if (ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(126);
        execl(KORVANE_EXE, KORVANE_EXE, "ISPD", "p.gr", "p.set", row.output, nullptr);
        _exit(127);
      }
      int status = 0;
      waitpid(pid, &status, 0);  // stopped at its start
      if (WIFEXITED(status) && WEXITSTATUS(status) == 126) GTEST_SKIP() << "ptrace not permitted here";
      ptrace(PTRACE_SETOPTIONS, pid, nullptr, PTRACE_O_TRACESYSGOOD | PTRACE_O_EXITKILL);
      for (int pass = 0; WIFSTOPPED(status);) {  // pass: a signal of the router's own, passed on
        ptrace(PTRACE_SYSCALL, pid, nullptr, pass);
        waitpid(pid, &status, 0);
        pass = WIFSTOPPED(status) && WSTOPSIG(status) != (SIGTRAP | 0x80) ? WSTOPSIG(status) : 0;
        __ptrace_syscall_info call{};
        if (WIFSTOPPED(status) && pass == 0 && ptrace(PTRACE_GET_SYSCALL_INFO, pid, sizeof call, &call) > 0 &&
            call.op == PTRACE_SYSCALL_INFO_ENTRY && call.entry.nr == SYS_write &&
            writesTo(pid, int(call.entry.args[0]), output)) {
          if (sig)
            kill(pid, sig);
          else
            mkdir(dir.file("x.out").c_str(), 0755);
          ptrace(PTRACE_DETACH, pid, nullptr, 0);
          waitpid(pid, &status, 0);
        }
      }
      if (sig && !row.ignored)
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "wait status " << status;
      else if (row.ignored)
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wait status " << status;
      else
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << "wait status " << status;
      std::set<std::string> names;
      for (const auto& e : std::filesystem::directory_iterator(dir.path)) names.insert(e.path().filename().string());
      EXPECT_EQ(names, expected);
      if (row.after) {
        EXPECT_EQ(readFile(dir.file("x.out")), row.after);
        if (row.hardLink) {
          EXPECT_EQ(readFile(dir.file("x.2")), row.after);
        }
      }
    }
}

// A write in place that fails (here past the file-size limit) empties the file rather than leave
// a cut result that looks complete: both names of a hard-linked file read empty.
TEST(OutputTargets, FailedWriteInPlaceLeavesTheFileEmpty) {
  TempDir dir;
  prepare(dir);
  ASSERT_EQ(link(dir.write("h1", "an earlier result\n").c_str(), dir.file("h2").c_str()), 0);
  // The result of the bundled example takes about 88 kB.
  const RunResult r = runKorvane({"ISPD", kSource + "/examples/tiny.gr", "p.set", "h1"}, dir.path, 16384);
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.err, "Error: h1: cannot write\n");
  struct stat st {};
  ASSERT_EQ(stat(dir.file("h1").c_str(), &st), 0);
  EXPECT_EQ(st.st_nlink, 2u);
  EXPECT_EQ(st.st_size, 0);
  EXPECT_EQ(readFile(dir.file("h2")), "");
}

}  // namespace
