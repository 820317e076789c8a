#pragma once
// Blockage capacity model of bookshelf sets: nodes that block routing on a layer take
// capacity away from the grid edges whose tile boundary they cover.

#include <cstdint>
#include <vector>

#include "db/NetDB.h"

struct placeCell;

// One blocked interval of one tile, direction and layer. `key` orders tiles as the model
// visits them: ((x * gridY + y) * numLayers + z) * 2 + d, d 0 for the vertical edge at the
// tile's top (interval along x), d 1 for the horizontal edge at its right (interval along y).
// The interval is in file units relative to the tile's left or lower side.
struct TileBlock {
  std::uint64_t key = 0;
  block span;
};

// Appends to db.adjEdges / db.adjCapacity the reduced capacity of every edge whose boundary
// is covered by blocking nodes, after the adjustments already there. Prints
// "adjust grid edge capacity".
void adjust_capacity(std::vector<placeCell>& cells, NetDB& db);

// Adds the intervals of one blocking rectangle (file units) on 0-based layer z.
void get_blockage_overlap(int x, int y, int width, int height, int layer, std::vector<TileBlock>& blocks,
                          const NetDB& db);

// Length of the union of intervals; sorts them.
int unionLength(std::vector<block>& spans);
