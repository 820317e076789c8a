#include "support/RunProcess.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

std::string readFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

TempDir::TempDir() {
  std::string templ = (std::filesystem::temp_directory_path() / "korvane-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path, ec);
}

std::string TempDir::write(const std::string& name, const std::string& text) const {
  const std::string p = file(name);
  std::ofstream(p, std::ios::binary) << text;
  return p;
}

RunResult runProcess(const std::string& program, const std::vector<std::string>& args, const std::string& workDir,
                     long long fileSizeLimit) {
  TempDir capture;
  const std::string outPath = capture.file("stdout"), errPath = capture.file("stderr");
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    // Close-on-exec: only their copies on 1 and 2 reach the program, not a descriptor 0 that a
    // closed standard input would lend them.
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (out < 0 || err < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
    if (!workDir.empty() && chdir(workDir.c_str()) != 0) _exit(127);
    if (fileSizeLimit >= 0) {
      const rlimit limit{rlim_t(fileSizeLimit), rlim_t(fileSizeLimit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  RunResult r;
  r.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = readFile(outPath);
  r.err = readFile(errPath);
  return r;
}

RunResult runKorvane(const std::vector<std::string>& args, const std::string& workDir, long long fileSizeLimit) {
  RunResult r = runProcess(KORVANE_EXE, args, workDir, fileSizeLimit);
  // Internal consistency checks print "ERROR ..." and let the run go on to status 0; on input
  // the router accepted, any such line is a fault of the router.
  if (r.exitStatus == 0) {
    const std::size_t at = r.out.starts_with("ERROR") ? 0 : r.out.find("\nERROR");
    if (at != std::string::npos) {
      const std::size_t begin = at == 0 ? 0 : at + 1;
      ADD_FAILURE() << "the run ended with status 0 after an internal error: "
                    << r.out.substr(begin, r.out.find('\n', begin) - begin);
    }
  }
  return r;
}
