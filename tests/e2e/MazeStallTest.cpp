// A design whose maze stage stalls: with an unlimited maze budget, generated medium seed 11
// keeps rerouting the same connections onto the same edges at a constant total overflow.
// The stage must give up by itself and leave the rest to the post stage.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/ResultChecker.h"
#include "support/RunProcess.h"

TEST(WholeRun, StalledMazeStageEndsByItselfWithALegalResult) {
  TempDir dir;
  const std::string problem = KORVANE_STALL_PROBLEM;  // generated at build time: medium profile, seed 11
  // The bundled parameters with the maze budget left at its default (unlimited).
  const std::string set =
      dir.write("p.set", "Via cost = 1\nLayer Assignment Algorithm = 1\nPin Blockage Factor = 0.05\n");
  const RunResult r = runKorvane({"ISPD", problem, set, dir.file("m.out")}, KORVANE_BINARY_DIR);
  ASSERT_EQ(r.exitStatus, 0) << r.err;
  EXPECT_THAT(r.out, ::testing::HasSubstr("Maze routing stopped: no progress in 200 rounds\nMaze Routing costs"));
  GrProblem parsed;
  std::string error;
  ASSERT_TRUE(readGrProblem(problem, parsed, error)) << error;
  const CheckReport check = checkResultFile(parsed, dir.file("m.out"));
  EXPECT_TRUE(check.legal()) << check.summary();
  EXPECT_EQ(check.totalOverflow, 0);
}
