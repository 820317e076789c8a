#pragma once
// The planar routing flow: pattern, monotonic, maze and post stages over every two-pin
// connection of the database, in the order of a scored routing list.

#include <cstdint>
#include <vector>

#include "db/NetDB.h"

class GlobalRouter;
struct parameterSet;

// Routes every connection of db.nets on the router's planar grid. Appends one Order per
// connection to `orders` (nets in database order, connections in list order) and leaves it
// sorted by the post-routing score; the entries point into Net::twoPins, which must not be
// resized while the list lives. Prints each stage's banner, round lines and time line, then
// the per-activity timer report.
void GlobalRoute(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, parameterSet& params);

// Re-scores every entry of `orders` from its connection's current path, marks every
// connection for routing, and rebuilds `ripupList` from the congested ones: those whose
// path reaches demand m - 3 (m the smaller planar capacity), or m - 6 when round <= 0.
// Connections left out are marked finished.
void ScoreNets(GlobalRouter& router, std::vector<Order>& ripupList, std::vector<Order>& orders, std::vector<Net>& nets,
               int round);

// --- pieces of the driver's arithmetic, exposed for tests ---

// Initial order score: nearly straight connections and nets whose decomposition is longer
// than their tree come first. 100 / (min(dx, dy) + 1) + 10 * wireLength / treeLength.
double initialOrderScore(const TwoPin& twoPin, const Net& net);

// Post-routing order score: the path length plus twenty times its detour.
double postOrderScore(const TwoPin& twoPin);

// Length bound of a maze reroute in `round` of a connection rerouted `ripupCount` times
// (this reroute included) whose ends are dx + dy apart. The box grows along an arctangent
// ramp centred at expandCenter: about 1.12x for a first reroute, 4.04x at the centre,
// at most about 7.2x (defaults), plus 2.
int mazeLengthBound(int dx, int dy, int round, int ripupCount, int expandCenter, double expandScale);

// When the maze stage gives up. Only an unlimited budget (mazeIteration INT_MAX) needs it: a
// stalled design reroutes the same connections onto the same edges for ever (their own edges
// cost them nothing, so history never rises). Once the round's costs equal the previous
// round's (history on, past the relax round, the cost offset at its floor), kRounds rounds in
// a row without a new lowest total overflow end the stage. Designs that still improve have gone
// 169 to 406 rounds between new lows (generated tiny and small ones), so the rule can end such
// a stage early; an explicit budget therefore runs all its rounds (or until no edge overflows).
struct MazeStallRule {
  static constexpr int kRounds = 200;
  static constexpr float kCostOffsetFloor = 10.0f;

  bool unlimited = false;     // the budget is mazeIteration INT_MAX (a negative value or none in the file)
  int historyStartRound = 1;  // parameters of the cost schedule
  int costRelaxRound = 35;
  std::int64_t bestOF = 0;  // lowest total overflow so far
  int staleRounds = 0;      // fixed-schedule rounds since bestOF was reached

  MazeStallRule(const parameterSet& params, std::int64_t startOF);
  // Whether round r prices as round r - 1 did; costOffset is the offset before this round relaxes it.
  bool scheduleFixed(int r, float costOffset) const;
  // Books the total overflow after a round; true when the stage is to end.
  bool stalled(std::int64_t totalOF, bool fixedSchedule);
};
