// End-to-end: a whole run on the bundled example prints its lines in order and succeeds.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <regex>

#include "support/RunProcess.h"

namespace {

TEST(FlowConsole, BundledExamplePrintsTheRunLinesInOrder) {
  const std::string src = KORVANE_SOURCE_DIR;
  TempDir dir;
  const RunResult r =
      runKorvane({"ISPD", src + "/examples/tiny.gr", src + "/examples/default.set", dir.file("tiny.out")}, dir.path);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  const std::vector<std::string> inOrder = {
      "!!!!  Korvane 2.0 !!!! \n",
      "read " + src + "/examples/default.set\n",
      "set Via cost = 1\n",
      "set Pin Blockage Factor = 0.050\n",
      "read " + src + "/examples/tiny.gr\n",
      "Number of nets: 600\n",
      "Input File costs ",
      "total adjust capacity=",
      "Net Decomposition\n",
      "!!!!!!!!!  CPU  Total Time: ",
  };
  std::size_t at = 0;
  for (const std::string& line : inOrder) {
    const std::size_t p = r.out.find(line, at);
    ASSERT_NE(p, std::string::npos) << "missing or out of order: " << line << "\n" << r.out;
    at = p + line.size();
  }
  EXPECT_TRUE(std::regex_search(r.out, std::regex("Input File costs [0-9.e-]+ seconds\n\n")));
  EXPECT_TRUE(std::regex_search(r.out, std::regex("!!!!!!!!!  CPU  Total Time: [0-9.e-]+ seconds  !!!!!!!\n$")));
}

}  // namespace
