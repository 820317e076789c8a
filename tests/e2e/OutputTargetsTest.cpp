// The result goes where the output name points. A plain file is replaced whole; a symlink's
// target, a hard-linked file, a pipe, an open descriptor, a device, a file whose directory takes
// no new file and a name too long for a temporary suffix are written through, and every name
// keeps its kind, mode and owner.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <climits>
#include <cstdio>

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
  std::string out;                   // the output name (relative to the directory, or absolute)
  std::vector<std::string> holders;  // names that must read as the result afterwards
  int reader = -1, writer = -1;      // a pipe whose read end must receive the result
  bool asNobody = false;             // run as an unprivileged user (root drops to it)
  std::string skip;                  // why the row cannot run here
};

Target writeTo(const std::string& out, const std::vector<std::string>& holders = {}) {
  Target t;
  t.out = out, t.holders = holders;
  return t;
}

Target skipRow(const char* why) {
  Target t;
  t.skip = why;
  return t;
}

std::string pathIn(const TempDir& dir, const std::string& name) { return name[0] == '/' ? name : dir.file(name); }

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
                 [](const TempDir& dir) {
                   Target t = writeTo("", {"f"});
                   t.reader = open(dir.write("f", "old\n").c_str(), O_RDWR);  // read back through the descriptor
                   t.out = "/dev/fd/" + std::to_string(t.reader);
                   return t;
                 }},
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
                {"name within 7 characters of the name limit",
                 [](const TempDir&) {
                   const std::string name(NAME_MAX - 3, 'n');
                   return writeTo(name, {name});
                 }},
                {"character device 1,3 (as /dev/null)", [](const TempDir& dir) {
                   const std::string node = dir.file("null");
                   if (mknod(node.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) return skipRow("mknod not permitted");
                   const int fd = open(node.c_str(), O_WRONLY);
                   if (fd < 0) return skipRow("devices not usable on this file system");
                   close(fd);
                   return writeTo("null");
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
    const bool existed = lstat(pathIn(dir, t.out).c_str(), &name) == 0;
    std::vector<struct stat> holders(t.holders.size());
    for (std::size_t i = 0; i < t.holders.size(); ++i)
      if (stat(dir.file(t.holders[i]).c_str(), &holders[i]) != 0)
        holders[i].st_mode = S_IFREG | 0644, holders[i].st_uid = geteuid(), holders[i].st_gid = getegid();
    const std::vector<std::string> args = {"ISPD", "p.gr", "p.set", t.out};
    const RunResult r = t.asNobody ? runProcess(kSetpriv,
                                                {"--reuid=65534", "--regid=65534", "--clear-groups", KORVANE_EXE,
                                                 args[0], args[1], args[2], args[3]},
                                                dir.path)
                                   : runKorvane(args, dir.path);
    EXPECT_EQ(r.exitStatus, 0);
    // Run as another user, a coverage build's child may say that it cannot write its counters.
    if (t.asNobody) {
      EXPECT_EQ(("\n" + r.err).find("\nError: "), std::string::npos) << r.err;
    } else {
      EXPECT_EQ(r.err, "");
    }
    struct stat after {};
    EXPECT_EQ(lstat(pathIn(dir, t.out).c_str(), &after), 0) << "nothing left at the name";
    EXPECT_EQ(after.st_mode & S_IFMT, existed ? name.st_mode & S_IFMT : S_IFREG);
    for (std::size_t i = 0; i < t.holders.size(); ++i) {
      SCOPED_TRACE(t.holders[i]);
      EXPECT_EQ(readFile(dir.file(t.holders[i])), result);
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
