// The monotonic router's price of a preferred (Steiner) edge.
#include <gtest/gtest.h>

#include "db/NetDB.h"
#include "router/GlobalRouter.h"
#include "support/RouterOracle.h"

namespace {

// Capacities 20 across, 10 up (table centre 20, where the default table reads 150 / 2 + 1 = 76)
// and weight 10. At full demand a preferred edge costs w * (76 + d * 0.5 / c) = 765, an
// ordinary one w * (d / c + 76) = 770, an edge the net already uses nothing.
TEST(MonotonicCost, PreferredEdgeChargesHalfTheDemandRatio) {
  testing::internal::CaptureStdout();
  auto r = makePlainRouter(4, 4, 20, 10);
  testing::internal::GetCapturedStdout();
  r->baseCost = 10.0f;
  r->grid.hUsage[1][1] = 20;
  r->grid.vUsage[2][1] = 10;
  Net net = makeNet(2);
  net.steinerEdges.insert(RPoint(1, 1, 0, 1));
  net.steinerEdges.insert(RPoint(2, 1, 0, 0));
  EXPECT_EQ(r->DPCost(1, 1, true, net), 765.0f);
  EXPECT_EQ(r->DPCost(2, 1, false, net), 765.0f);
  r->useSteinerEdges = false;
  EXPECT_EQ(r->DPCost(1, 1, true, net), 770.0f);
  r->useSteinerEdges = true;
  net.routedEdges.insert(RPoint(1, 1, 0, 1));
  EXPECT_EQ(r->DPCost(1, 1, true, net), 0.0f);
}

}  // namespace
