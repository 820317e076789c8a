#pragma once
// Layer-assignment costs written from their definition, independent of the assignment code:
// the oracle of the brute-force comparisons.

#include <cstdint>
#include <vector>

#include "layer/Graph.h"

// Cost of one more wire of edge e on layer l, in the graph's current cost mode.
std::int64_t referenceEdgeCost(const Graph& g, const edge& e, int l);

// Cost of a complete assignment (layers[i] for edge i of the net): edge costs and layer
// preferences, plus 100 per layer spanned at every node.
std::int64_t referenceCost(const Graph& g, const net& n, const std::vector<int>& layers);
