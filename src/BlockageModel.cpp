// Blockage capacity model.
//
// A node that blocks layer z covers, in every tile, part of the boundary that the tile's edge
// crosses: on a layer with vertical tracks the edge from (x, y) to (x, y+1) crosses the top
// boundary of tile (x, y), and a rectangle that reaches across that boundary covers the part
// of its width inside the column; on a layer with horizontal tracks the same holds for the
// right boundary and the height. Steps: collect the covered intervals of all blocking
// rectangles as flat (tile, interval) records, sort them by tile, take the union length per
// tile, and scale the layer's capacity by the uncovered fraction, cut to whole pitches.
// Cost: one record per covered tile boundary and a sort of them; no per-tile storage.
//
// A layer with tracks in both directions gets both readings, each with its own capacity and
// tile side.

#include "BlockageModel.h"

#include <algorithm>
#include <cstdio>

#include "Bookshelf.h"

namespace {

// Tile order x, y, z, then the vertical reading before the horizontal one.
bool tileBlockBefore(const TileBlock& a, const TileBlock& b) {
  if (a.key != b.key) return a.key < b.key;
  return a.span.lo != b.span.lo ? a.span.lo < b.span.lo : a.span.hi < b.span.hi;
}

std::uint64_t tileKey(const NetDB& db, int x, int y, int z, int direction) {
  return ((std::uint64_t(x) * std::uint64_t(db.gridY) + std::uint64_t(y)) * std::uint64_t(db.numLayers) +
          std::uint64_t(z)) *
             2 +
         std::uint64_t(direction);
}

// First and last tile index along one axis touched by [lo, hi] (already clipped to the grid):
// a low end exactly on a boundary also names the tile below it, so that the boundary itself
// counts; both are clamped to the grid.
void tileRange(std::int64_t lo, std::int64_t hi, std::int64_t origin, std::int64_t size, int count, int& first,
               int& last) {
  std::int64_t f = (lo - origin) / size;
  if ((lo - origin) % size == 0) --f;
  std::int64_t l = (hi - origin) / size;
  first = int(std::clamp<std::int64_t>(f, 0, count - 1));
  last = int(std::clamp<std::int64_t>(l, 0, count - 1));
}

}  // namespace

int unionLength(std::vector<block>& spans) {
  if (spans.empty()) return 0;
  std::sort(spans.begin(), spans.end(), block_cp);
  std::int64_t total = 0;
  block cur = spans[0];
  for (std::size_t i = 1; i < spans.size(); ++i) {
    if (spans[i].lo < cur.hi) {
      cur.hi = std::max(cur.hi, spans[i].hi);
    } else {
      total += cur.hi - cur.lo;
      cur = spans[i];
    }
  }
  total += cur.hi - cur.lo;
  return int(total);
}

void get_blockage_overlap(int x0, int y0, int width, int height, int layer, std::vector<TileBlock>& blocks,
                          const NetDB& db) {
  const std::size_t z = std::size_t(layer);
  const std::int64_t tw = db.tileWidth, th = db.tileHeight;
  const std::int64_t left = db.originX, right = left + std::int64_t(db.gridX) * tw;
  const std::int64_t bottom = db.originY, top = bottom + std::int64_t(db.gridY) * th;
  const std::int64_t X = std::max<std::int64_t>(x0, left), X2 = std::min<std::int64_t>(std::int64_t(x0) + width, right);
  const std::int64_t Y = std::max<std::int64_t>(y0, bottom),
                     Y2 = std::min<std::int64_t>(std::int64_t(y0) + height, top);
  if (X > X2 || Y > Y2) return;  // wholly outside the grid
  int xLo, xHi, yLo, yHi;
  tileRange(X, X2, left, tw, db.gridX, xLo, xHi);
  tileRange(Y, Y2, bottom, th, db.gridY, yLo, yHi);

  // Rows yLo .. yHi-1 are those whose top boundary lies in [Y, Y2], the grid's top excepted.
  if (db.verticalTracks[z] >= 1 && yLo < yHi) {
    for (int y = yLo; y < yHi; ++y)
      for (int x = xLo; x <= xHi; ++x) {
        const std::int64_t start = left + x * tw;
        const std::int64_t lo = std::max(X, start) - start, hi = std::min(X2, start + tw) - start;
        if (hi > lo) blocks.push_back({tileKey(db, x, y, layer, 0), {int(lo), int(hi)}});
      }
  }
  if (db.horizontalTracks[z] >= 1 && xLo < xHi) {
    for (int x = xLo; x < xHi; ++x)
      for (int y = yLo; y <= yHi; ++y) {
        const std::int64_t start = bottom + y * th;
        const std::int64_t lo = std::max(Y, start) - start, hi = std::min(Y2, start + th) - start;
        if (hi > lo) blocks.push_back({tileKey(db, x, y, layer, 1), {int(lo), int(hi)}});
      }
  }
}

void adjust_capacity(std::vector<placeCell>& cells, NetDB& db) {
  std::printf("adjust grid edge capacity\n");
  std::vector<TileBlock> blocks;
  for (const placeCell& cell : cells)
    for (const int z : cell.blockedLayers) {
      if (z < 0 || z >= db.numLayers) continue;  // the route reader admits only 1..L
      if (db.horizontalTracks[std::size_t(z)] == 0 && db.verticalTracks[std::size_t(z)] == 0) continue;
      if (cell.shapes.empty()) {
        get_blockage_overlap(cell.x, cell.y, cell.width, cell.height, z, blocks, db);
      } else {
        for (const shape& s : cell.shapes) get_blockage_overlap(s.x, s.y, s.width, s.height, z, blocks, db);
      }
    }
  std::sort(blocks.begin(), blocks.end(), tileBlockBefore);

  std::vector<block> spans;
  for (std::size_t i = 0; i < blocks.size();) {
    const std::uint64_t key = blocks[i].key;
    spans.clear();
    for (; i < blocks.size() && blocks[i].key == key; ++i) spans.push_back(blocks[i].span);
    const int blockedLength = unionLength(spans);
    if (blockedLength <= 0) continue;

    const int direction = int(key % 2);
    const std::uint64_t tile = key / 2;
    const int z = int(tile % std::uint64_t(db.numLayers));
    const int y = int(tile / std::uint64_t(db.numLayers) % std::uint64_t(db.gridY));
    const int x = int(tile / std::uint64_t(db.numLayers) / std::uint64_t(db.gridY));
    const std::size_t zi = std::size_t(z);
    const bool vertical = direction == 0;
    const int cap = vertical ? db.verticalCapacity[zi] : db.horizontalCapacity[zi];
    const int len = vertical ? db.tileWidth : db.tileHeight;
    // Quotient first, in double precision; truncated, then cut to whole pitches.
    const double kept = double(cap) * (double(len - blockedLength) / double(len));
    int newCap = kept > 0.0 ? int(kept) : 0;
    const int pitch = db.minWireWidth[zi] + db.minWireSpacing[zi];
    newCap = newCap / pitch * pitch;
    if (newCap == cap) continue;
    db.adjEdges.push_back(RPoint(x, y, z, vertical ? 0 : 1));
    db.adjCapacity.push_back(newCap / pitch);
  }
}
