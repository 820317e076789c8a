#include "router3d/LayerCalls.h"

#include "layer/Graph.h"

void layerReset(Graph& graph, const NetDB& db) { graph.reset(db); }
void layerConvertGRtoLA(Graph& graph, const NetDB& db) { graph.convertGRtoLA(db); }
void layerNegotiate(Graph& graph) { graph.NVM(0, 0, 0, false); }
void layerConvertLAtoGR(const Graph& graph, NetDB& db) { graph.convertLAtoGR(db); }
