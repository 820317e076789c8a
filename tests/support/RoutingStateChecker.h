#pragma once
// Independent check of the planar routing state after GlobalRoute: every path, every net's
// connectivity, the demand grids, the run totals and the order list, recomputed from the
// paths alone.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "db/EdgeGrid.h"
#include "db/NetDB.h"

class GlobalRouter;

// The planar demand before any path was committed (capacity adjustments and pin blockage).
struct PreloadedDemand {
  EdgeGrid<int> h, v;
};
PreloadedDemand snapshotDemand(const GlobalRouter& router);

// Every inconsistency found, one line each (empty when the state is consistent):
// - every connection's path is a chain of existing planar unit edges (z 0) from p1 to p2, its
//   netIndex names its net and its wireLength is its unit count;
// - the union of a net's paths connects all of its pins2D;
// - hUsage / vUsage equal the preload plus the paths' units, each edge once per net of two or
//   more connections; every such net's routedEdges holds one element per unit of its paths;
// - Wlen2D is the number of units so counted, totalOF the overflow they add above the preload;
// - `orders` holds every connection exactly once, scores non-increasing.
std::vector<std::string> routingStateProblems(const GlobalRouter& router, const NetDB& db,
                                              const std::vector<Order>& orders, const PreloadedDemand& preload);

::testing::AssertionResult routingStateIsConsistent(const GlobalRouter& router, const NetDB& db,
                                                    const std::vector<Order>& orders, const PreloadedDemand& preload);
