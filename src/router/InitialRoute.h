#pragma once
// Steiner-guided decomposition: nets whose rectilinear Steiner tree is shorter than their
// spanning-tree decomposition are decomposed again, biased toward the tree, and remember the
// tree's straight branches as preferred edges.

#include <vector>

#include "db/NetDB.h"

class GlobalRouter;
struct Tree;
struct TileMap;

// Loads the Steiner tables from the working directory (a missing or bad table file ends the
// run with the table reader's message), then, for every net of 3 to 149 planar pins, builds
// its Steiner tree (accuracy 3) and applies it with applySteinerTree. Nets of other sizes keep
// their decomposition.
void initialRoute(GlobalRouter& router, std::vector<Net>& nets);

// What applySteinerTree did with a net.
enum class SteinerOutcome {
  kKept,     // the tree is not shorter: only treeLength changed
  kRebuilt,  // preferred edges recorded, connections rebuilt
  kBadTree,  // the tree was malformed: reported, the net left untouched
};

// Applies the Steiner tree of nets[netIndex] (tree.deg == pins2D.size()). Every branch is
// checked first (its target index inside the tree, its tile inside the router's grid); a bad
// tree prints one "ERROR InitialRoute 1 ..." line and changes nothing. Otherwise treeLength
// becomes the tree's length and, when the tree is shorter than the net's wireLength: every
// branch writes the index of the node it leads to into map[x][y] (the map is shared by all
// nets and never cleared), straight branches go into steinerEdges, and the connections are
// rebuilt from the spanning tree of pins2D biased by the map, each new connection's length
// added to both wireLength and treeLength.
SteinerOutcome applySteinerTree(const GlobalRouter& router, Net& net, int netIndex, const Tree& tree, TileMap& map);
