// Memory of the router's own state at the largest design size: 1000 x 1000 tiles, 8 layers,
// no layered (3D) allocation. Builds the constructor's inputs on the fly (pin-count grids,
// a spread of capacity adjustments), then constructs the router and prints the resident-set
// growth and the bytes held by the grid and the history arrays.
//
//   bench/router/memory.sh         (builds build/ first if needed, runs under /usr/bin/time -v)

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "router/GlobalRouter.h"

namespace {

double residentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

}  // namespace

int main(int argc, char** argv) {
  const int xs = 1000, ys = 1000, layers = 8;
  const bool with3D = argc > 1 && std::string(argv[1]) == "--3d";
  std::vector<int> hTracks(layers), vTracks(layers), pitch(layers, 2);
  for (int z = 0; z < layers; ++z) (z % 2 == 0 ? hTracks : vTracks)[z] = 20;
  int hTotal = 0, vTotal = 0;
  for (int z = 0; z < layers; ++z) hTotal += hTracks[z], vTotal += vTracks[z];

  std::vector<std::vector<int>> pinCount(xs, std::vector<int>(ys, 0)), repeats(xs, std::vector<int>(ys, 0));
  for (int x = 0; x < xs; ++x)
    for (int y = 0; y < ys; ++y) pinCount[x][y] = (x * 7 + y * 13) % 5;
  std::vector<RPoint> adjEdges;
  std::vector<int> adjCapacity;
  for (int x = 0; x < xs - 1; x += 3)
    for (int y = 0; y < ys; y += 5) {
      adjEdges.emplace_back(x, y, 0, 1);
      adjCapacity.push_back(10);
    }

  const double before = residentMiB();
  GlobalRouter router(xs, ys, layers, hTotal, vTotal, hTracks, vTracks, adjEdges, adjCapacity, pitch, repeats, pinCount,
                      0.05);
  router.initialFunc_2Dmap(2);  // touch the cost map as the stages do
  if (with3D) router.grid.allocate3D();
  const double after = residentMiB();

  const std::size_t historyBytes = (router.hHistory.cells.capacity() + router.vHistory.cells.capacity()) * sizeof(int);
  const std::size_t stateBytes = router.grid.stateBytes() + historyBytes;
  std::printf("grid %d x %d x %d%s\n", xs, ys, layers, with3D ? " with layered state" : ", no layered state");
  std::printf("sizeof(GridCell) = %zu bytes\n", sizeof(GridCell));
  std::printf("router state (arrays held) = %.1f MiB\n", double(stateBytes) / (1024.0 * 1024.0));
  std::printf("resident growth over construction = %.1f MiB (inputs %.1f MiB before)\n", after - before, before);
  std::printf("check: total demand %d\n", router.getWirelength());
  return 0;
}
