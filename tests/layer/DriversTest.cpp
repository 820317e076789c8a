#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "db/Timer.h"
#include "layer/Graph.h"
#include "support/LaTestProblem.h"

namespace {

double frozenClock() { return 100.0; }

// Freezes the wall clock so that every printed time is 0.00.
struct FrozenTime {
  double (*saved)() = Timer::now;
  FrozenTime() { Timer::now = frozenClock; }
  ~FrozenTime() { Timer::now = saved; }
};

// Two nets over the one grid edge (0,0)-(1,0); two horizontal layers of one track each.
NetDB twoNetsOneEdge() {
  NetDB db = makeGridDB(2, 1, {1, 1}, {0, 0});
  for (int id : {10, 11}) {
    Net& n = addNet(db, id, {Point(0, 0, 0), Point(1, 0, 0)});
    addLConnection(db, n, Point(0, 0, 0), Point(1, 0, 0));
  }
  return db;
}

template <class Run>
std::string runDriver(NetDB& db, Graph& g, Run run) {
  FrozenTime frozen;
  g.initialLA(db, 1, 0.0);
  testing::internal::CaptureStdout();
  g.convertGRtoLA(db);
  run(g);
  return testing::internal::GetCapturedStdout();
}

// The first net takes layer 0 (preference 1 against a via span of 100); the second finds
// layer 0 full (a million) and climbs to layer 1, one via at each end.
TEST(LayerAssignDrivers, FastLAConsoleLines) {
  NetDB db = twoNetsOneEdge();
  Graph g;
  const std::string out = runDriver(db, g, [](Graph& gr) { gr.fastLA(0, 0, 0, false); });
  EXPECT_EQ(out,
            "convertGRtoLA  input total overflow=0  Wlen2D=2  maxLen=1\n"
            "LA scoring\n"
            "LA sort\n"
            "LA assign net by net\n"
            "FastLA totalOF=0  maxOF=0  weightOF=0   Wlen2D=2  Via=2  totalWL(Wlen2D+Via*1)=4 \n");
  EXPECT_TRUE(g.fastCostMode);
  EXPECT_EQ(g.edgesOf(g.nets[0])[0].layer, 0);
  EXPECT_EQ(g.edgesOf(g.nets[1])[0].layer, 1);
}

TEST(LayerAssignDrivers, COLAConsoleLines) {
  NetDB db = twoNetsOneEdge();
  Graph g;
  const std::string out = runDriver(db, g, [](Graph& gr) { gr.COLA(0, 0, 0, false); });
  EXPECT_EQ(out,
            "convertGRtoLA  input total overflow=0  Wlen2D=2  maxLen=1\n"
            "LA scoring\n"
            "LA sort\n"
            "LA assign net by net\n"
            "IntialLA  time=0.00  totalOF=0  maxOF=0  weightOF=0  totalVia=2\n"
            "PostLA  time=0.00  totalOF=0  maxOF=0  weightOF=0  totalVia=2\n"
            "totalOF=0  maxOF=0  weightOF=0   Wlen2D=2  Via=2  totalWL(Wlen2D+Via*1)=4 \n");
}

// NVM: the via-only start stacks both nets on layer 0 (overflow 1). In round 0 both are
// flagged; in negotiation cost layer 0 (22 + 1) still beats layer 1 (19 + 200), so the
// overflow stays 1, within 49 of the input's 0: one round. The final pass in ratio cost
// moves the first net up (layer 0 is full while the second sits there).
TEST(LayerAssignDrivers, NVMConsoleLines) {
  NetDB db = twoNetsOneEdge();
  Graph g;
  const std::string out = runDriver(db, g, [](Graph& gr) { gr.NVM(0, 0, 0, false); });
  EXPECT_EQ(out,
            "convertGRtoLA  input total overflow=0  Wlen2D=2  maxLen=1\n"
            "InitialLA  time=0.00  totalOF=1  maxOF=1  weightOF=1  totalVia=0\n"
            "Round=0  time=0.00  totalOF=1  maxOF=1  weightOF=1  totalVia=0\n"
            "PostLA  time=0.00  totalOF=0  maxOF=0  weightOF=0  totalVia=2\n"
            "totalOF=0  maxOF=0  weightOF=0  Wlen2D=2  Via=2  totalWL(Wlen2D+Via*1)=4 \n");
  EXPECT_EQ(g.edgesOf(g.nets[0])[0].layer, 1);
  EXPECT_EQ(g.edgesOf(g.nets[1])[0].layer, 0);
  EXPECT_EQ(g.historyH.at(0, 0, 0), 1);
  EXPECT_DOUBLE_EQ(g.ofCostAlpha, 0.35);
}

int roundLines(const std::string& out, int& lastRound) {
  const std::regex round("Round=(\\d+)  ");
  int count = 0;
  for (auto it = std::sregex_iterator(out.begin(), out.end(), round); it != std::sregex_iterator(); ++it)
    ++count, lastRound = std::stoi((*it)[1]);
  return count;
}

// Round control. Nets all cross one horizontal edge whose only horizontal layer has
// `tracks` tracks and pitch `pitch`; layer 0 (vertical only) has pitch 1, so the input
// overflow counts d and the layered overflow d * pitch: the gap stays (pitch - 1) * d.
TEST(LayerAssignDrivers, NegotiationRoundControl) {
  const struct {
    const char* name;
    int nets, tracks, pitch;
    int rounds, lastRound;
  } kCases[] = {
      {"no overflow: no round", 2, 2, 1, 0, -1},
      {"gap below 50 after the first round: one round", 5, 2, 1, 1, 0},
      {"gap of 54 that never grows: 36 rounds", 8, 2, 10, 36, 35},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    NetDB db = makeGridDB(2, 2, {0, c.tracks}, {3, 0});
    db.minWireSpacing[1] = c.pitch - 1;
    for (int i = 0; i < c.nets; ++i) {
      Net& n = addNet(db, i, {Point(0, 0, 0), Point(1, 0, 0)});
      addLConnection(db, n, Point(0, 0, 0), Point(1, 0, 0));
    }
    Graph g;
    const std::string out = runDriver(db, g, [](Graph& gr) { gr.NVM(0, 0, 0, false); });
    int lastRound = -1;
    EXPECT_EQ(roundLines(out, lastRound), c.rounds);
    EXPECT_EQ(lastRound, c.lastRound);
    EXPECT_NEAR(g.ofCostAlpha, 0.3 + 0.05 * c.rounds, 1e-9);
    EXPECT_EQ(g.historyH.at(0, 0, 1), c.rounds > 0 ? c.rounds : 0);
  }
}

TEST(LayerAssignDrivers, SortPutsManyPinsPerEdgeFirstAndEdgelessNetsOnTop) {
  NetDB db = makeGridDB(6, 1, {3}, {0});
  Net& a = addNet(db, 1, {Point(0, 0, 0), Point(4, 0, 0)});  // 2 pins, 4 edges
  addLConnection(db, a, Point(0, 0), Point(4, 0));
  Net& b = addNet(db, 2, {Point(0, 0, 0), Point(1, 0, 0), Point(2, 0, 0)});  // 3 pins, 2 edges
  addLConnection(db, b, Point(0, 0), Point(2, 0));
  addNet(db, 3, {Point(4, 0, 0), Point(5, 0, 0)});  // not routed: no edges
  Graph g;
  const std::string out = runDriver(db, g, [](Graph& gr) { gr.sort_net(); });
  EXPECT_NE(out.find("LA scoring\nLA sort\n"), std::string::npos);
  ASSERT_EQ(g.sortedNets.size(), 3u);
  EXPECT_EQ(g.sortedNets[0]->id, 3);
  EXPECT_EQ(g.sortedNets[1]->id, 2);
  EXPECT_EQ(g.sortedNets[2]->id, 1);
  EXPECT_DOUBLE_EQ(g.nets[1].score, 1.5);
}

}  // namespace
