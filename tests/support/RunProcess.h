#pragma once
// Runs a program as a child process and collects what it printed and how it ended.

#include <string>
#include <vector>

struct RunResult {
  int exitStatus = -1;  // exit code, or -1 when the process did not exit normally (signal)
  std::string out, err;
};

// Runs `program` with `args` in directory `workDir` (empty: the current one). A non-negative
// `fileSizeLimit` caps, in bytes, every file the child writes (its captured output included).
RunResult runProcess(const std::string& program, const std::vector<std::string>& args, const std::string& workDir = "",
                     long long fileSizeLimit = -1);

// Runs the Korvane executable of this build. A run that ends with status 0 must not have printed
// an "ERROR" line (an internal consistency check); one that did fails the calling test.
RunResult runKorvane(const std::vector<std::string>& args, const std::string& workDir = "",
                     long long fileSizeLimit = -1);

// A fresh empty directory under the system temp directory, removed with its contents on destruction.
struct TempDir {
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  // Writes `text` to the file `name` in the directory and returns its path.
  std::string write(const std::string& name, const std::string& text) const;
  std::string file(const std::string& name) const { return path + "/" + name; }
  std::string path;
};

std::string readFile(const std::string& path);
