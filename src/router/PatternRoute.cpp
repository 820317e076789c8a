// Pattern routing: the straight run and the two L shapes of a connection.
//
// Flat lists the units of the run between two ends that share a column or a row. Pattern
// prices both L shapes with PatternCost (one running single-precision sum in walking order), keeps
// the second on equal costs, so the L with its horizontal leg on the lower row wins, and lists
// the chosen units from the left end to the right one. Both commit with RoutePath. Cost:
// linear in the box's half-perimeter.

#include <algorithm>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"

namespace {

// Appends the horizontal units of row y from column x0 to x1 - 1, left to right.
void appendRow(std::vector<RPoint>& path, int x0, int x1, int y) {
  for (int x = x0; x < x1; ++x) path.emplace_back(x, y, 1);
}

// Appends the vertical units of column x between rows y0 and y1, walking from y0 toward y1:
// rising units y0 .. y1 - 1, falling units y0 - 1 down to y1.
void appendColumn(std::vector<RPoint>& path, int x, int y0, int y1) {
  if (y0 <= y1)
    for (int y = y0; y < y1; ++y) path.emplace_back(x, y, 0);
  else
    for (int y = y0 - 1; y >= y1; --y) path.emplace_back(x, y, 0);
}

}  // namespace

int GlobalRouter::Flat(Point& p1, Point& p2, std::vector<RPoint>& path, Net& net) {
  // Copies: p1 and p2 are usually the connection's own fields and are rewritten below.
  const Point a = p1.x < p2.x ? p1 : p2;
  const Point b = p1.x < p2.x ? p2 : p1;
  path.reserve(path.size() + std::size_t(a.distance(b)));  // exact: no doubling slack kept for the run
  if (a.x == b.x) {
    const Point& low = a.y > b.y ? b : a;
    const Point& high = a.y > b.y ? a : b;
    p1 = low;
    p2 = high;
    appendColumn(path, a.x, p1.y, p2.y);
  } else {
    p1 = a;
    p2 = b;
    appendRow(path, a.x, b.x, a.y);
  }
  return RoutePath(p1, p2, path, net);
}

int GlobalRouter::Pattern(Point& p1, Point& p2, TwoPin* twoPin, Net& net, int& maxUsage) {
  const Point l = p1.x < p2.x ? p1 : p2;
  const Point r = p1.x < p2.x ? p2 : p1;
  p1 = l;
  p2 = r;
  maxUsage = 0;

  // The net's own edges on the four legs (rows of l and r, columns of l and r), one flag byte
  // per unit, so that pricing needs no set lookup. Taken from the sets' keys unless they are
  // many times more than the legs' units (a lookup costs a few cache misses, a key a few
  // instructions); then the sets are asked unit by unit, as PatternCost does.
  constexpr unsigned char kRouted = 1, kSteiner = 2;
  const int w = r.x - l.x;
  const int yLow = std::min(l.y, r.y), hgt = std::max(l.y, r.y) - yLow;
  const std::size_t units = 2 * (std::size_t(w) + std::size_t(hgt));
  const bool flagged = net.twoPins.size() >= 2 &&
                       net.routedEdges.storedKeys() + net.steinerEdges.storedKeys() <= kKeysPerLookup * 2 * units;
  const auto rowIndex = [&](int x, int y) { return std::size_t(y == l.y ? 0 : w) + std::size_t(x - l.x); };
  const auto columnIndex = [&](int x, int y) {
    return 2 * std::size_t(w) + std::size_t(x == l.x ? 0 : hgt) + std::size_t(y - yLow);
  };
  if (flagged) {
    dpEdgeFlags.assign(units, 0);
    const auto mark = [&](const RPoint& k, unsigned char bit) {
      if (k.z != 0) return;
      if (k.hori == 1 && k.x >= l.x && k.x < r.x) {
        if (k.y == l.y) dpEdgeFlags[std::size_t(k.x - l.x)] |= bit;
        if (k.y == r.y) dpEdgeFlags[std::size_t(w) + std::size_t(k.x - l.x)] |= bit;
      } else if (k.hori == 0 && k.y >= yLow && k.y < yLow + hgt) {
        if (k.x == l.x) dpEdgeFlags[2 * std::size_t(w) + std::size_t(k.y - yLow)] |= bit;
        if (k.x == r.x) dpEdgeFlags[2 * std::size_t(w) + std::size_t(hgt) + std::size_t(k.y - yLow)] |= bit;
      }
    };
    net.routedEdges.forEachKey([&](const RPoint& k, std::size_t) { mark(k, kRouted); });
    net.steinerEdges.forEachKey([&](const RPoint& k, std::size_t) { mark(k, kSteiner); });
  }
  const auto price = [&](int x, int y, int hori) {
    if (!flagged) return PatternCost(x, y, hori, net);
    const unsigned char f = dpEdgeFlags[hori != 0 ? rowIndex(x, y) : columnIndex(x, y)];
    return PatternCostKnown(x, y, hori, (f & kRouted) != 0, (f & kSteiner) != 0);
  };

  // Each shape is priced by one running single-precision sum over its units in walking order.
  const auto addRow = [&](float& sum, int x0, int x1, int y) {
    for (int x = x0; x < x1; ++x) sum += price(x, y, 1);
  };
  const auto addColumn = [&](float& sum, int x, int y0, int y1) {
    if (y0 <= y1)
      for (int y = y0; y < y1; ++y) sum += price(x, y, 0);
    else
      for (int y = y0 - 1; y >= y1; --y) sum += price(x, y, 0);
  };

  std::vector<RPoint>& path = twoPin->path;
  const std::size_t first = path.size();
  path.reserve(first + std::size_t(l.distance(r)));
  if (l.y < r.y) {
    // Rising: first up L's column then along R's row, second along L's row then up R's column.
    float upThenRight = 0.0f, rightThenUp = 0.0f;
    addColumn(upThenRight, l.x, l.y, r.y);
    addRow(upThenRight, l.x, r.x, r.y);
    addRow(rightThenUp, l.x, r.x, l.y);
    addColumn(rightThenUp, r.x, l.y, r.y);
    if (rightThenUp <= upThenRight) {
      appendRow(path, l.x, r.x, l.y);
      appendColumn(path, r.x, l.y, r.y);
    } else {
      appendColumn(path, l.x, l.y, r.y);
      appendRow(path, l.x, r.x, r.y);
    }
  } else {
    // Falling or level: first along L's row then down R's column, second down L's column then
    // along R's row.
    float rightThenDown = 0.0f, downThenRight = 0.0f;
    addRow(rightThenDown, l.x, r.x, l.y);
    addColumn(rightThenDown, r.x, l.y, r.y);
    addColumn(downThenRight, l.x, l.y, r.y);
    addRow(downThenRight, l.x, r.x, r.y);
    if (downThenRight <= rightThenDown) {
      appendColumn(path, l.x, l.y, r.y);
      appendRow(path, l.x, r.x, r.y);
    } else {
      appendRow(path, l.x, r.x, l.y);
      appendColumn(path, r.x, l.y, r.y);
    }
  }
  // Demand before the commit, so without this connection.
  for (std::size_t i = first; i < path.size(); ++i) {
    const int d = grid.getCost(path[i].x, path[i].y, path[i].hori != 0);
    if (d > maxUsage) maxUsage = d;
  }
  const int overflow = RoutePath(p1, p2, path, net);
  twoPin->wireLength = int(path.size());
  return overflow;
}
