// The planar stages' arithmetic: the maze length bound's ramp and the post stage's order.
#include <gtest/gtest.h>

#include "db/NetDB.h"
#include "router/GlobalRoute.h"

namespace {

// dx + dy = 10 unless said otherwise; expandCenter 9, expandScale 2. The ramp reads the larger
// of half the round (truncated) and the reroute count: f = (atan(e - 9) + atan(20)) * 2 + 1.
const struct {
  const char* name;
  int span, round, ripups;
  int maxLen;
} kBounds[] = {
    {"first reroute in round 0: f 1.149", 10, 0, 1, 13},
    {"round 18 halves to the centre: f 4.042", 10, 18, 1, 42},
    {"round 19 halves to 9 as well", 10, 19, 1, 42},
    {"the reroute count reaches the centre", 10, 0, 9, 42},
    {"round 20 halves past the centre: f 5.612", 10, 20, 1, 58},
    {"far along the ramp: f 7.173", 10, 400, 3, 73},
    {"round 41, 2 reroutes, span 7: f 7.002", 7, 41, 2, 51},
};

TEST(MazeLengthBound, RampReadsHalfTheRoundOrTheRerouteCount) {
  for (const auto& c : kBounds) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(mazeLengthBound(c.span - 3, 3, c.round, c.ripups, 9, 2.0), c.maxLen);
  }
}

// Post order: the path length plus twenty times its detour, so the most detoured go first.
TEST(PostOrder, ScoreIsLengthPlusTwentyTimesTheDetour) {
  const struct {
    Point a, b;
    int wireLength;
    double score;
  } kCases[] = {
      {Point(0, 0), Point(3, 2), 5, 5.0},   // minimal
      {Point(0, 0), Point(3, 2), 7, 47.0},  // two units of detour
      {Point(4, 1), Point(0, 1), 10, 130.0},
  };
  for (const auto& c : kCases) {
    TwoPin t(c.a, c.b, 0);
    t.wireLength = c.wireLength;
    EXPECT_EQ(postOrderScore(t), c.score) << c.wireLength;
  }
}

}  // namespace
