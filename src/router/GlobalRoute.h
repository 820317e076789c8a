#pragma once
// The planar routing flow: pattern, monotonic, maze and post stages over every two-pin
// connection of the database, in the order of a scored routing list.

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
