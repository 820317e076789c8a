// Spanning-tree decomposition timings on generated pin sets.
// Build and run: bench/steiner/mst_bench.sh (needs a release build in build/).

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "steiner/MST.h"

namespace {

std::vector<Point> randomPins(int n, int side, unsigned seed) {
  std::mt19937 rng(seed);
  std::vector<Point> pins;
  pins.reserve(std::size_t(n));
  for (int i = 0; i < n; ++i) pins.emplace_back(int(rng() % unsigned(side)), int(rng() % unsigned(side)));
  return pins;
}

// One big net; range(0) pins spread over a range(1) x range(1) box (a small box means many ties).
void BM_MST(benchmark::State& state) {
  const std::vector<Point> pins = randomPins(int(state.range(0)), int(state.range(1)), 1);
  const TileMap noMap;
  std::vector<Link> out;
  for (auto _ : state) {
    out.clear();
    MST(pins, out, noMap, false);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["candidates"] = double(pins.size()) * double(pins.size() - 1) / 2;
}
BENCHMARK(BM_MST)
    ->Args({100, 1000})
    ->Args({500, 1000})
    ->Args({2000, 1000})
    ->Args({2000, 60})
    ->Args({2500, 1000})
    ->Unit(benchmark::kMillisecond);

// The same with a full 1000 x 1000 tile map of a few values, as the Steiner-guided pass calls it.
void BM_MSTWithMap(benchmark::State& state) {
  const std::vector<Point> pins = randomPins(int(state.range(0)), 1000, 2);
  TileMap map;
  map.allocate(1000, 1000);
  std::mt19937 rng(3);
  for (int& v : map.cells) v = int(rng() % 8);
  std::vector<Link> out;
  for (auto _ : state) {
    out.clear();
    MST(pins, out, map, true);
    benchmark::DoNotOptimize(out.data());
  }
}
BENCHMARK(BM_MSTWithMap)->Arg(2000)->Unit(benchmark::kMillisecond);

// Many small nets, the common case: 200k nets of 2..20 pins within 40-tile boxes.
void BM_BuildCongestionDrivenTree(benchmark::State& state) {
  std::mt19937 rng(4);
  std::vector<Net> proto(200000);
  for (Net& net : proto) {
    const int n = 2 + int(rng() % 19);
    const int x0 = int(rng() % 960), y0 = int(rng() % 960);
    for (int i = 0; i < n; ++i) net.pins2D.emplace_back(x0 + int(rng() % 40), y0 + int(rng() % 40));
  }
  for (auto _ : state) {
    state.PauseTiming();
    std::vector<Net> nets = proto;
    state.ResumeTiming();
    BuildCongestionDrivenTree(nets);
    benchmark::DoNotOptimize(nets.data());
  }
}
BENCHMARK(BM_BuildCongestionDrivenTree)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
