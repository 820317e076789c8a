// The maze stage's stall rule, driven round by round as the stage drives it: the schedule is
// judged before the round relaxes the cost offset, the total overflow is booked after the pass.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>

#include "db/parameterSet.h"
#include "router/GlobalRoute.h"

namespace {

struct StallCase {
  const char* name;
  int mazeIteration = INT_MAX;
  int historyStartRound = 1;
  int costRelaxRound = 35;
  float startOffset = 200.0f;  // wirelengthParam of the default level 17
  int startOF = 50;
  std::function<int(int)> totalOF;  // after round r
  int stopsAfter;                   // round after which the rule ends the stage; -1 none in 1000
};

int stopRound(const StallCase& c) {
  parameterSet params;
  params.mazeIteration = c.mazeIteration;
  params.historyStartRound = c.historyStartRound;
  params.costRelaxRound = c.costRelaxRound;
  MazeStallRule rule(params, c.startOF);
  float offset = c.startOffset;
  for (int r = 0; r < 1000; ++r) {
    const bool fixed = rule.scheduleFixed(r, offset);
    if (r >= c.costRelaxRound) offset = std::max(offset - 10.0f, 10.0f);
    if (rule.stalled(c.totalOF(r), fixed)) return r;
  }
  return -1;
}

// With the defaults the offset falls from 200 by 10 a round from round 35 and reaches its
// floor of 10 after round 53: round 54 is the first priced as the one before, and the 200th
// round without a new low from there is round 253.
TEST(MazeStallRule, CountsOnlyOnAFixedScheduleAndRestartsOnANewLow) {
  const auto flat = [](int) { return 50; };
  const StallCase kCases[] = {
      {"no gain: the count starts once the offset is at its floor", INT_MAX, 1, 35, 200.0f, 50, flat, 253},
      {"late history: the count waits for it", INT_MAX, 100, 35, 200.0f, 50, flat, 300},
      {"offset at its floor early: the count waits for the relax round", INT_MAX, 1, 100, 10.0f, 50, flat, 300},
      {"a new low every 150 rounds keeps the stage going", INT_MAX, 1, 35, 200.0f, 50,
       [](int r) { return 50 - r / 150; }, -1},
      {"a new low in the 200th round restarts the count", INT_MAX, 1, 35, 200.0f, 50,
       [](int r) { return r < 253 ? 50 : 49; }, 453},
      {"a new low one round later comes too late", INT_MAX, 1, 35, 200.0f, 50, [](int r) { return r < 254 ? 50 : 49; },
       253},
      {"falls that stay above the best are no new low", INT_MAX, 1, 35, 200.0f, 5, [](int r) { return 10 - r % 2; },
       253},
      {"an explicit budget never stalls", 1000, 1, 35, 200.0f, 50, flat, -1},
  };
  for (const StallCase& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(stopRound(c), c.stopsAfter);
  }
}

}  // namespace
