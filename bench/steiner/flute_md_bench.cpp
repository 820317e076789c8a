// Microseconds per net of flute with accuracy 3 on random nets of 10, 30, 100 and 149 pins.
// Run from a directory holding POWV9.dat and POST9.dat (the build directory); see flute_md_bench.sh.

#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "steiner/flute.h"

int main() {
  readLUT();
  const int kDegrees[] = {10, 30, 100, 149};
  const int kNets = 20000;
  std::mt19937 rng(12345);
  long long checksum = 0;
  for (const int d : kDegrees) {
    // Pins spread over a 1000 x 1000 tile area, as in a large design.
    std::vector<int> x(std::size_t(kNets) * d), y(std::size_t(kNets) * d);
    for (auto& v : x) v = int(rng() % 1000);
    for (auto& v : y) v = int(rng() % 1000);
    const int nets = d <= 30 ? kNets : kNets / 4;
    const auto start = std::chrono::steady_clock::now();
    for (int k = 0; k < nets; ++k) {
      const Tree t = flute(d, &x[std::size_t(k) * d], &y[std::size_t(k) * d], 3);
      checksum += t.length;
    }
    const double us =
        std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count() / nets;
    std::printf("flute acc=3, %3d pins: %8.2f us/net (%d nets)\n", d, us, nets);
  }
  std::printf("checksum %lld\n", checksum);
  return 0;
}
