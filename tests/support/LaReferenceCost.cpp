#include "support/LaReferenceCost.h"

#include <algorithm>
#include <cmath>

std::int64_t referenceEdgeCost(const Graph& g, const edge& e, int l) {
  const int d = e.hori ? g.demandH.at(e.x, e.y, l) : g.demandV.at(e.x, e.y, l);
  const int c = e.hori ? g.capH[l] : g.capV[l];
  const int w = g.layerPitch[l];
  if (g.fastCostMode) return d < c ? (5 * d) / c : std::int64_t(d + 1 - c) * 1000000 * w;
  const int h = e.hori ? g.historyH.at(e.x, e.y, l) : g.historyV.at(e.x, e.y, l);
  const double o = d - c > 0 ? double(d - c) * w : double(d - c);
  const double factor = 20.0 / (std::exp(-o * g.ofCostAlpha) + 1.0) + 1.0;
  return std::int64_t(double((h + 1) * (h + 1) + 1) * factor + 0.5);
}

std::int64_t referenceCost(const Graph& g, const net& n, const std::vector<int>& layers) {
  const auto nodes = g.nodesOf(n);
  const auto edges = g.edgesOf(n);
  std::int64_t total = 0;
  for (std::size_t i = 0; i < edges.size(); ++i)
    total += referenceEdgeCost(g, edges[i], layers[i]) + (g.layerNum - 1 - layers[i]);
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    std::vector<int> present;
    if (nodes[i].isPin) present = {nodes[i].pinMinLayer, nodes[i].pinMaxLayer};
    for (std::size_t j = 0; j < edges.size(); ++j)
      if (j + 1 == i || nodes[j + 1].parent == int(i)) present.push_back(layers[j]);
    total +=
        100 * (*std::max_element(present.begin(), present.end()) - *std::min_element(present.begin(), present.end()));
  }
  return total;
}
