// Lookup-table Steiner trees: flute on random nets of 4..9 pins, nanoseconds per net.
// Build and run: bench/steiner/flute_bench.sh (needs a release build in build/, whose tables it reads).

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "steiner/flute.h"

namespace {

// range(0) pins per net, 4096 nets with coordinates in 0..999 (ties rare but possible).
void BM_flute(benchmark::State& state) {
  const int d = int(state.range(0));
  constexpr int kNets = 4096;
  std::mt19937 rng(42);
  std::vector<int> x(std::size_t(kNets) * d), y(x.size());
  for (std::size_t i = 0; i < x.size(); ++i) x[i] = int(rng() % 1000), y[i] = int(rng() % 1000);
  long sum = 0;
  int net = 0;
  for (auto _ : state) {
    const Tree t = flute(d, &x[std::size_t(net) * d], &y[std::size_t(net) * d], 3);
    sum += t.length;
    net = (net + 1) % kNets;
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_flute)->DenseRange(4, 9);

}  // namespace

int main(int argc, char** argv) {
  readLUT();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  return 0;
}
