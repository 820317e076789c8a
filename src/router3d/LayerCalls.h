#pragma once
// The layer-assignment operations the layered stage calls, behind plain functions:
// layer/Graph.h and router/GlobalRouter.h each define their own EdgeGrid, so no translation
// unit can include both.

#include <memory>

class Graph;
struct NetDB;

void layerReset(Graph& graph, const NetDB& db);
void layerConvertGRtoLA(Graph& graph, const NetDB& db);
// The negotiated assignment with the plain (not antenna-aware) settings.
void layerNegotiate(Graph& graph);
void layerConvertLAtoGR(const Graph& graph, NetDB& db);


// Owner of a Graph for code that cannot see its definition.
struct GraphDeleter {
  void operator()(Graph* graph) const;
};
using GraphPtr = std::unique_ptr<Graph, GraphDeleter>;

// A layer-assignment model built from db by Graph::initialLA.
GraphPtr makeLayerModel(const NetDB& db, int viaCost, double pinBlockageFactor);
