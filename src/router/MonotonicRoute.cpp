// Monotonic routing: the cheapest path inside a connection's box that never steps away from
// the far end, with every bend priced via_cost.
//
// A dynamic program over the box cells with two states per cell, the direction of the last
// step (0 horizontal, 1 vertical). Every cell is reached either straight from its west or
// vertical neighbour in the same state, or by a bend from its other state; ties keep the
// straight continuation. Filling runs outward from the left end A (x outer, rows away from A
// inner); the path is read back from the right end B in state 0 through the move codes, so
// its units are listed from B to A. Cost: two DPCost calls per interior cell, O(W * H) time
// and two scratch tables of 2 (W + 1) (H + 1) entries kept by the router between calls.

#include <algorithm>

#include "db/NetDB.h"
#include "db/Report.h"
#include "router/GlobalRouter.h"

namespace {

// Move codes of the table: how the state of a cell was entered.
constexpr signed char kFromWest = 1;      // state 0, horizontal step from the west neighbour
constexpr signed char kFromVertical = 0;  // state 1, vertical step from the neighbour toward A
constexpr signed char kBendFromHori = 2;  // state 1 entered from state 0 of the same cell
constexpr signed char kBendFromVert = 3;  // state 0 entered from state 1 of the same cell

}  // namespace

int GlobalRouter::DDPattern(Point& p1, Point& p2, TwoPin* twoPin, Net& net, int& maxUsage) {
  const Point a = p1.x < p2.x ? p1 : p2;  // equal x: the former p2
  const Point b = p1.x < p2.x ? p2 : p1;
  p1 = b;
  p2 = a;
  const bool rising = a.y < b.y;
  const int w = b.x - a.x;
  const int h = rising ? b.y - a.y : a.y - b.y;
  const int lowY = rising ? a.y : b.y;  // grid row of box row j = 0
  const std::size_t rows = std::size_t(h) + 1;
  const std::size_t entries = 2 * (std::size_t(w) + 1) * rows;
  if (dpCostTable.size() < entries) {
    dpCostTable.resize(entries);
    dpMoveTable.resize(entries);
  }
  float* const dCost = dpCostTable.data();
  signed char* const move = dpMoveTable.data();
  const auto at = [rows](int i, int j, int s) { return (std::size_t(i) * rows + std::size_t(j)) * 2 + std::size_t(s); };
  const float bend = via_cost;

  // The net's own edges in the box, one flag byte per box cell, so that the program prices
  // each edge without a set lookup. Taken from the sets' keys unless they are many times more
  // than the lookups they replace (up to four per cell); then the sets are asked edge by edge,
  // as DPCost does.
  constexpr unsigned char kRoutedH = 1, kRoutedV = 2, kSteinerH = 4, kSteinerV = 8;
  const bool shared = net.twoPins.size() >= 2;
  const std::size_t cells = (std::size_t(w) + 1) * rows;
  const bool steinerOn = shared && useSteinerEdges;
  const std::size_t keys = net.routedEdges.storedKeys() + (steinerOn ? net.steinerEdges.storedKeys() : 0);
  const bool flagged = shared && keys <= kKeysPerLookup * 4 * cells;
  if (flagged) {
    if (dpEdgeFlags.size() < cells) dpEdgeFlags.resize(cells);
    std::fill(dpEdgeFlags.begin(), dpEdgeFlags.begin() + std::ptrdiff_t(cells), 0);
    const auto mark = [&](const RPoint& k, unsigned char hBit, unsigned char vBit) {
      if (k.z != 0 || (k.hori != 0 && k.hori != 1)) return;
      const int i = k.x - a.x, j = k.y - lowY;
      if (i < 0 || i > w || j < 0 || j > h) return;
      dpEdgeFlags[std::size_t(i) * rows + std::size_t(j)] |= k.hori == 1 ? hBit : vBit;
    };
    net.routedEdges.forEachKey([&](const RPoint& k, std::size_t) { mark(k, kRoutedH, kRoutedV); });
    if (steinerOn) net.steinerEdges.forEachKey([&](const RPoint& k, std::size_t) { mark(k, kSteinerH, kSteinerV); });
  }
  // Apart from the net's own edges and an overflowed edge under the hard rule (which reads the
  // edge's history), an edge's price depends on its demand and direction only: it is computed
  // once per call and demand value, by the same expression.
  constexpr int kMemo = 128;
  float memo[2][2][kMemo];
  bool known[2][2][kMemo] = {};
  const auto price = [&](int x, int y, bool hori) {
    if (shared && !flagged) return DPCost(x, y, hori, net);
    bool routed = false, steiner = false;
    if (flagged) {
      const unsigned char f = dpEdgeFlags[std::size_t(x - a.x) * rows + std::size_t(y - lowY)];
      routed = (f & (hori ? kRoutedH : kRoutedV)) != 0;
      steiner = !routed && (f & (hori ? kSteinerH : kSteinerV)) != 0;
    }
    const int d = grid.getCost(x, y, hori);
    if (routed || d < 0 || d >= kMemo || (hardOverflowCost && !steiner && d >= capacityOf(hori)))
      return DPCostKnown(x, y, hori, routed, steiner);
    float& v = memo[steiner][hori][d];
    if (!known[steiner][hori][d]) {
      v = DPCostKnown(x, y, hori, false, steiner);
      known[steiner][hori][d] = true;
    }
    return v;
  };

  // One cell from its straight arrivals h (from the west, in state 0) and v (vertical, in state 1).
  const auto relax = [&](int i, int j, float hArrival, float vArrival) {
    const float vBent = vArrival + bend;
    if (hArrival <= vBent) {
      dCost[at(i, j, 0)] = hArrival, move[at(i, j, 0)] = kFromWest;
    } else {
      dCost[at(i, j, 0)] = vBent, move[at(i, j, 0)] = kBendFromVert;
    }
    const float hBent = hArrival + bend;
    if (vArrival <= hBent) {
      dCost[at(i, j, 1)] = vArrival, move[at(i, j, 1)] = kFromVertical;
    } else {
      dCost[at(i, j, 1)] = hBent, move[at(i, j, 1)] = kBendFromHori;
    }
  };

  // A's row and column: straight runs, the other state by one bend in the same cell.
  const int aRow = rising ? 0 : h;
  dCost[at(0, aRow, 0)] = 0.0f;
  dCost[at(0, aRow, 1)] = bend;
  for (int i = 1; i <= w; ++i) {
    dCost[at(i, aRow, 0)] = dCost[at(i - 1, aRow, 0)] + price(a.x + i - 1, a.y, true);
    move[at(i, aRow, 0)] = kFromWest;
    dCost[at(i, aRow, 1)] = dCost[at(i, aRow, 0)] + bend;
    move[at(i, aRow, 1)] = kBendFromHori;
  }
  if (rising) {
    for (int j = 1; j <= h; ++j) {
      dCost[at(0, j, 1)] = dCost[at(0, j - 1, 1)] + price(a.x, a.y + j - 1, false);
      move[at(0, j, 1)] = kFromVertical;
      dCost[at(0, j, 0)] = dCost[at(0, j, 1)] + bend;
      move[at(0, j, 0)] = kBendFromVert;
    }
    for (int i = 1; i <= w; ++i)
      for (int j = 1; j <= h; ++j) {
        const float hArrival = dCost[at(i - 1, j, 0)] + price(a.x + i - 1, a.y + j, true);
        const float vArrival = dCost[at(i, j - 1, 1)] + price(a.x + i, a.y + j - 1, false);
        relax(i, j, hArrival, vArrival);
      }
  } else {
    for (int j = h - 1; j >= 0; --j) {
      dCost[at(0, j, 1)] = dCost[at(0, j + 1, 1)] + price(a.x, b.y + j, false);
      move[at(0, j, 1)] = kFromVertical;
      dCost[at(0, j, 0)] = dCost[at(0, j, 1)] + bend;
      move[at(0, j, 0)] = kBendFromVert;
    }
    for (int i = 1; i <= w; ++i)
      for (int j = h - 1; j >= 0; --j) {
        const float hArrival = dCost[at(i - 1, j, 0)] + price(a.x + i - 1, b.y + j, true);
        const float vArrival = dCost[at(i, j + 1, 1)] + price(a.x + i, b.y + j, false);
        relax(i, j, hArrival, vArrival);
      }
  }

  const int bRow = rising ? h : 0;
  twoPin->pathCost = dCost[at(w, bRow, 0)];

  // Walk back from B in state 0. Every step moves one cell toward A or switches state, and a
  // sound table never switches twice in a row, so a walk longer than 2 (W + H) + 2 steps means
  // a corrupted table (a NaN price makes both states bends): it is reported and replaced by
  // the L through B's row.
  std::vector<RPoint>& path = twoPin->path;
  const std::size_t first = path.size();
  path.reserve(first + std::size_t(w) + std::size_t(h));  // a monotonic path has exactly w + h units
  maxUsage = 0;
  int i = w, j = bRow, s = 0;
  const long long stepLimit = 2LL * (w + h) + 2;
  long long steps = 0;
  bool sound = true;
  while (!(i == 0 && j == aRow)) {
    if (++steps > stepLimit) {
      sound = false;
      break;
    }
    switch (move[at(i, j, s)]) {
      case kFromWest:
        --i;
        path.emplace_back(a.x + i, lowY + j, 1);
        break;
      case kFromVertical:
        if (rising) {
          --j;
          path.emplace_back(a.x + i, lowY + j, 0);
        } else {
          path.emplace_back(a.x + i, lowY + j, 0);
          ++j;
        }
        break;
      case kBendFromHori:
        s = 0;
        break;
      default:
        s = 1;
        break;
    }
  }
  if (!sound) {
    reportInconsistency("GlobalRouter", 2301,
                        format(" monotonic trace-back from (%d,%d) to (%d,%d) does not end", b.x, b.y, a.x, a.y));
    path.resize(first);
    for (int x = b.x - 1; x >= a.x; --x) path.emplace_back(x, b.y, 1);
    if (rising)
      for (int y = b.y - 1; y >= a.y; --y) path.emplace_back(a.x, y, 0);
    else
      for (int y = b.y; y < a.y; ++y) path.emplace_back(a.x, y, 0);
  }
  for (std::size_t k = first; k < path.size(); ++k) {
    const int d = grid.getCost(path[k].x, path[k].y, path[k].hori != 0);
    if (d > maxUsage) maxUsage = d;
  }
  const int overflow = RoutePath(p1, p2, path, net);
  twoPin->wireLength = int(path.size());
  return overflow;
}
