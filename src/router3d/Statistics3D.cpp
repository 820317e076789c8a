// Layered totals recounted from the demand and capacity grids, and the overflow report.
// Overflow is weighted by the layer's pitch; vias never overflow. Sums are 64-bit.

#include <cstdint>
#include <cstdio>

#include "db/CheckedFile.h"
#include "router/GlobalRouter.h"

namespace {

struct Totals3D {
  std::int64_t totalOF = 0, maxOF = 0, wirelength = 0, vias = 0;
};

long long ll(std::int64_t v) { return static_cast<long long>(v); }

// Overflow of the horizontal and vertical edge of node (x, y, z), pitch-weighted; <= 0 when none.
void nodeOverflow(const GlobalRouter& r, int x, int y, int z, std::int64_t& oh, std::int64_t& ov) {
  const Point_i& u = r.grid.usage3D.at(z, y, x);
  const Point_i& c = r.grid.capacity3D.at(z, y, x);
  const std::int64_t p = r.wirePitch[z];
  oh = (std::int64_t(u.x) - c.x) * p;
  ov = (std::int64_t(u.y) - c.y) * p;
}

Totals3D measure(const GlobalRouter& r) {
  Totals3D t;
  for (int z = 0; z < r.zNum; ++z)
    for (int y = 0; y < r.yNum; ++y)
      for (int x = 0; x < r.xNum; ++x) {
        const Point_i& u = r.grid.usage3D.at(z, y, x);
        t.wirelength += std::int64_t(u.x) + u.y;
        t.vias += u.z;
        std::int64_t oh, ov;
        nodeOverflow(r, x, y, z, oh, ov);
        for (const std::int64_t o : {oh, ov})
          if (o > 0) {
            t.totalOF += o;
            if (o > t.maxOF) t.maxOF = o;
          }
      }
  return t;
}

void printTotals(const Totals3D& t, int viaCost) {
  std::printf("totalOF=%lld  maxOF=%lld  Wlen2D=%lld  Via=%lld  totalWL(Wlen2D+Via*%d)=%lld \n", ll(t.totalOF),
              ll(t.maxOF), ll(t.wirelength), ll(t.vias), viaCost, ll(t.wirelength + t.vias * viaCost));
}

}  // namespace

std::int64_t GlobalRouter::showWL() const {
  const Totals3D t = measure(*this);
  printTotals(t, viaCost);
  std::fflush(stdout);
  return t.wirelength + t.vias;
}

bool GlobalRouter::outputOverflowInfo(const char* path) const {
  const Totals3D t = measure(*this);
  printTotals(t, viaCost);
  CheckedFile out(path);
  auto print = [&](auto... args) { out.print(args...); };
  print("Total overflow = %lld\n", ll(t.totalOF));
  print("Max overflow = %lld\n", ll(t.maxOF));
  print("Wirelength = %lld\n", ll(t.wirelength));
  print("Via count = %lld\n", ll(t.vias));
  print("Total wirelength (wirelength+%d*vias) = %lld\n", viaCost, ll(t.wirelength + t.vias * viaCost));
  print("\nOverflowed grid edges : \n");
  for (int z = 0; z < zNum && out.good(); ++z)
    for (int y = 0; y < yNum; ++y)
      for (int x = 0; x < xNum; ++x) {
        std::int64_t oh, ov;
        nodeOverflow(*this, x, y, z, oh, ov);
        if (oh > 0) print("(%d, %d, %d) - (%d, %d, %d)  %lld \n", x, y, z, x + 1, y, z, ll(oh));
        if (ov > 0) print("(%d, %d, %d) - (%d, %d, %d)  %lld \n", x, y, z, x, y + 1, z, ll(ov));
      }
  print("end\n");
  return out.close() ? true : reportWriteFailure(path);
}
