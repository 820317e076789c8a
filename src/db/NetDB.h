#pragma once
// The routing database and the records every stage shares.

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "db/EdgeMultiset.h"
#include "db/Geometry.h"
#include "db/NetNames.h"

// One two-pin connection of a net and its routed path.
struct TwoPin {
  Point p1, p2;              // end tiles; after a maze search p1 is the target reached, p2 the source
  int wireLength = 0;        // unit edges of the routed path
  int ripupCount = 0;        // maze reroutes of this connection
  int overflow = 0;          // overflow of the committed path
  int netIndex = -1;         // index of the owning net in NetDB::nets
  float pathCost = 0.0f;     // cost of the path found by the last search
  bool needRoute = true;     // still to be (re)routed
  std::vector<RPoint> path;  // unit steps (and vias, after layer assignment)

  TwoPin() = default;
  TwoPin(const Point& a, const Point& b, int net) : p1(a), p2(b), netIndex(net) {}
  // A copy carries the ends, the overflow and the net index only and starts unrouted;
  // copies happen while decomposition grows connection lists, before any path exists.
  TwoPin(const TwoPin& o) : p1(o.p1), p2(o.p2), overflow(o.overflow), netIndex(o.netIndex) {}
  // Assignment copies everything, the path included.
  TwoPin& operator=(const TwoPin& o) = default;
};

struct Net {
  int id = 0;                   // number from the input; its name is in NetDB::netNames
  std::vector<Point> pins2D;    // pins on distinct tiles, input order; z = layer of the first pin seen
  std::vector<Point> pins3D;    // pins on distinct (tile, layer), input order
  std::vector<TwoPin> twoPins;  // two-pin connections
  int wireLength = 0;           // decomposition length, then committed routed units
  int treeLength = 0;           // length of the decomposition tree
  EdgeMultiset routedEdges;     // one element per use of a unit edge by a connection
  EdgeMultiset steinerEdges;    // unit edges of the straight Steiner-tree branches
};

// Orders nets by id, ascending.
bool net_cp(const Net& a, const Net& b);
// More 2D pins first; among equal counts of two or more, the smaller min(|dx|, |dy|) of the
// first two pins first.
bool operator<(const Net& a, const Net& b);

// A routing order entry: higher score first, then the longer connection first.
struct Order {
  TwoPin* twoPin = nullptr;
  double score = 0.0;
};
// Inline: the stages sort the order lists every round.
inline bool operator<(const Order& a, const Order& b) {
  if (a.score != b.score) return a.score > b.score;  // false with a NaN on either side
  const auto len = [](const TwoPin* t) { return std::abs(t->p1.x - t->p2.x) + std::abs(t->p1.y - t->p2.y); };
  return len(a.twoPin) > len(b.twoPin);
}

// A spanning-tree edge between pin indices; reversed so that a max-heap yields the cheapest.
struct Link {
  int first = 0, second = 0;
  float cost = 0.0f;
};
inline bool operator<(const Link& a, const Link& b) { return a.cost > b.cost; }

// History ranking entry: the largest history count sorts first.
struct hisRecord {
  int x = 0, y = 0;
  int hori = 0;  // 1 horizontal edge, 0 vertical edge
  int value = 0;
  double percent = 0.0;
};
inline bool operator<(const hisRecord& a, const hisRecord& b) { return a.value > b.value; }

// A blocked interval inside one tile, file units, lo <= hi.
struct block {
  int lo = 0, hi = 0;
};
// Blocks by lower end, ascending (signed comparison).
inline bool block_cp(const block& a, const block& b) { return a.lo < b.lo; }

// Adjusted tracks pre-loaded as demand: every adjustment of an edge adds its lost tracks (a
// raised capacity adds a negative amount), summed in 64 bits and held within +-2^30. Only an edge
// listed over and over reaches the bound, and it is closed (or free) either way; the bound keeps
// demand plus wires, and demand minus capacity, inside 32 bits.
inline int addPreload(int demand, std::int64_t tracks) {
  constexpr std::int64_t kBound = std::int64_t(1) << 30;
  return int(std::clamp<std::int64_t>(std::int64_t(demand) + tracks, -kBound, kBound));
}

struct NetDB {
  int gridX = 0, gridY = 0;                               // tile columns and rows
  int numLayers = 0;                                      // routing layers
  double blockagePorosity = 0.0;                          // bookshelf porosity; no stage reads it
  int totalVerticalTracks = 0;                            // 2D capacity of a vertical edge
  int totalHorizontalTracks = 0;                          // 2D capacity of a horizontal edge
  std::vector<Net> nets;                                  // kept nets in input order; index = net index
  std::vector<Net> localNets;                             // single-tile nets; the readers drop them, so it stays empty
  std::vector<RPoint> adjEdges;                           // edges whose capacity differs from the layer default
  std::vector<int> adjCapacity;                           // new capacity of adjEdges[i], in tracks
  std::vector<int> horizontalCapacity, verticalCapacity;  // per layer, file units
  std::vector<int> minWireWidth, minWireSpacing, viaSpacing;
  std::vector<int> wirePitch;                         // width + spacing
  std::vector<int> horizontalTracks, verticalTracks;  // capacity / pitch, truncated
  std::vector<std::vector<int>> repeatPinCount;       // [x][y]: repeats of a net's pin on one tile and layer
  std::vector<std::vector<int>> pinCount;             // [x][y]: distinct (net, tile, layer) pins
  int originX = 0, originY = 0;                       // file coordinates of the grid's lower-left corner
  int tileWidth = 0, tileHeight = 0;                  // tile size in file units
  // netNames[i]: the problem's name of nets[i]; empty when the database was built without names.
  NetNames netNames;
  // The problem as the command line names it (the .gr file, or the bookshelf set's .aux file),
  // for errors of later stages about its nets; empty when unknown.
  std::string problemFile;
};
