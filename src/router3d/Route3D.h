#pragma once
// The layered post-optimisation stage and its result writer.

#include <vector>

class GlobalRouter;
class Graph;
struct NetDB;
struct Order;
struct TwoPin;
struct parameterSet;

// Commits every connection's layered path, reroutes the connections layer assignment left
// broken, then runs params.optimization3DIteration rounds of layered rip-up and reroute over
// the order list, re-assigning layers (negotiated assignment) before every round after the
// first. Every path reaches the pins of its end tiles on their own layers. Leaves the final
// paths in every TwoPin::path and Net::routedEdges. Entries whose connection names no net of
// db are reported and skipped. A failed repair search is a warning on stderr; returns false,
// after naming each one on stderr, when a net's routes leave one of its pins unconnected.
bool Route3D(GlobalRouter& router, NetDB& db, std::vector<Order>& orders, Graph& graph, parameterSet& params);

// Order score of a connection: 1000 / path units + 10 / the net's wire count (an empty path
// or a zero count gives +infinity, so such entries sort first).
double score3D(const TwoPin& twoPin, int netWireLength);

// Writes the routing result of the layered paths: per net "n%d %d %d" (id, id, 0), one line
// per distinct unit in file coordinates with 1-based layers, "!". On a failed open, write or
// close prints "Error: <path>: cannot write" on stderr and returns false.
bool outputFile(const char* path, NetDB& db);
