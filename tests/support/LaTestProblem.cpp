#include "support/LaTestProblem.h"

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

void sizePerLayer(NetDB& db, int layers) {
  for (std::vector<int>* v : {&db.horizontalCapacity, &db.verticalCapacity, &db.minWireWidth, &db.minWireSpacing,
                              &db.viaSpacing, &db.wirePitch, &db.horizontalTracks, &db.verticalTracks})
    v->assign(std::size_t(layers), 0);
}

// Adds a pin: a new (tile, layer) joins pins3D (and pins2D if the tile is new), a repeat
// counts as such.
void addPin(NetDB& db, Net& n, const Point& p) {
  const bool repeat = std::any_of(n.pins3D.begin(), n.pins3D.end(),
                                  [&](const Point& q) { return q.x == p.x && q.y == p.y && q.z == p.z; });
  if (repeat) {
    db.repeatPinCount[p.x][p.y] += 1;
    return;
  }
  n.pins3D.push_back(p);
  if (std::find(n.pins2D.begin(), n.pins2D.end(), p) == n.pins2D.end()) n.pins2D.push_back(p);
  db.pinCount[p.x][p.y] += 1;
}

}  // namespace

NetDB makeGridDB(int gridX, int gridY, const std::vector<int>& hTracks, const std::vector<int>& vTracks) {
  NetDB db;
  db.gridX = gridX, db.gridY = gridY, db.numLayers = int(hTracks.size());
  sizePerLayer(db, db.numLayers);
  for (int l = 0; l < db.numLayers; ++l) {
    db.minWireWidth[l] = 1;
    db.wirePitch[l] = 1;
    db.horizontalTracks[l] = db.horizontalCapacity[l] = hTracks[l];
    db.verticalTracks[l] = db.verticalCapacity[l] = vTracks[l];
    db.totalHorizontalTracks += hTracks[l];
    db.totalVerticalTracks += vTracks[l];
  }
  db.tileWidth = db.tileHeight = 10;
  db.repeatPinCount.assign(std::size_t(gridX), std::vector<int>(std::size_t(gridY), 0));
  db.pinCount = db.repeatPinCount;
  return db;
}

Net& addNet(NetDB& db, int id, const std::vector<Point>& pins) {
  Net n;
  n.id = id;
  for (const Point& p : pins) addPin(db, n, p);
  db.nets.push_back(std::move(n));
  return db.nets.back();
}

std::vector<RPoint> lPath(const Point& a, const Point& b) {
  std::vector<RPoint> path;
  int x = a.x, y = a.y;
  while (x != b.x) {
    const int next = x < b.x ? x + 1 : x - 1;
    path.push_back(RPoint(std::min(x, next), y, 0, 1));
    x = next;
  }
  while (y != b.y) {
    const int next = y < b.y ? y + 1 : y - 1;
    path.push_back(RPoint(x, std::min(y, next), 0, 0));
    y = next;
  }
  return path;
}

TwoPin& addLConnection(NetDB& db, Net& n, const Point& a, const Point& b) {
  const int index = int(&n - db.nets.data());
  if (n.twoPins.size() == n.twoPins.capacity()) {
    // A copied connection starts unrouted, so carry the routed ones over by hand.
    std::vector<TwoPin> grown;
    grown.reserve(std::max<std::size_t>(4, 2 * n.twoPins.size()));
    for (TwoPin& t : n.twoPins) {
      grown.emplace_back(t.p1, t.p2, t.netIndex);
      grown.back() = t;
    }
    n.twoPins.swap(grown);
  }
  n.twoPins.emplace_back(a, b, index);
  TwoPin& t = n.twoPins.back();
  t.path = lPath(a, b);
  t.needRoute = false;
  return t;
}

void routeWithLShapes(NetDB& db) {
  for (Net& n : db.nets) {
    n.twoPins.clear();
    const std::vector<Point>& pins = n.pins2D;
    const std::size_t count = pins.size();
    if (count < 2) continue;
    std::vector<bool> inTree(count, false);
    std::vector<int> bestDist(count, INT_MAX), bestFrom(count, 0);
    inTree[0] = true;
    for (std::size_t i = 1; i < count; ++i) bestDist[i] = pins[0].distance(pins[i]);
    n.twoPins.reserve(count - 1);
    for (std::size_t step = 1; step < count; ++step) {
      std::size_t next = 0;
      for (std::size_t i = 1; i < count; ++i)
        if (!inTree[i] && (next == 0 || bestDist[i] < bestDist[next])) next = i;
      inTree[next] = true;
      addLConnection(db, n, pins[std::size_t(bestFrom[next])], pins[next]);
      for (std::size_t i = 1; i < count; ++i)
        if (!inTree[i] && pins[next].distance(pins[i]) < bestDist[i])
          bestDist[i] = pins[next].distance(pins[i]), bestFrom[i] = int(next);
    }
  }
}
