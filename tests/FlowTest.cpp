// The flow driver's result when the layered stage leaves a net open.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "Flow.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/LaTestProblem.h"

namespace {

// Net 7 lists a pin (4, 4) among its layered pins only, so no stage routes to it: the readers
// never build such a net, which is why it is made here. With layered rounds the run finishes,
// names the net and reports failure (the program's exit status 1); without them nothing checks
// the layered pins and the run succeeds.
TEST(FlowDriver, AnOpenNetAfterTheLayeredStageFailsTheRun) {
  const std::filesystem::path old = std::filesystem::current_path();
  std::filesystem::current_path(KORVANE_BINARY_DIR);  // the Steiner tables
  for (const int rounds : {1, 0}) {
    SCOPED_TRACE(rounds);
    NetDB db = makeGridDB(6, 6, {3, 0}, {0, 3});
    addNet(db, 8, {Point(1, 1), Point(1, 4)});
    addNet(db, 7, {Point(0, 0), Point(3, 0)}).pins3D.emplace_back(4, 4, 0);
    parameterSet params;
    params.mazeIteration = 2;
    params.optimization3DIteration = rounds;
    params.outputRoutingResult = false;
    params.outputOverflowInfo = false;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const bool ok = main_ISPD(db, params, "");
    const std::string err = testing::internal::GetCapturedStderr();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ok, rounds == 0);
    EXPECT_EQ(err.find("Error: net n7: the layered routes leave a pin unconnected\n") != std::string::npos, rounds == 1)
        << err;
  }
  std::filesystem::current_path(old);
}

}  // namespace
