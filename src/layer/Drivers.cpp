// The three whole-design layer-assignment algorithms.
//
// fastLA: one greedy pass in sorted order with the ratio edge cost.
// COLA: the tree dynamic programme in sorted order, then one rip-up-and-resolve pass.
// NVM: a via-only greedy start, then negotiation rounds that re-solve only the nets using more
// than their share of an overflowed grid edge, with history and a growing overflow weight;
// the rounds stop when the layered overflow is within 49 of the routed input's, when the gap
// grows, or after 36 rounds; then a final pass in the ratio cost.

#include <algorithm>
#include <climits>
#include <cstdio>
#include <limits>

#include "db/Timer.h"
#include "layer/Graph.h"

bool order_cp(const net* a, const net* b) { return a->score > b->score; }

std::int64_t Graph::getTotalVia() const {
  std::int64_t vias = 0;
  for (const net& n : nets) vias += getSingleNetlVia(n);
  return vias;
}

void Graph::takeTotals(double& weightOF) {
  totalOF = getTotalOverflow(maxOF, weightOF);
  totalVia = getTotalVia();
}

void Graph::sort_net() {
  std::printf("LA scoring\n");
  sortedNets.resize(nets.size());
  for (std::size_t i = 0; i < nets.size(); ++i) {
    net& n = nets[i];
    sortedNets[i] = &n;
    const std::uint32_t edges = n.edgeCount();
    // Many pins for little wire first. A net without edges scores +infinity; one without pins
    // either (0/0 would be a NaN, which no comparison sort can place).
    n.score = edges == 0 ? std::numeric_limits<double>::infinity() : double(n.pinCount) / double(edges);
  }
  std::printf("LA sort\n");
  // Equal scores keep their input order, so the result does not depend on the sort's internals.
  std::stable_sort(sortedNets.begin(), sortedNets.end(), order_cp);
}

namespace {
long long ll(std::int64_t v) { return static_cast<long long>(v); }
}  // namespace

void Graph::fastLA(int alBinSize_, int antennaBreakCost_, int aaPruneMode_, bool antennaAware) {
  ofCostAlpha = 0.3;
  alBinSize = alBinSize_, antennaBreakCost = antennaBreakCost_, aaPruneMode = aaPruneMode_;
  sort_net();
  std::printf("LA assign net by net\n");
  fastCostMode = true;
  for (net* n : sortedNets) greedy_singleNetLA(*n, antennaAware, true);
  double weightOF = 0.0;
  takeTotals(weightOF);
  std::printf("FastLA totalOF=%lld  maxOF=%lld  weightOF=%.0lf   Wlen2D=%lld  Via=%lld  totalWL(Wlen2D+Via*%d)=%lld \n",
              ll(totalOF), ll(maxOF), weightOF, ll(wlen2D), ll(totalVia), viaCost, ll(wlen2D + totalVia * viaCost));
}

void Graph::COLA(int alBinSize_, int antennaBreakCost_, int aaPruneMode_, bool antennaAware) {
  ofCostAlpha = 0.3;
  alBinSize = alBinSize_, antennaBreakCost = antennaBreakCost_, aaPruneMode = aaPruneMode_;
  Timer timer;
  timer.start();
  sort_net();
  std::printf("LA assign net by net\n");
  fastCostMode = true;
  // A net the antenna-aware programme cannot solve is left unassigned by it; it takes the
  // plain programme so that the rip-up pass below finds it booked.
  for (net* n : sortedNets)
    if (!singleNetLA(*n, antennaAware)) singleNetLA(*n, false);
  double weightOF = 0.0;
  takeTotals(weightOF);
  std::printf("IntialLA  time=%.2lf  totalOF=%lld  maxOF=%lld  weightOF=%.0lf  totalVia=%lld\n",
              double(timer.getTime()), ll(totalOF), ll(maxOF), weightOF, ll(totalVia));
  for (net* n : sortedNets) {
    ripUp(*n);
    singleNetLA(*n, false);
  }
  takeTotals(weightOF);
  std::printf("PostLA  time=%.2lf  totalOF=%lld  maxOF=%lld  weightOF=%.0lf  totalVia=%lld\n", double(timer.getTime()),
              ll(totalOF), ll(maxOF), weightOF, ll(totalVia));
  std::printf("totalOF=%lld  maxOF=%lld  weightOF=%.0lf   Wlen2D=%lld  Via=%lld  totalWL(Wlen2D+Via*%d)=%lld \n",
              ll(totalOF), ll(maxOF), weightOF, ll(wlen2D), ll(totalVia), viaCost, ll(wlen2D + totalVia * viaCost));
}

void Graph::NVM(int alBinSize_, int antennaBreakCost_, int aaPruneMode_, bool antennaAware) {
  ofCostAlpha = 0.3;
  alBinSize = alBinSize_, antennaBreakCost = antennaBreakCost_, aaPruneMode = aaPruneMode_;
  fastCostMode = false;
  Timer timer;
  timer.start();
  for (net& n : nets) greedy_singleNetLA(n, antennaAware, false);
  double weightOF = 0.0;
  takeTotals(weightOF);
  std::printf("InitialLA  time=%.2lf  totalOF=%lld  maxOF=%lld  weightOF=%.0lf  totalVia=%lld\n",
              double(timer.getTime()), ll(totalOF), ll(maxOF), weightOF, ll(totalVia));

  // Only the bin pruning modes use the bins; they are sized for antennaMaxLen.
  if (antennaAware && (aaPruneMode == 2 || aaPruneMode == 3)) allocateAntennaBins();

  const double antennaLimit = antennaMaxLen;
  int round = 0;
  std::int64_t previousDifference = INT_MAX;
  while (totalOF != 0) {
    for (net& n : nets) {
      if (!hasOverflow(n)) continue;
      ripUp(n);
      if (antennaAware && double(n.edgeCount()) > antennaLimit) {
        if (!singleNetLA(n, true)) singleNetLA(n, false);
      } else {
        singleNetLA(n, false);
      }
    }
    takeTotals(weightOF);
    std::printf("Round=%d  time=%.2lf  totalOF=%lld  maxOF=%lld  weightOF=%.0lf  totalVia=%lld\n", round,
                double(timer.getTime()), ll(totalOF), ll(maxOF), weightOF, ll(totalVia));
    std::fflush(stdout);
    updateHistoryCost();
    const std::int64_t difference = totalOF - inputOF;
    round += 1;
    ofCostAlpha += 0.05;
    if (difference < 50 || round > 35 || difference > previousDifference) break;
    previousDifference = difference;
  }

  fastCostMode = true;
  for (net& n : nets) {
    ripUp(n);
    if (!antennaAware || double(n.edgeCount()) <= antennaLimit) {
      singleNetLA(n, false);
    } else {
      // Unsolvable under the antenna rule: the plain programme, as in the rounds.
      if (!singleNetLA(n, true)) singleNetLA(n, false);
      if (hasOverflow(n)) {
        ripUp(n);
        singleNetLA(n, false);
        checkAntennaRule(n);  // refreshes the net's antenna scratch; the count is not used
      }
    }
  }
  takeTotals(weightOF);
  std::printf("PostLA  time=%.2lf  totalOF=%lld  maxOF=%lld  weightOF=%.0lf  totalVia=%lld\n", double(timer.getTime()),
              ll(totalOF), ll(maxOF), weightOF, ll(totalVia));
  std::printf("totalOF=%lld  maxOF=%lld  weightOF=%.0lf  Wlen2D=%lld  Via=%lld  totalWL(Wlen2D+Via*%d)=%lld \n",
              ll(totalOF), ll(maxOF), weightOF, ll(wlen2D), ll(totalVia), viaCost, ll(wlen2D + totalVia * viaCost));
  std::fflush(stdout);
}
