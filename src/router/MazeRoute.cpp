// Planar maze search: best-first rerouting of one ripped-up connection on the cost map.
//
// The net's other paths are made free on the map for the duration of the search, the old
// path's cost becomes the search's cost bound, and the search runs from every pin on the
// connection's source side (the pins still joined to its first end through the net's other
// paths) to any pin on the other side. Keys are path cost plus the distance estimate times
// the unit price; a step along a free edge adds neither length nor estimate. The open set is a
// Fibonacci heap with a sorted deque in front of it for keys near the search front. Per-search
// cell state is made current by the search stamp, never cleared; the open set is emptied in
// O(1) by traceBack. The search ends when a target pin is taken (success) or the open set
// runs dry (failure: the caller commits the old path again). Edges of a direction that no
// layer has tracks in are never entered. Cost: O(E log V) over the cells reached, no
// allocation per search.

#include <climits>

#include "db/NetDB.h"
#include "db/Report.h"
#include "router/BoundingBox.h"
#include "router/GlobalRouter.h"

namespace {

// Union-find root of a cell; every cell on the way is pointed straight at the root.
GridCell* findRoot(GridCell* cell) {
  GridCell* root = cell;
  while (root->ufParent != nullptr) root = root->ufParent;
  while (cell != root) {
    GridCell* next = cell->ufParent;
    cell->ufParent = root;
    cell = next;
  }
  return root;
}

// Brings a cell the search uses as a pin or a connection end into the current search: a
// fresh union-find singleton, not open. Cells already touched in this search are kept.
void touchEndCell(GridCell* cell, int stamp) {
  if (cell->visitStamp == stamp) return;
  cell->visitStamp = stamp;
  cell->rank = 0;
  cell->ufParent = nullptr;
  cell->inQueue = false;
}

// Joins the sets of a and b by rank; on equal ranks a's root becomes the parent.
void unite(GridCell* a, GridCell* b) {
  GridCell* rb = findRoot(b);
  GridCell* ra = findRoot(a);
  if (ra == rb) return;
  if (ra->rank > rb->rank) {
    rb->ufParent = ra;
  } else if (ra->rank == rb->rank) {
    ++ra->rank;
    rb->ufParent = ra;
  } else {
    ra->ufParent = rb;
  }
}

float mapEntry(const CostEntry& e, int hori) { return hori == 1 ? e.x : hori == 0 ? e.y : e.z; }

}  // namespace

void GlobalRouter::openInsert(GridCell* cell) {
  ++openInserts;
  const float k = cell->key;
  if (queue.head == nullptr || queue.head->data->key >= k) {
    fh_push_front(&queue, cell);
    cell->inDeque = true;
    return;
  }
  const float tailKey = queue.tail->data->key;
  if (tailKey <= k && k < 2.0f * tailKey) {
    fh_push_back(&queue, cell);
    cell->inDeque = true;
    return;
  }
  fh_insert(heap.get(), cell);
  cell->inDeque = false;
}

GridCell* GlobalRouter::openTakeNext() {
  fibheap* const h = heap.get();
  const bool heapEmpty = h->min == nullptr;
  if (queue.head == nullptr) return heapEmpty ? nullptr : fh_extractmin(h);
  if (heapEmpty) return fh_pop(&queue);
  // Equal keys go to the heap.
  if (h->min->data->key > queue.head->data->key) return fh_pop(&queue);
  return fh_extractmin(h);
}

void GlobalRouter::initialTargetSource(TwoPin* twoPin, Net& net, bool single, std::vector<Point>& sourceList,
                                       std::vector<Point>& targetList, CellGrid& cells, BoundingBox& box) {
  const int stamp = searchStamp;
  const auto cellAt = [&cells](const Point& p) { return &cells.at(0, p.y, p.x); };

  if (single) {
    cellAt(twoPin->p2)->targetStamp = stamp;
    GridCell* s = cellAt(twoPin->p1);
    s->length = 0;
    s->cost = 0.0f;
    s->key = 0.0f;
    s->parent = nullptr;
    s->inQueue = true;
    s->dist = twoPin->p1.distance(twoPin->p2);
    s->visitStamp = stamp;
    openInsert(s);
    return;
  }

  // The source side: every pin still joined to the connection's first end through the net's
  // other routed connections. Pins and ends of this search start as singletons; stale
  // union-find links or open flags of earlier searches are never followed.
  for (const TwoPin& t : net.twoPins) {
    touchEndCell(cellAt(t.p1), stamp);
    touchEndCell(cellAt(t.p2), stamp);
    if (&t != twoPin && !t.path.empty()) unite(cellAt(t.p1), cellAt(t.p2));
  }
  touchEndCell(cellAt(twoPin->p1), stamp);
  touchEndCell(cellAt(twoPin->p2), stamp);
  for (const Point& pin : net.pins2D) touchEndCell(cellAt(pin), stamp);

  GridCell* const sourceRoot = findRoot(cellAt(twoPin->p1));
  for (const Point& pin : net.pins2D)
    (findRoot(cellAt(pin)) == sourceRoot ? sourceList : targetList).emplace_back(pin.x, pin.y, 0);

  for (const Point& p : targetList) {
    GridCell* c = cellAt(p);
    c->targetStamp = stamp;
    c->listStamp = stamp;
    c->visitStamp = -1;
    c->inQueue = false;
  }
  for (const Point& p : sourceList) {
    GridCell* c = cellAt(p);
    if (c->targetStamp == stamp) continue;
    c->dist = 0;
    c->length = 0;
    c->key = 0.0f;
    c->cost = 0.0f;
    c->visitStamp = stamp;
    c->parent = nullptr;
    c->inQueue = true;
    openInsert(c);
  }

  // The box spans the connection's second end and every routed unit of the target side. Those
  // units' ends join the target list without becoming targets: a search ends on pins only.
  box.Bondary(twoPin->p2.x, twoPin->p2.y);
  for (const TwoPin& t : net.twoPins) {
    if (&t == twoPin || findRoot(cellAt(t.p1)) == sourceRoot) continue;
    for (const RPoint& r : t.path) {
      if (r.hori != 0 && r.hori != 1) continue;
      const int x2 = r.hori == 1 ? r.x + 1 : r.x;
      const int y2 = r.hori == 1 ? r.y : r.y + 1;
      for (const Point end : {Point(r.x, r.y), Point(x2, y2)}) {
        box.Bondary(end.x, end.y);
        GridCell* c = cellAt(end);
        c->dist = 0;
        if (c->listStamp != stamp) {
          c->listStamp = stamp;
          targetList.emplace_back(end.x, end.y, 0);
        }
      }
    }
  }
}

bool GlobalRouter::traceBack(TwoPin* twoPin, Net&, bool found, GridCell* reached, bool planar) {
  bool rebuilt = false;
  if (found) {
    // A sound parent chain visits distinct opened cells; a longer walk is a cycle.
    long long cellsOnWalk = 1;
    const GridCell* c = reached;
    while (c->parent != nullptr && cellsOnWalk <= openInserts) c = c->parent, ++cellsOnWalk;
    if (c->parent != nullptr) {
      reportInconsistency(
          "GlobalRouter", 2302,
          format(" maze trace-back from (%d,%d,%d) does not reach a source", reached->x, reached->y, reached->z));
    } else {
      rebuilt = true;
      twoPin->p1 = Point(reached->x, reached->y, reached->z);
      std::vector<RPoint>& path = twoPin->path;
      path.clear();
      c = reached;
      for (const GridCell* p = c->parent; p != nullptr; c = p, p = p->parent) {
        const int z = planar ? 0 : c->z;
        if (c->x < p->x)
          path.emplace_back(c->x, c->y, z, 1);
        else if (c->x > p->x)
          path.emplace_back(p->x, p->y, z, 1);
        else if (c->y < p->y)
          path.emplace_back(c->x, c->y, z, 0);
        else if (c->y > p->y)
          path.emplace_back(p->x, p->y, z, 0);
        else if (planar)
          path.emplace_back(p->x, p->y, 0, 2);
        else if (c->z != p->z)
          path.emplace_back(p->x, p->y, c->z < p->z ? c->z : p->z, 2);
      }
      twoPin->p2 = Point(c->x, c->y, c->z);
      twoPin->wireLength = int(path.size());
    }
  }
  if (searchStamp == INT_MAX - 1) {
    searchStamp = 0;
    grid.cells.clearStamps();
  } else {
    ++searchStamp;
  }
  openInserts = 0;
  fh_resetheap(heap.get());
  fh_que_reset(&queue);
  return rebuilt;
}

void GlobalRouter::MultiMaze(TwoPin* twoPin, Net& net, int maxLen) {
  std::vector<CostEntry>& map = grid.func_2Dmap;

  // The net's other paths are free: reusing them adds no demand (a bend on them costs half).
  t_modifyCost.start();
  for (const TwoPin& t : net.twoPins) {
    if (&t == twoPin) continue;
    for (const RPoint& r : t.path) {
      CostEntry& e = map[grid.mapIndex(r.x, r.y)];
      if (r.hori == 1)
        e.x = 0.0f;
      else if (r.hori == 0)
        e.y = 0.0f;
      else
        e.z = 0.5f * via_cost;
    }
  }
  t_modifyCost.stop();

  // The old path's cost under that map bounds the search.
  twoPin->overflow = 0;
  float oldCost = 0.0f;
  for (const RPoint& r : twoPin->path) oldCost += mapEntry(map[grid.mapIndex(r.x, r.y)], r.hori);
  twoPin->pathCost = oldCost;

  const bool single = net.twoPins.size() == 1;
  const float unit = baseCost + costOffset;  // price of one tile of estimated distance
  const Point target = twoPin->p2;

  t_mazeKernel.start();
  BoundingBox box;
  sources.clear();
  targets.clear();
  initialTargetSource(twoPin, net, single, sources, targets, grid.cells, box);

  // Layer assignment has no layer for an edge of a direction without tracks, so the search
  // never enters one. The reader keeps every net of such a design within one row or column,
  // where the straight run between its pins always remains.
  const bool vertical = vCapacity != 0, horizontal = hCapacity != 0;
  const int stamp = searchStamp;
  GridCell* const base = &grid.cells.at(0, 0, 0);
  const CostEntry* const entries = map.data();
  const int xs = xNum, ys = yNum;
  bool found = false;
  GridCell* c = nullptr;
  while ((c = openTakeNext()) != nullptr) {
    c->inQueue = false;
    if (c->targetStamp == stamp) {
      twoPin->pathCost = c->key;
      found = true;
      break;
    }
    const std::size_t at = std::size_t(c - base);
    // Neighbours north, east, south, west; the edge price is read at the lower or left end.
    for (int dir = 0; dir < 4; ++dir) {
      GridCell* n;
      float e;
      switch (dir) {
        case 0:
          if (!vertical || c->y + 1 >= ys) continue;
          n = c + xs, e = entries[at].y;
          break;
        case 1:
          if (!horizontal || c->x + 1 >= xs) continue;
          n = c + 1, e = entries[at].x;
          break;
        case 2:
          if (!vertical || c->y == 0) continue;
          n = c - xs, e = entries[at - std::size_t(xs)].y;
          break;
        default:
          if (!horizontal || c->x == 0) continue;
          n = c - 1, e = entries[at - 1].x;
          break;
      }
      if (n == c->parent) continue;
      if (n->visitStamp != stamp)
        n->dist = single ? abs_int(n->y - target.y) + abs_int(n->x - target.x) : box.distance(n->x, n->y);
      float g = c->cost + e;
      if (c->parent != nullptr && c->parent->x != n->x && c->parent->y != n->y) g += via_cost;  // bend at c
      int len;
      float k;
      if (e != 0.0f) {
        len = c->length + 1;
        k = float(n->dist) * unit + g;
      } else {
        len = c->length;  // own-net edge: neither length nor estimate
        k = g;
      }
      if (k > twoPin->pathCost || c->length + n->dist > maxLen) continue;
      if (n->visitStamp == stamp && !(k < n->key || (k == n->key && len < n->length))) continue;
      n->parent = c;
      n->length = len;
      n->cost = g;
      if (n->inQueue && n->visitStamp == stamp) {
        if (!n->inDeque) {
          fh_replacekey(heap.get(), &n->heapNode, k);
        } else if (fh_replace_que(&queue, &n->heapNode, k) == 0) {
          openInsert(n);
        }
      } else {
        n->key = k;
        n->inQueue = true;
        n->visitStamp = stamp;
        openInsert(n);
      }
    }
  }
  if (!traceBack(twoPin, net, found, c, true)) twoPin->pathCost = oldCost;
  t_mazeKernel.stop();

  t_modifyCost.start();
  for (const TwoPin& t : net.twoPins) {
    if (&t == twoPin) continue;
    for (const RPoint& r : t.path) update2DmapCost(r.x, r.y, r.hori);
  }
  t_modifyCost.stop();
}
