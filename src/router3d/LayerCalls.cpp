#include "router3d/LayerCalls.h"

#include "layer/Graph.h"

void layerReset(Graph& graph, const NetDB& db) { graph.reset(db); }
void layerConvertGRtoLA(Graph& graph, const NetDB& db) { graph.convertGRtoLA(db); }
void layerNegotiate(Graph& graph) { graph.NVM(0, 0, 0, false); }
void layerConvertLAtoGR(const Graph& graph, NetDB& db) { graph.convertLAtoGR(db); }

void GraphDeleter::operator()(Graph* graph) const { std::default_delete<Graph>()(graph); }

GraphPtr makeLayerModel(const NetDB& db, int viaCost, double pinBlockageFactor) {
  GraphPtr graph(std::make_unique<Graph>().release());
  graph->initialLA(db, viaCost, pinBlockageFactor);
  return graph;
}
