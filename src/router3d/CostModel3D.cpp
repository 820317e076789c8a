// The layered grid's capacities and prices.
//
// A wire unit below capacity costs baseCost x (1 + k r^2) with r = (u + 1) / (c + 1) and k set
// by costMode3D; a via costs the same curve against a capacity of ten million, times viaCost;
// any unit that would overflow costs pitch x 5000000 per unit of excess, which dominates every
// below-capacity price. Precision is part of the result: r is a float quotient, the curve is
// evaluated in double from float inputs and rounded to float once.

#include <algorithm>
#include <cstdint>
#include <cstdio>

#include "db/Report.h"
#include "router/GlobalRouter.h"

namespace {

constexpr int kViaCapacity = 1000000000;     // stored via capacity: never short
constexpr int kViaPriceCapacity = 10000000;  // via capacity the price curve uses

int memberOf(const Point_i& p, int dir) { return dir == 1 ? p.x : dir == 0 ? p.y : p.z; }

int listValue(const std::vector<int>& list, int i) { return i < int(list.size()) ? list[i] : 0; }

}  // namespace

void GlobalRouter::initial3DRouting(std::vector<int>& horizontalTracks, std::vector<int>& verticalTracks,
                                    std::vector<RPoint>& adjEdges, std::vector<int>& adjCapacity) {
  grid.allocate3D();
  // Every layer needs a pitch and its tracks; a short list is an internal error, and the
  // missing layers get pitch 1 and no tracks rather than a read past the end.
  if (int(wirePitch.size()) < zNum || int(hCapPerLayer.size()) < zNum || int(vCapPerLayer.size()) < zNum ||
      int(horizontalTracks.size()) < zNum || int(verticalTracks.size()) < zNum)
    reportInconsistency("GlobalRouter", 3101, " per-layer lists shorter than the layer count");
  if (int(wirePitch.size()) < zNum) wirePitch.resize(std::size_t(zNum), 1);
  if (int(hCapPerLayer.size()) < zNum) hCapPerLayer.resize(std::size_t(zNum), 0);
  if (int(vCapPerLayer.size()) < zNum) vCapPerLayer.resize(std::size_t(zNum), 0);

  NodeGrid<Point_i>& cap = grid.capacity3D;
  for (int z = 0; z < zNum; ++z) {
    const Point_i layerDefault{listValue(horizontalTracks, z), listValue(verticalTracks, z), kViaCapacity};
    for (int y = 0; y < yNum; ++y)
      for (int x = 0; x < xNum; ++x) cap.at(z, y, x) = layerDefault;
  }
  const std::size_t adjustments = adjEdges.size() < adjCapacity.size() ? adjEdges.size() : adjCapacity.size();
  if (adjEdges.size() != adjCapacity.size())
    reportInconsistency("GlobalRouter", 3102, " adjustment lists of different lengths");
  for (std::size_t i = 0; i < adjustments; ++i) {
    const RPoint& e = adjEdges[i];
    if (e.x < 0 || e.x >= xNum || e.y < 0 || e.y >= yNum || e.z < 0 || e.z >= zNum) {
      reportInconsistency("GlobalRouter", 3103,
                          format(" adjustment (%d,%d,%d) hori=%d outside the grid", e.x, e.y, e.z, e.hori));
      continue;
    }
    (e.hori == 1 ? cap.at(e.z, e.y, e.x).x : cap.at(e.z, e.y, e.x).y) = adjCapacity[i];
  }
}

void GlobalRouter::reset3DGraph() {
  for (Point_i& u : grid.usage3D.cells) u = Point_i{};
  totalOF = 0;
  Wlen2D = 0;
  totalVia = 0;
}

float GlobalRouter::cost3D(int x, int y, int z, int dir) const {
  const int u = memberOf(grid.usage3D.at(z, y, x), dir);
  const int c = dir == 2 ? kViaPriceCapacity : memberOf(grid.capacity3D.at(z, y, x), dir);
  if (u >= c) {
    // 64-bit so that a large excess cannot wrap into a cheap or negative price; an excess too
    // large even for that costs the most 64 bits hold.
    const std::int64_t perTrack = std::int64_t(wirePitch[z]) * 5000000;
    const std::int64_t excess = std::min<std::int64_t>(std::int64_t(u) + 1 - c, INT64_MAX / perTrack);
    return float(perTrack * excess);
  }
  const float s = dir == 2 ? float(viaCost) : 1.0f;
  const float r = float(u + 1) / float(c + 1);  // c >= 1 here, since 0 <= u < c
  const double k = costMode3D == 2 ? 0.01 : 0.025;
  return float(double(baseCost) * (double(r) * double(r) * k + 1.0) * double(s));
}

void GlobalRouter::initialFunc_3Dmap(int) {
  // Entries are independent, so memory order gives the same map as any other order.
  std::size_t i = 0;
  for (int z = 0; z < zNum; ++z)
    for (int y = 0; y < yNum; ++y)
      for (int x = 0; x < xNum; ++x, ++i) {
        CostEntry& e = grid.func_map[i];
        e.x = cost3D(x, y, z, 1);
        e.y = cost3D(x, y, z, 0);
        e.z = cost3D(x, y, z, 2);
      }
}

void GlobalRouter::check3DCost(int) const {
  for (int x = 0; x < xNum; ++x)
    for (int y = 0; y < yNum; ++y)
      for (int z = 0; z < zNum; ++z) {
        const std::size_t i = std::size_t(x) + std::size_t(y) * xNum + std::size_t(z) * xNum * yNum;
        const CostEntry& e = grid.func_map[i];
        const float cx = cost3D(x, y, z, 1), cy = cost3D(x, y, z, 0), cz = cost3D(x, y, z, 2);
        if (e.x != cx)
          std::printf("ERROR %s %d    func_map[%d].x=%.3lf cost=%.3lf\n", "GlobalRouter", 698, int(i), double(e.x),
                      double(cx));
        if (e.y != cy)
          std::printf("ERROR %s %d    func_map[%d].y=%.3lf cost=%.3lf\n", "GlobalRouter", 702, int(i), double(e.y),
                      double(cy));
        if (e.z != cz)
          std::printf("ERROR %s %d    func_map[%d].z=%.3lf cost=%.3lf\n", "GlobalRouter", 706, int(i), double(e.z),
                      double(cz));
      }
}
