#pragma once
// Independent recount of the planar router's state from the set of committed paths: the
// oracle of the commit and rip-up tests.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"

// One committed path of one connection of nets[net].
struct LiveCommit {
  int net = 0;
  std::vector<RPoint> path;
};

// Planar demand, totals and per-net lengths implied by `preload` demand plus the committed
// paths: a net with two or more connections uses each distinct edge once, others pay per unit.
struct RouterRecount {
  EdgeGrid<int> hUsage, vUsage;
  int totalOF = 0;  // sum of max(0, demand - capacity)
  int Wlen2D = 0;
  std::vector<int> netWireLength;
};

RouterRecount recountRouter(const GlobalRouter& router, const EdgeGrid<int>& preloadH, const EdgeGrid<int>& preloadV,
                            const std::vector<Net>& nets, const std::vector<LiveCommit>& live);

// Compares every demand entry, totalOF, Wlen2D and every net's wireLength and multiset size
// with the recount.
::testing::AssertionResult routerMatchesRecount(const GlobalRouter& router, const std::vector<Net>& nets,
                                                const RouterRecount& expected, const std::vector<LiveCommit>& live);

// A router on an xs x ys grid with one layer of hCap / vCap tracks, no adjustments, no pins.
std::unique_ptr<GlobalRouter> makePlainRouter(int xs, int ys, int hCap, int vCap);
// The same, with the constructor's progress lines swallowed.
std::unique_ptr<GlobalRouter> quietRouter(int xs, int ys, int hCap, int vCap);

// A net of `connections` two-pin connections (ends unused by commit).
Net makeNet(int connections);
