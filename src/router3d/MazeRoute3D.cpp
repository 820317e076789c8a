// Layered maze search: best-first rerouting of one ripped-up connection over every layer.
//
// The net's other paths cost 1.0 per unit during the search (almost free, still counted in
// the step count), then their prices are recomputed. Seeds and targets are the pins on layer 0
// (initialTargetSource); a cell expands north, east, south, west, up, down, planar moves only
// on layers with tracks in their direction. Keys are path cost plus the distance estimate
// times baseCost; there is no bend surcharge, no cost bound and no length bound. The search
// ends when a target is taken or the open set runs dry; its cost is O(E log V) over the cells
// reached, with no allocation per search (stamps, embedded heap nodes, O(1) open-set reset).

#include "db/NetDB.h"
#include "router/BoundingBox.h"
#include "router/GlobalRouter.h"

namespace {

bool unitInGrid(const RPoint& u, int xNum, int yNum, int zNum) {
  return u.hori >= 0 && u.hori <= 2 && u.x >= 0 && u.x < xNum && u.y >= 0 && u.y < yNum && u.z >= 0 && u.z < zNum;
}

}  // namespace

int GlobalRouter::MultiMaze3D(TwoPin* twoPin, Net& net, int, BoundingBox&) {
  std::vector<CostEntry>& map = grid.func_map;
  const std::size_t plane = std::size_t(xNum) * std::size_t(yNum);
  auto entryIndex = [this, plane](int x, int y, int z) { return std::size_t(x) + std::size_t(y) * xNum + plane * z; };

  // Units that name no element are never committed, so they are neither lowered nor restored.
  t_modifyCost.start();
  for (const TwoPin& t : net.twoPins) {
    if (&t == twoPin) continue;
    for (const RPoint& u : t.path) {
      if (!unitInGrid(u, xNum, yNum, zNum)) continue;
      CostEntry& e = map[entryIndex(u.x, u.y, u.z)];
      (u.hori == 1 ? e.x : u.hori == 0 ? e.y : e.z) = 1.0f;
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
  initialTargetSource(twoPin, net, single, sources, targets, grid.cells, box);

  const int stamp = searchStamp;
  const int xs = xNum, ys = yNum, zs = zNum;
  const CostEntry* const entries = map.data();
  bool found = false;
  float reachedKey = 0.0f;
  int result = -1;
  GridCell* c = nullptr;
  while ((c = openTakeNext()) != nullptr) {
    c->inQueue = false;
    if (c->targetStamp == stamp) {
      reachedKey = c->key;
      result = c->length;
      found = true;
      break;
    }
    const std::size_t at = entryIndex(c->x, c->y, c->z);
    const bool vertical = vCapPerLayer[c->z] != 0, horizontal = hCapPerLayer[c->z] != 0;
    // North, east, south, west, up, down; an element's price is read at its lower end.
    for (int dir = 0; dir < 6; ++dir) {
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
        case 3:
          if (!horizontal || c->x == 0) continue;
          n = c - 1, e = entries[at - 1].x;
          break;
        case 4:
          if (c->z + 1 >= zs) continue;
          n = &grid.cells.at(c->z + 1, c->y, c->x), e = entries[at].z;
          break;
        default:
          if (c->z == 0) continue;
          n = &grid.cells.at(c->z - 1, c->y, c->x), e = entries[at - plane].z;
          break;
      }
      if (n == c->parent) continue;
      if (n->visitStamp != stamp)
        n->dist = single ? abs_int(n->x - target.x) + abs_int(n->y - target.y) + n->z : box.distance(n->x, n->y);
      const float g = c->cost + e;
      int len;
      float k;
      if (e != 0.0f) {
        len = c->length + 1;
        k = float(n->dist) * baseCost + g;
      } else {
        len = c->length;
        k = g;
      }
      if (n->visitStamp == stamp && !(k < n->key || (k == n->key && len < n->length))) continue;
      n->parent = c;
      n->length = len;
      if (n->inQueue && n->visitStamp == stamp) {
        if (k < n->key) {
          n->cost = g;
          if (!n->inDeque) {
            fh_replacekey(heap.get(), &n->heapNode, k);
          } else if (fh_replace_que(&queue, &n->heapNode, k) == 0) {
            openInsert(n);
          }
        }
      } else {
        n->cost = g;
        n->key = k;
        n->inQueue = true;
        n->visitStamp = stamp;
        openInsert(n);
      }
    }
  }
  if (traceBack(twoPin, net, found, c, false))
    twoPin->pathCost = reachedKey;
  else
    result = -1;
  t_do_cpu_maze_total.stop();
  t_do_cpu_maze.stop();
  t_mazeKernel.stop();

  t_modifyCost.start();
  for (const TwoPin& t : net.twoPins) {
    if (&t == twoPin) continue;
    for (const RPoint& u : t.path) {
      if (!unitInGrid(u, xNum, yNum, zNum)) continue;
      CostEntry& e = map[entryIndex(u.x, u.y, u.z)];
      if (u.hori == 1)
        e.x = cost3D(u.x, u.y, u.z, 1);
      else if (u.hori == 0)
        e.y = cost3D(u.x, u.y, u.z, 0);
      else
        e.z = cost3D(u.x, u.y, u.z, 2);
    }
  }
  t_modifyCost.stop();
  return result;
}
