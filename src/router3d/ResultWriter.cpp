// The result file of the layered stage: per net its header (name, id, 0), one line per distinct unit of its
// route in file coordinates (tile lower-left corner, 1-based layers), and "!".
//
// A unit is written once per net however many connections, or steps of one path, use it. The
// multiset of a multi-connection net holds each distinct unit as one key (all four fields
// compared), visited as a run of equal elements, so its first element is the one to write; a
// single connection's path is deduplicated by sorting its step indices by unit. Either way no
// grid-sized scratch array is needed.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <tuple>

#include "db/CheckedFile.h"
#include "db/NetDB.h"
#include "db/Report.h"
#include "router3d/Route3D.h"

namespace {

// Order of units for deduplication only; no output depends on it.
bool unitBefore(const RPoint& a, const RPoint& b) {
  return std::tie(a.hori, a.z, a.y, a.x) < std::tie(b.hori, b.z, b.y, b.x);
}

class ResultWriter {
 public:
  ResultWriter(const char* path, const NetDB& db) : out(path), db(db) {}

  bool write() {
    std::vector<char> firstUse;
    std::vector<int> order;
    // A block is named as the problem names its net; a database built without names uses "n<id>".
    const bool named = db.netNames.size() == db.nets.size();
    for (std::size_t i = 0; i < db.nets.size(); ++i) {
      const Net& n = db.nets[i];
      if (!out.good()) break;
      if (named)
        out.print("%.*s %d %d\n", int(db.netNames[i].size()), db.netNames[i].data(), n.id, 0);
      else
        out.print("n%d %d %d\n", n.id, n.id, 0);
      if (n.twoPins.size() == 1) {
        const std::vector<RPoint>& path = n.twoPins.front().path;
        markFirstUses(path, firstUse, order);
        for (std::size_t i = 0; i < path.size(); ++i)
          if (firstUse[i]) writeUnit(path[i], 1557);
      } else {
        bool first = true;
        RPoint previous;
        n.routedEdges.forEach([&](const RPoint& u) {
          if (first || !eqRPoint()(u, previous)) writeUnit(u, 1590);
          first = false;
          previous = u;
        });
      }
      out.print("!\n");
    }
    for (const Net& n : db.localNets) {
      out.print("n%d %d\n", n.id, n.id);
      if (n.pins3D.size() > 1) {
        int lo = n.pins3D.front().z, hi = lo;
        for (const Point& p : n.pins3D) lo = std::min(lo, p.z), hi = std::max(hi, p.z);
        const Point& p = n.pins3D.front();
        if (lo != hi) out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(p.x), Y(p.y), lo + 1, X(p.x), Y(p.y), hi + 1);
      }
      out.print("!\n");
    }
    return out.close();
  }

 private:
  // 64-bit so that large grids cannot wrap.
  long long X(int x) const { return static_cast<long long>(std::int64_t(db.originX) + std::int64_t(x) * db.tileWidth); }
  long long Y(int y) const {
    return static_cast<long long>(std::int64_t(db.originY) + std::int64_t(y) * db.tileHeight);
  }

  // firstUse[i] = 1 when no earlier step of the path is the same unit.
  static void markFirstUses(const std::vector<RPoint>& path, std::vector<char>& firstUse, std::vector<int>& order) {
    firstUse.assign(path.size(), 1);
    order.resize(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) order[i] = int(i);
    std::sort(order.begin(), order.end(), [&path](int a, int b) {
      if (unitBefore(path[a], path[b])) return true;
      if (unitBefore(path[b], path[a])) return false;
      return a < b;  // equal units: path order, so the first step stays the written one
    });
    for (std::size_t k = 1; k < order.size(); ++k)
      if (eqRPoint()(path[order[k]], path[order[k - 1]])) firstUse[order[k]] = 0;
  }

  void writeUnit(const RPoint& u, int errorCode) {
    const bool inside = u.x >= 0 && u.x < db.gridX && u.y >= 0 && u.y < db.gridY && u.z >= 0 && u.z < db.numLayers;
    if ((u.hori != 0 && u.hori != 1 && u.hori != 2) || !inside) {
      reportInconsistency("Parser", errorCode);
      return;
    }
    const int z = u.z + 1;
    if (u.hori == 1)
      out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(u.x), Y(u.y), z, X(u.x + 1), Y(u.y), z);
    else if (u.hori == 0)
      out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(u.x), Y(u.y), z, X(u.x), Y(u.y + 1), z);
    else
      out.print("(%lld,%lld,%d)-(%lld,%lld,%d)\n", X(u.x), Y(u.y), z, X(u.x), Y(u.y), z + 1);
  }

  CheckedFile out;
  const NetDB& db;
};

}  // namespace

bool outputFile(const char* path, NetDB& db) {
  return ResultWriter(path, db).write() ? true : reportWriteFailure(path);
}
