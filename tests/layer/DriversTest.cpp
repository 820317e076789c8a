// The whole-design drivers: their console lines byte for byte, and when the negotiation stops.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "layer/Graph.h"
#include "support/LaTestProblem.h"

namespace {

// Timer readings vary; everything else is fixed.
std::string withoutTimes(const std::string& log) {
  return std::regex_replace(log, std::regex("time=[0-9]+\\.[0-9]{2}"), "time=T");
}

// 3 x 2 tiles, layer 0 horizontal (one track, pitch 3), layer 1 vertical (one track, pitch 1).
// Nets 1 and 2 both run (0,0)-(2,0), so each of the two horizontal edges is one track over:
// 2D overflow 2 x pitch 3 = 6, layered overflow 6, max 3, weighted 3^2 + 3^2 = 18. Net 3 runs
// (0,0)-(0,1) on layer 1 with its pins on layer 0: one via at each end. Wirelength 2 + 2 + 1.
NetDB loggedDesign() {
  NetDB db = makeGridDB(3, 2, {1, 0}, {0, 1});
  db.minWireSpacing = {2, 0};
  addNet(db, 1, {Point(0, 0, 0), Point(2, 0, 0)});
  addNet(db, 2, {Point(0, 0, 0), Point(2, 0, 0)});
  addNet(db, 3, {Point(0, 0, 0), Point(0, 1, 0)});
  routeWithLShapes(db);
  return db;
}

TEST(LayerAssignmentLog, ConversionAndDriversPrintTheirLinesByteForByte) {
  const std::string convert = "convertGRtoLA  input total overflow=6  Wlen2D=5  maxLen=2\n";
  const std::string totals = "time=T  totalOF=6  maxOF=3  weightOF=18  totalVia=2\n";
  const std::string summary = "Wlen2D=5  Via=2  totalWL(Wlen2D+Via*2)=9 \n";
  const std::string sorted = "LA scoring\nLA sort\nLA assign net by net\n";
  const struct {
    const char* name;
    void (Graph::*driver)(int, int, int, bool);
    std::string log;
  } kDrivers[] = {
      {"greedy", &Graph::fastLA, sorted + "FastLA totalOF=6  maxOF=3  weightOF=18   " + summary},
      {"net by net", &Graph::COLA,
       sorted + "IntialLA  " + totals + "PostLA  " + totals + "totalOF=6  maxOF=3  weightOF=18   " + summary},
      // Nothing can move, so the gap to the input overflow is 0 after the first round.
      {"negotiation", &Graph::NVM,
       "InitialLA  " + totals + "Round=0  " + totals + "PostLA  " + totals + "totalOF=6  maxOF=3  weightOF=18  " +
           summary},
  };
  for (const auto& d : kDrivers) {
    SCOPED_TRACE(d.name);
    const NetDB db = loggedDesign();
    Graph g;
    g.initialLA(db, 2, 0.0);
    testing::internal::CaptureStdout();
    g.convertGRtoLA(db);
    (g.*d.driver)(0, 0, 0, false);
    EXPECT_EQ(withoutTimes(testing::internal::GetCapturedStdout()), convert + d.log);
  }
}

// The negotiation runs rounds while overflow is left; it stops after a round that ends within
// 49 of the input overflow, after round 35, or when the gap grew. Nothing can move in this
// design, so the gap stays at its start value, set through the input overflow.
TEST(NegotiationRounds, StopWithinFortyNineOfTheInputOverflowOrAfterRoundThirtyFive) {
  const struct {
    const char* name;
    int tracks;  // 1: 6 over capacity; 2: none
    int gap;
    int rounds;
  } kCases[] = {{"no overflow, no round", 2, 0, 0},
                {"gap of 49 stops after the first round", 1, 49, 1},
                {"negative gap stops after the first round", 1, -100, 1},
                {"a gap of 50 that never grows runs 36 rounds", 1, 50, 36}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    NetDB db = loggedDesign();
    db.horizontalTracks[0] = c.tracks;
    Graph g;
    g.initialLA(db, 1, 0.0);
    testing::internal::CaptureStdout();
    g.convertGRtoLA(db);
    g.inputOF = (c.tracks == 1 ? 6 : 0) - c.gap;
    g.NVM(0, 0, 0, false);
    const std::string log = testing::internal::GetCapturedStdout();
    std::string rounds;
    for (int r = 0; r < c.rounds; ++r) rounds += "Round=" + std::to_string(r) + " ";
    std::string seen, line;
    std::istringstream lines(log);
    while (std::getline(lines, line))
      if (line.rfind("Round=", 0) == 0) seen += line.substr(0, line.find(' ') + 1);
    EXPECT_EQ(seen, rounds);
    // The overflow weight grows by 0.05 in every round that ran.
    EXPECT_NEAR(g.ofCostAlpha, 0.3 + 0.05 * c.rounds, 1e-9);
  }
}

// The gap may not grow: the rounds stop right after the first one whose total overflow is
// above the round before. One net runs from (0,0) to (3,0) with pins on layer 0, over edges
// that other wires fill: the first on layer 0 (so the net overflows there), the other two on
// layer 1, where they also carry history. Rounds raise the first edge's history until the net
// takes layer 1 on all three edges, overflowing two; the printed totals must show the loop
// going on while they do not grow and stopping at the first growth.
TEST(NegotiationRounds, StopAfterTheFirstRoundWhoseOverflowGrew) {
  NetDB db = makeGridDB(4, 1, {1, 1}, {0, 0});
  addNet(db, 1, {Point(0, 0, 0), Point(3, 0, 0)});
  routeWithLShapes(db);
  Graph g;
  g.initialLA(db, 1, 0.0);
  testing::internal::CaptureStdout();
  g.convertGRtoLA(db);
  g.demandH.at(0, 0, 0) = 1;
  g.demandH.at(1, 0, 1) = g.demandH.at(2, 0, 1) = 1;
  g.historyH.at(1, 0, 0) = g.historyH.at(2, 0, 0) = 1;
  g.inputOF = -100;  // every gap is far above 49
  g.NVM(0, 0, 0, false);
  const std::string log = testing::internal::GetCapturedStdout();
  std::vector<long long> totals;
  std::string line;
  std::istringstream lines(log);
  while (std::getline(lines, line)) {
    long long total = 0;
    if (std::sscanf(line.c_str(), "Round=%*d  time=%*f  totalOF=%lld", &total) == 1) totals.push_back(total);
  }
  ASSERT_GE(totals.size(), 2u) << log;
  ASSERT_LT(totals.size(), 36u) << log;
  for (std::size_t r = 1; r + 1 < totals.size(); ++r)
    EXPECT_LE(totals[r], totals[r - 1]) << "round " << r << "\n" << log;
  EXPECT_GT(totals.back(), totals[totals.size() - 2]) << log;
}

}  // namespace
