#pragma once
// Bookshelf placement sets as routing problems: the node table that lives during input and
// the readers of the set's files. Input_DAC (Parser.h) runs them in order.
//
// Node names are turned into table positions, not looked up: o<k> is position k, p<k> is
// oNodeCount + k, and a name beginning with "A" is the number after its first "o". The nodes
// reader checks that every record stands where its name says, so the rule finds the right node.

#include <vector>

class NetNames;
struct NetDB;
struct parameterSet;

// One rectangle of a non-rectangular node, absolute file coordinates.
struct shape {
  int x = 0, y = 0;  // lower-left corner
  int width = 0, height = 0;
};

// One node of the set.
struct placeCell {
  int index = 0;                   // position in the nodes file, from 0
  int x = 0, y = 0;                // lower-left corner from the placement file, truncated toward zero
  int width = 0, height = 0;       // file units
  int terminalType = 0;            // 0 plain node, 1 "terminal", 2 "terminal_NI"
  int pinLayer = 0;                // 0-based layer of the node's pins
  int placeLine = 0;               // line of the placement file that placed the node; 0: none
  bool unplacedPins = false;       // a net's pin lies on the node, which no placement line placed
  std::vector<shape> shapes;       // rectangles of a non-rectangular node; empty for a rectangle
  std::vector<int> blockedLayers;  // 0-based layers on which the node blocks routing
};

// Reads the nodes file into cells; returns oNodeCount, the number of nodes named o... or A....
// `names`, when given, receives the name of each record in cells, in table order, for messages
// (kept apart from the records, which the nets reader visits once per pin).
int read_node_file(const char* path, std::vector<placeCell>& cells, NetNames* names = nullptr);
// Reads the shapes of non-rectangular nodes.
void read_shape_file(const char* path, std::vector<placeCell>& cells);
// Reads the grid, layers, capacities, adjustments, terminal pin layers and blocked layers; the
// grid's memory check counts the 3D stage when params ask for 3D rounds.
void read_route_file(const char* path, std::vector<placeCell>& cells, NetDB& db, const parameterSet& params,
                     int oNodeCount);
// Reads node positions; a node placed twice ends the run naming both lines.
void read_place_file(const char* path, std::vector<placeCell>& cells, int oNodeCount);
// Reads the nets, maps their pins to tiles and layers and fills the pin-count grids; nets on
// fewer than two tiles or with more distinct pins than params.ignoredNetThreshold are dropped.
// A pin of a node that no placement line placed marks the node (unplacedPins) and is left out:
// Input_DAC then refuses the set.
void read_net_file(const char* path, std::vector<placeCell>& cells, NetDB& db, parameterSet& params, int oNodeCount);

// The self-check's comparison: for every adjustment of `real` (in order), the first adjustment
// of `read` on the same edge and layer; prints "x=.. y=.. z=.. hori=.. realValue=.. readValue=.."
// when the track counts differ. An edge that `read` does not adjust compares with the default
// track count of its layer in `read` (0 when `read` has no such layer).
void compareAdjustments(const NetDB& real, const NetDB& read);
