// Mode selection, usage errors and the maze override of the command line.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "Flow.h"
#include "support/RunProcess.h"

namespace {

const char* kUsage =
    "!!!!  Korvane 2.0 !!!! \n"
    "format error..\n"
    "./Korvane  ISPD  <ISPD'08 fomat input file>  <Parameter setting file>  [Output file]\n"
    "./Korvane  ICCAD  <Circuit.aux file>  <Placement solution.pl file>  <Parameter setting file> [Output file]\n";

TEST(CommandLine, WrongModeOrArgumentCountPrintsUsage) {
  const struct {
    const char* name;
    std::vector<std::string> args;
  } kCases[] = {{"no arguments", {}},
                {"unknown mode", {"ROUTE", "a", "b", "c"}},
                {"lower-case mode word", {"ispd", "a.gr", "b.set", "c.out"}},
                {"ISPD with two arguments", {"ISPD", "a.gr", "b.set"}},
                {"ICCAD with three arguments", {"ICCAD", "a.aux", "b.pl", "c.set"}},
                {"TEST with five arguments", {"TEST", "a.aux", "b.pl", "c.gr", "d.set", "e"}}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const RunResult r = runKorvane(c.args);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, kUsage);
  }
}

TEST(CommandLine, MazeOverrideParsesLikeAtoiWithWrap) {
  const struct {
    const char* text;
    int value;
  } kCases[] = {{"3", 3},
                {"-1", -1},
                {"abc", 0},
                {"4294967297", 1},
                {"-2147483649", 2147483647},
                {"2147483648", -2147483647 - 1}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(parseMazeOverride(c.text), c.value);
  }
}

}  // namespace
