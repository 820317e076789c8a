// Layered commit and rip-up: exact inverses that keep the layered demand, the net's edge
// multiset, the wire and via counts, the pitch-weighted overflow and the touched price
// entries current. A multi-connection net pays for a unit once however many of its
// connections use it (the multiset counts the users); a single-connection net pays per unit.

#include "db/NetDB.h"
#include "db/Report.h"
#include "router/GlobalRouter.h"

namespace {

int* memberOf(Point_i& p, int hori) { return hori == 1 ? &p.x : hori == 0 ? &p.y : &p.z; }

// The element of a unit, or null for a unit that names none (reported; the counts still move
// so that a commit and rip-up pair stays balanced).
int* usageOf(GlobalRouter& r, const RPoint& u) {
  if (u.hori != 0 && u.hori != 1 && u.hori != 2) {
    reportInconsistency("GridGraph", 237);
    return nullptr;
  }
  if (u.x < 0 || u.x >= r.xNum || u.y < 0 || u.y >= r.yNum || u.z < 0 || u.z >= r.zNum) {
    reportInconsistency("GridGraph", 238, format(" unit (%d,%d,%d) hori=%d outside the grid", u.x, u.y, u.z, u.hori));
    return nullptr;
  }
  return memberOf(r.grid.usage3D.at(u.z, u.y, u.x), u.hori);
}

void refreshPrice(GlobalRouter& r, const RPoint& u) {
  CostEntry& e = r.grid.func_map[std::size_t(u.x) + std::size_t(u.y) * r.xNum + std::size_t(u.z) * r.xNum * r.yNum];
  if (u.hori == 1)
    e.x = r.cost3D(u.x, u.y, u.z, 1);
  else if (u.hori == 0)
    e.y = r.cost3D(u.x, u.y, u.z, 0);
  else
    e.z = r.cost3D(u.x, u.y, u.z, 2);
}

}  // namespace

std::int64_t GlobalRouter::Route3DPath(std::vector<RPoint>& path, Net& net) {
  t_addPath.start();
  std::int64_t added = 0;  // pitch-weighted: a few units at a large pitch pass 32 bits
  const bool shared = net.twoPins.size() >= 2;
  for (const RPoint& u : path) {
    if (shared) {
      const bool used = net.routedEdges.count(u) > 0;
      net.routedEdges.insert(u);
      if (used) continue;
    }
    int* usage = usageOf(*this, u);
    bool over = false;
    if (usage != nullptr) {
      const int d = ++*usage;
      over = d > *memberOf(grid.capacity3D.at(u.z, u.y, u.x), u.hori);
    }
    ++net.wireLength;
    if (u.hori == 2)
      ++totalVia;
    else
      ++Wlen2D;
    if (over) added += wirePitch[u.z];
    if (usage != nullptr) refreshPrice(*this, u);
  }
  totalOF += added;
  t_addPath.stop();
  return added;
}

void GlobalRouter::RipUp3D(std::vector<RPoint>& path, Net& net) {
  t_ripupPath.start();
  const bool shared = net.twoPins.size() >= 2;
  for (const RPoint& u : path) {
    // A unit the net does not hold was never counted for it: taking it out would lower
    // another net's demand.
    if (shared && !net.routedEdges.eraseOne(u)) continue;
    if (shared && net.routedEdges.count(u) > 0) continue;
    int* usage = usageOf(*this, u);
    if (usage != nullptr && *usage == 0) continue;
    --net.wireLength;
    if (u.hori == 2)
      --totalVia;
    else
      --Wlen2D;
    if (usage == nullptr) continue;
    const int d = --*usage;
    refreshPrice(*this, u);
    if (u.hori != 2 && d >= *memberOf(grid.capacity3D.at(u.z, u.y, u.x), u.hori)) totalOF -= wirePitch[u.z];
  }
  t_ripupPath.stop();
}
