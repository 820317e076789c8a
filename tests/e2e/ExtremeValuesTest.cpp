// Problems whose values sit at the limits the readers accept: the largest, or no tracks at all in
// one direction. Each run must end normally with a legal result whose report agrees with the
// independent checker; sums that pass 32 bits must be printed whole. In the sanitizer build these
// runs are also the check that no arithmetic on such values overflows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "support/ResultChecker.h"
#include "support/RunProcess.h"

namespace {

using ::testing::HasSubstr;
using ::testing::Not;

constexpr int kMaxPitch = 1000000;       // file units
constexpr int kMaxEdgeTracks = 1000000;  // per direction, all layers together
// Enough copies of one adjustment at the track limit for their sum to pass 2^31.
constexpr int kRepeats = 2148;

// A congested 6 x 6 problem on four layers (1 and 3 horizontal, 2 and 4 vertical), each with
// `tracks` tracks of `pitch` file units, 600 two- to four-pin nets from a fixed sequence, and
// `adjustments` (count line included) after them.
std::string problem(int pitch, int tracks, const std::string& adjustments) {
  const std::string cap = std::to_string(std::int64_t(pitch) * tracks), spacing = std::to_string(pitch - 1);
  std::string text = "grid 6 6 4\nvertical capacity 0 " + cap + " 0 " + cap + "\nhorizontal capacity " + cap + " 0 " +
                     cap + " 0\nminimum width 1 1 1 1\nminimum spacing " + spacing + " " + spacing + " " + spacing +
                     " " + spacing + "\nvia spacing 1 1 1 1\n0 0 10 10\n\nnum net 600\n";
  std::uint32_t seed = 12345;
  auto next = [&seed](int range) {
    seed = seed * 1103515245u + 12345u;
    return int((seed >> 16) % std::uint32_t(range));
  };
  for (int n = 0; n < 600; ++n) {
    const int pins = 2 + next(3);
    text += "n" + std::to_string(n) + " " + std::to_string(n) + " " + std::to_string(pins) + " 1\n";
    for (int p = 0; p < pins; ++p) text += std::to_string(next(60)) + " " + std::to_string(next(60)) + " 1\n";
  }
  return text + "\n" + adjustments;
}

// `count` copies of one adjustment of the horizontal edge (0,0)-(1,0) on layer 1.
std::string repeatedAdjustment(int count, std::int64_t capacity) {
  std::string text = std::to_string(count) + "\n";
  for (int i = 0; i < count; ++i) text += "0 0 1 1 0 1 " + std::to_string(capacity) + "\n";
  return text;
}

// Three nets from one end of a 1-layer line of 4 tiles to the other, with two tracks along the
// line (a row, else a column) and none across it, then `adjustments`: the nets overflow the
// line, and every detour crosses edges that no layer can carry.
std::string lineOnly(bool row, const std::string& adjustments) {
  std::string text = std::string(row ? "grid 4 2 1\nvertical capacity 0\nhorizontal capacity 2\n"
                                     : "grid 2 4 1\nvertical capacity 2\nhorizontal capacity 0\n") +
                     "minimum width 1\nminimum spacing 0\nvia spacing 1\n0 0 10 10\n\nnum net 3\n";
  for (const char* n : {"0", "1", "2"})
    text += std::string("n") + n + " " + n + " 2 1\n5 5 1\n" + (row ? "35 5 1\n" : "5 35 1\n");
  return text + "\n" + adjustments;
}

struct RunOutcome {
  RunResult run;
  std::string report;  // the .ofinfo text
};

// Routes `gr` with the given pin blockage factor, layer-assignment algorithm and 3D rounds, and
// checks the result and the report against the independent checker.
RunOutcome routeAndCheck(const TempDir& dir, const std::string& gr, const std::string& factor, int algo, int rounds,
                         bool reportMatchesChecker) {
  const std::string set = dir.write(
      "p.set", "Via cost = 1\nMaze Routing Iteration = 5\nOutput Overflow Information = Yes\nPin Blockage Factor = " +
                   factor + "\nLayer Assignment Algorithm = " + std::to_string(algo) +
                   "\n3D Optimization Iteration = " + std::to_string(rounds) + "\n");
  const std::string out = dir.file("r.out");
  RunOutcome o{runKorvane({"ISPD", gr, set, out}, KORVANE_BINARY_DIR), ""};
  EXPECT_EQ(o.run.exitStatus, 0) << o.run.err;
  EXPECT_EQ(o.run.err, "");
  if (o.run.exitStatus != 0) return o;
  GrProblem parsed;
  std::string error;
  EXPECT_TRUE(readGrProblem(gr, parsed, error)) << error;
  const CheckReport check = checkResultFile(parsed, out);
  EXPECT_TRUE(check.legal()) << check.summary();
  OverflowReport report;
  EXPECT_TRUE(readOverflowReport(out + ".ofinfo", report, error)) << error;
  if (reportMatchesChecker) {
    // Capacities are whole pitches and no pin blockage: the router's figure is the checker's.
    EXPECT_EQ(report.totalOverflow, check.totalOverflow);
    EXPECT_EQ(report.maxOverflow, check.maxOverflow);
    EXPECT_EQ(report.listedOverflow, check.totalOverflow);
  }
  o.report = readFile(out + ".ofinfo");
  return o;
}

const struct { int algo, rounds; } kFlows[] = {{1, 0}, {2, 0}, {3, 0}, {3, 1}};

// Every value at its limit at once where they combine: the widest pitch (overflow weighted by it
// passes 2^31 in total), the most tracks per edge, an edge lowered to 0 over and over, and no
// tracks in one direction (an edge of it raised by an adjustment still has no layer).
TEST(ExtremeValues, ProblemsAtTheLimitsRouteLegallyAndReportLikeTheChecker) {
  TempDir dir;
  const struct {
    const char* name;
    std::string gr;
  } kProblems[] = {
      {"widest pitch, two tracks a direction", problem(kMaxPitch, 1, "0\n")},
      {"most tracks per edge", problem(1, kMaxEdgeTracks / 2, "0\n")},
      {"one edge lowered to 0 again and again", problem(1, kMaxEdgeTracks / 2, repeatedAdjustment(kRepeats, 0))},
      {"no vertical tracks", lineOnly(true, "0\n")},
      {"no horizontal tracks, one horizontal edge raised", lineOnly(false, "1\n0 1 1 1 1 1 20\n")},
  };
  for (const auto& p : kProblems) {
    const std::string gr = dir.write("p.gr", p.gr);
    for (const auto& f : kFlows) {
      SCOPED_TRACE(testing::Message() << p.name << ", algorithm " << f.algo << ", rounds " << f.rounds);
      routeAndCheck(dir, gr, "0", f.algo, f.rounds, true);
    }
  }
}

// Copies of an adjustment each count: their new capacities sum past 2^31 and print whole, and an
// edge raised to the track limit has room for every wire, so it never overflows.
TEST(ExtremeValues, RepeatedRaisesSumPast32BitsAndNeverOverflowTheirEdge) {
  TempDir dir;
  const std::string gr = dir.write("p.gr", problem(1, 10, repeatedAdjustment(kRepeats, kMaxEdgeTracks)));
  const std::string total = "total adjust capacity=" + std::to_string(std::int64_t(kRepeats) * kMaxEdgeTracks) + "\n";
  for (const auto& f : kFlows) {
    SCOPED_TRACE(testing::Message() << "algorithm " << f.algo << ", rounds " << f.rounds);
    const RunOutcome o = routeAndCheck(dir, gr, "0", f.algo, f.rounds, true);
    EXPECT_THAT(o.run.out, HasSubstr(total));
    EXPECT_THAT(o.report, Not(HasSubstr("(0, 0, 0) - (1, 0, 0)")));
  }
}

// Pin blockage is capped at each edge's capacity, so once every pin tile's edges are full a larger
// factor changes nothing: 1e6, 1e9 and the largest double route alike.
TEST(ExtremeValues, PinBlockageBeyondCapacityRoutesLikeFullBlockage) {
  TempDir dir;
  const std::string gr = dir.write("p.gr", problem(2, 10, "0\n"));
  for (const auto& f : kFlows) {
    SCOPED_TRACE(testing::Message() << "algorithm " << f.algo << ", rounds " << f.rounds);
    const std::string full = routeAndCheck(dir, gr, "1e6", f.algo, f.rounds, false).report;
    for (const char* factor : {"1e9", "1.7e308"}) {
      SCOPED_TRACE(factor);
      EXPECT_EQ(routeAndCheck(dir, gr, factor, f.algo, f.rounds, false).report, full);
    }
  }
}

}  // namespace
