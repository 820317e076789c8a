// The table generator: regeneration reproduces the built tables, and the built bytes are the
// recorded ones (any change of the generated tables must come with a new checksum).

#include <gtest/gtest.h>

#include <string>

#include "support/RunProcess.h"

namespace {

const std::string kBinaryDir = KORVANE_BINARY_DIR;

TEST(LutGenerator, RegeneratedDegreesMatchTheBuiltTables) {
  TempDir dir;
  const RunResult r =
      runProcess(kBinaryDir + "/lutgen", {"--quiet", "--out", dir.path, "--max-degree", "7", "--threads", "2"});
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  for (const char* name : {"POWV9.dat", "POST9.dat"}) {
    const std::string fresh = readFile(dir.file(name)), built = readFile(kBinaryDir + "/" + name);
    ASSERT_GT(fresh.size(), 1000u);
    EXPECT_EQ(built.substr(0, fresh.size() + 4), fresh + "d=8\n") << name;
  }
}

TEST(LutGenerator, BuiltTablesMatchTheRecordedChecksums) {
  const RunResult r = runProcess("/usr/bin/env", {"sha256sum", "POWV9.dat", "POST9.dat"}, kBinaryDir);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_EQ(r.out, readFile(std::string(KORVANE_SOURCE_DIR) + "/tests/steiner/lut.sha256"));
}

}  // namespace
