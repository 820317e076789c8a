// Layered maze search: best-first rerouting of one ripped-up connection over every layer.
//
// The net's other paths cost 1.0 per unit during the search (almost free, still counted in
// the step count), then their prices go back: every committed unit's price is current (commit
// and rip-up refresh it), so the price held before the search is the one a recount would give. Seeds and targets are
// the pins on layer 0 (seeded as the planar searches do); a cell expands north, east, south, west, up, down, planar
// moves only on layers with tracks in their direction. Keys are path cost plus the distance
// estimate times baseCost; there is no bend surcharge, no cost bound and no length bound. The
// search ends when a target is taken or the open set runs dry; its cost is O(E log V) over the
// cells reached, with no allocation per search (stamps, compact cells with index-linked heap
// nodes, O(1) open-set reset).

#include <climits>
#include <memory>

#include "db/NetDB.h"
#include "db/Report.h"
#include "router/BoundingBox.h"
#include "router/GlobalRouter.h"
#include "router3d/LayeredSearch.h"

namespace {

using Handle = LayeredSearch::Handle;
constexpr Handle kNone = LayeredSearch::kNone;

bool unitInGrid(const RPoint& u, int xNum, int yNum, int zNum) {
  return u.hori >= 0 && u.hori <= 2 && u.x >= 0 && u.x < xNum && u.y >= 0 && u.y < yNum && u.z >= 0 && u.z < zNum;
}

// Union-find root of a layer-0 cell; every cell on the way is pointed straight at the root.
Handle findRoot(LayeredSearch& s, Handle cell) {
  Handle root = cell;
  while (s.pins[root].ufParent != kNone) root = s.pins[root].ufParent;
  while (cell != root) {
    const Handle next = s.pins[cell].ufParent;
    s.pins[cell].ufParent = root;
    cell = next;
  }
  return root;
}

// Brings a pin or connection end into the current search: a fresh union-find singleton, not
// open. Cells already touched in this search are kept.
void touchEndCell(LayeredSearch& s, Handle cell, int stamp) {
  LayeredCell& c = s.cells[cell];
  if (c.visitStamp == stamp) return;
  c.visitStamp = stamp;
  s.pins[cell].rank = 0;
  s.pins[cell].ufParent = kNone;
  c.inQueue = false;
}

// Joins the sets of a and b by rank; on equal ranks a's root becomes the parent.
void unite(LayeredSearch& s, Handle a, Handle b) {
  const Handle rb = findRoot(s, b);
  const Handle ra = findRoot(s, a);
  if (ra == rb) return;
  if (s.pins[ra].rank > s.pins[rb].rank) {
    s.pins[rb].ufParent = ra;
  } else if (s.pins[ra].rank == s.pins[rb].rank) {
    ++s.pins[ra].rank;
    s.pins[rb].ufParent = ra;
  } else {
    s.pins[ra].ufParent = rb;
  }
}

// Seeds a search on layer 0: marks the targets, opens the sources and grows `box` over the
// target side; the same rules and orders as the planar searches' seeding.
void seed(LayeredSearch& s, int stamp, TwoPin* twoPin, Net& net, bool single, std::vector<Point>& sourceList,
          std::vector<Point>& targetList, BoundingBox& box) {
  const auto cellAt = [&s](const Point& p) { return s.index(p.x, p.y, 0); };

  if (single) {
    s.cells[cellAt(twoPin->p2)].targetStamp = stamp;
    const Handle si = cellAt(twoPin->p1);
    LayeredCell& c = s.cells[si];
    c.length = 0;
    c.cost = 0.0f;
    c.key = 0.0f;
    c.parent = kNone;
    c.inQueue = true;
    c.dist = twoPin->p1.distance(twoPin->p2);
    c.visitStamp = stamp;
    s.openInsert(si);
    return;
  }

  for (const TwoPin& t : net.twoPins) {
    touchEndCell(s, cellAt(t.p1), stamp);
    touchEndCell(s, cellAt(t.p2), stamp);
    if (&t != twoPin && !t.path.empty()) unite(s, cellAt(t.p1), cellAt(t.p2));
  }
  touchEndCell(s, cellAt(twoPin->p1), stamp);
  touchEndCell(s, cellAt(twoPin->p2), stamp);
  for (const Point& pin : net.pins2D) touchEndCell(s, cellAt(pin), stamp);

  const Handle sourceRoot = findRoot(s, cellAt(twoPin->p1));
  for (const Point& pin : net.pins2D)
    (findRoot(s, cellAt(pin)) == sourceRoot ? sourceList : targetList).emplace_back(pin.x, pin.y, 0);

  for (const Point& p : targetList) {
    const Handle i = cellAt(p);
    LayeredCell& c = s.cells[i];
    c.targetStamp = stamp;
    s.pins[i].listStamp = stamp;
    c.visitStamp = -1;
    c.inQueue = false;
  }
  for (const Point& p : sourceList) {
    const Handle i = cellAt(p);
    LayeredCell& c = s.cells[i];
    if (c.targetStamp == stamp) continue;
    c.dist = 0;
    c.length = 0;
    c.key = 0.0f;
    c.cost = 0.0f;
    c.visitStamp = stamp;
    c.parent = kNone;
    c.inQueue = true;
    s.openInsert(i);
  }

  // The box spans the connection's second end and every routed unit of the target side. Those
  // units' ends join the target list without becoming targets: a search ends on pins only.
  box.Bondary(twoPin->p2.x, twoPin->p2.y);
  for (const TwoPin& t : net.twoPins) {
    if (&t == twoPin || findRoot(s, cellAt(t.p1)) == sourceRoot) continue;
    for (const RPoint& r : t.path) {
      if (r.hori != 0 && r.hori != 1) continue;
      const int x2 = r.hori == 1 ? r.x + 1 : r.x;
      const int y2 = r.hori == 1 ? r.y : r.y + 1;
      for (const Point end : {Point(r.x, r.y), Point(x2, y2)}) {
        box.Bondary(end.x, end.y);
        const Handle i = cellAt(end);
        s.cells[i].dist = 0;
        if (s.pins[i].listStamp != stamp) {
          s.pins[i].listStamp = stamp;
          targetList.emplace_back(end.x, end.y, 0);
        }
      }
    }
  }
}

}  // namespace

void LayeredSearch::adopt(const CellGrid& grid, int xs, int ys, int zs) {
  xNum = xs, yNum = ys, zNum = zs;
  const std::size_t plane = std::size_t(xs) * std::size_t(ys);
  cells.assign(plane * std::size_t(zs), LayeredCell{});
  pins.assign(plane, LayeredPinCell{});
  heap.reset();
  queue.reset();
  openInserts = 0;
  std::size_t i = 0;
  for (int z = 0; z < zs; ++z)
    for (int y = 0; y < ys; ++y)
      for (int x = 0; x < xs; ++x, ++i) {
        LayeredCell& c = cells[i];
        c.x = x, c.y = y, c.z = z;
        if (z >= grid.layers() || x >= grid.xNum || y >= grid.yNum) continue;
        const GridCell& g = grid.at(z, y, x);
        c.inQueue = g.inQueue;
        c.inDeque = g.inDeque;
        c.key = g.key;
        c.cost = g.cost;
        c.parent = g.parent == nullptr ? kNone : index(g.parent->x, g.parent->y, g.parent->z);
        c.visitStamp = g.visitStamp;
        c.targetStamp = g.targetStamp;
        c.length = g.length;
        c.dist = g.dist;
        if (z == 0) pins[i].listStamp = g.listStamp;
      }
}

void LayeredSearch::clearStamps() {
  for (LayeredCell& c : cells) c.visitStamp = c.targetStamp = -1;
}

void LayeredSearch::openInsert(Handle cell) {
  ++openInserts;
  const float k = cells[cell].key;
  if (queue.head == kNone || cells[queue.head].key >= k) {
    fibcore::pushFront(*this, queue, cell);
    cells[cell].inDeque = true;
    return;
  }
  const float tailKey = cells[queue.tail].key;
  if (tailKey <= k && k < 2.0f * tailKey) {
    fibcore::pushBack(*this, queue, cell);
    cells[cell].inDeque = true;
    return;
  }
  fibcore::insert(*this, heap, cell);
  cells[cell].inDeque = false;
}

LayeredSearch::Handle LayeredSearch::openTakeNext() {
  const bool heapEmpty = heap.min == kNone;
  if (queue.head == kNone) return heapEmpty ? kNone : fibcore::extractMin(*this, heap);
  if (heapEmpty) return fibcore::pop(*this, queue);
  // Equal keys go to the heap.
  if (cells[heap.min].key > cells[queue.head].key) return fibcore::pop(*this, queue);
  return fibcore::extractMin(*this, heap);
}

int GlobalRouter::MultiMaze3D(TwoPin* twoPin, Net& net, int, BoundingBox&) {
  std::vector<CostEntry>& map = grid.func_map;
  const std::size_t plane = std::size_t(xNum) * std::size_t(yNum);
  auto entryIndex = [this, plane](int x, int y, int z) { return std::size_t(x) + std::size_t(y) * xNum + plane * z; };

  if (!search3D || !search3D->fits(xNum, yNum, zNum)) {
    search3D = std::make_shared<LayeredSearch>();
    search3D->adopt(grid.cells, xNum, yNum, zNum);
  }
  LayeredSearch& s = *search3D;

  // Units that name no element are never committed, so they are neither lowered nor restored.
  // A unit listed twice is lowered twice; putting prices back in reverse order restores its own.
  t_modifyCost.start();
  std::vector<LoweredPrice>& lowered = s.lowered;
  lowered.clear();
  for (const TwoPin& t : net.twoPins) {
    if (&t == twoPin) continue;
    for (const RPoint& u : t.path) {
      if (!unitInGrid(u, xNum, yNum, zNum)) continue;
      CostEntry& e = map[entryIndex(u.x, u.y, u.z)];
      float& price = u.hori == 1 ? e.x : u.hori == 0 ? e.y : e.z;
      lowered.push_back(LoweredPrice{&price, price});
      price = 1.0f;
    }
  }
  t_modifyCost.stop();

  const bool single = net.twoPins.size() == 1;
  const Point target = twoPin->p2;

  t_mazeKernel.start();
  t_do_cpu_maze.reset();
  t_do_cpu_maze.start();
  t_do_cpu_maze_total.start();
  BoundingBox box;
  sources.clear();
  targets.clear();
  const int stamp = searchStamp;
  seed(s, stamp, twoPin, net, single, sources, targets, box);

  const int xs = xNum, ys = yNum, zs = zNum;
  const CostEntry* const entries = map.data();
  LayeredCell* const cells = s.cells.data();
  const Handle cellCount = Handle(s.cells.size());
  const float unit = baseCost;
  bool found = false;
  float reachedKey = 0.0f;
  int result = -1;
  Handle ci = kNone;
  while ((ci = s.openTakeNext()) != kNone) {
    LayeredCell& c = cells[ci];
    c.inQueue = false;
    if (c.targetStamp == stamp) {
      reachedKey = c.key;
      result = c.length;
      found = true;
      break;
    }
    const bool vertical = vCapPerLayer[c.z] != 0, horizontal = hCapPerLayer[c.z] != 0;
    // Neighbours lie a row or a layer apart: start all their loads before the first is read.
    for (const Handle ni : {ci + Handle(xs), ci + 1, ci - Handle(xs), ci - 1, ci + Handle(plane), ci - Handle(plane)})
      if (ni < cellCount) __builtin_prefetch(cells + ni, 1);
    // One neighbour ni over an element priced e; written out per direction below, which keeps
    // the order north, east, south, west, up, down without a dispatch per step.
    const auto relax = [&](Handle ni, float e) __attribute__((always_inline)) {
      if (ni == c.parent) return;
      LayeredCell& n = cells[ni];
      if (n.visitStamp != stamp)
        n.dist = single ? abs_int(n.x - target.x) + abs_int(n.y - target.y) + n.z : box.distance(n.x, n.y);
      const float g = c.cost + e;
      int len;
      float k;
      if (e != 0.0f) {
        len = c.length + 1;
        k = float(n.dist) * unit + g;
      } else {
        len = c.length;
        k = g;
      }
      if (n.visitStamp == stamp && !(k < n.key || (k == n.key && len < n.length))) return;
      n.parent = ci;
      n.length = len;
      if (n.inQueue && n.visitStamp == stamp) {
        if (k < n.key) {
          n.cost = g;
          if (!n.inDeque) {
            fibcore::replaceKey(s, s.heap, ni, k);
          } else if (fibcore::replaceQueKey(s, s.queue, ni, k) == 0) {
            s.openInsert(ni);
          }
        }
      } else {
        n.cost = g;
        n.key = k;
        n.inQueue = true;
        n.visitStamp = stamp;
        s.openInsert(ni);
      }
    };
    // An element's price is read at its lower end.
    if (vertical && c.y + 1 < ys) relax(ci + Handle(xs), entries[ci].y);
    if (horizontal && c.x + 1 < xs) relax(ci + 1, entries[ci].x);
    if (vertical && c.y > 0) relax(ci - Handle(xs), entries[ci - Handle(xs)].y);
    if (horizontal && c.x > 0) relax(ci - 1, entries[ci - 1].x);
    if (c.z + 1 < zs) relax(ci + Handle(plane), entries[ci].z);
    if (c.z > 0) relax(ci - Handle(plane), entries[ci - Handle(plane)].z);
  }

  // Trace-back: a sound parent chain visits distinct opened cells; a longer walk is a cycle.
  bool rebuilt = false;
  if (found) {
    long long cellsOnWalk = 1;
    Handle w = ci;
    while (cells[w].parent != kNone && cellsOnWalk <= s.openInserts) w = cells[w].parent, ++cellsOnWalk;
    const LayeredCell& reached = cells[ci];
    if (cells[w].parent != kNone) {
      reportInconsistency(
          "GlobalRouter", 2302,
          format(" maze trace-back from (%d,%d,%d) does not reach a source", reached.x, reached.y, reached.z));
    } else {
      rebuilt = true;
      twoPin->p1 = Point(reached.x, reached.y, reached.z);
      std::vector<RPoint>& path = twoPin->path;
      path.clear();
      const LayeredCell* c = &reached;
      for (Handle pi = c->parent; pi != kNone; pi = c->parent) {
        const LayeredCell* p = &cells[pi];
        if (c->x < p->x)
          path.emplace_back(c->x, c->y, c->z, 1);
        else if (c->x > p->x)
          path.emplace_back(p->x, p->y, c->z, 1);
        else if (c->y < p->y)
          path.emplace_back(c->x, c->y, c->z, 0);
        else if (c->y > p->y)
          path.emplace_back(p->x, p->y, c->z, 0);
        else if (c->z != p->z)
          path.emplace_back(p->x, p->y, c->z < p->z ? c->z : p->z, 2);
        c = p;
      }
      twoPin->p2 = Point(c->x, c->y, c->z);
      twoPin->wireLength = int(path.size());
    }
  }
  if (searchStamp == INT_MAX - 1) {
    searchStamp = 0;
    grid.cells.clearStamps();
    s.clearStamps();
  } else {
    ++searchStamp;
  }
  s.openInserts = 0;
  s.heap.reset();
  s.queue.reset();
  if (rebuilt)
    twoPin->pathCost = reachedKey;
  else
    result = -1;
  t_do_cpu_maze_total.stop();
  t_do_cpu_maze.stop();
  t_mazeKernel.stop();

  t_modifyCost.start();
  for (auto it = lowered.rbegin(); it != lowered.rend(); ++it) *it->price = it->before;
  t_modifyCost.stop();
  return result;
}
