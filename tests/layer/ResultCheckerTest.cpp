// The checker must catch every kind of broken result, and recompute the figures by hand.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "support/ResultChecker.h"

namespace {

// 3 x 2 tiles of 10 x 10 at origin (0, 0); layer 1 horizontal 4 units, layer 2 vertical 4
// units; pitch 2 (two wires per edge). One adjustment: edge (0,0)-(1,0) layer 1 down to 2.
const char* kProblem =
    "grid 3 2 2\nvertical capacity 0 4\nhorizontal capacity 4 0\nminimum width 1 1\nminimum spacing 1 1\n"
    "via spacing 1 1\n0 0 10 10\n\nnum net 3\nn0 0 2 1\n5 5 1\n25 5 1\nn1 1 2 1\n5 5 1\n5 15 1\n"
    "n2 2 2 1\n21 3 1\n28 9 2\n\n1\n0 0 1 1 0 1 2\n";

const char* kGoodNet1 = "n1 1\n(0,0,1)-(0,0,2)\n(0,0,2)-(0,10,2)\n(0,10,1)-(0,10,2)\n!\n";

GrProblem problem(const char* text = kProblem) {
  std::istringstream in(text);
  GrProblem p;
  std::string error;
  EXPECT_TRUE(parseGrProblem(in, p, error)) << error;
  return p;
}

CheckReport check(const std::string& result, const GrProblem& p = problem(), const CheckOptions& options = {}) {
  std::istringstream in(result);
  return checkResult(p, in, options);
}

TEST(ResultChecker, RejectsBrokenResults) {
  const struct {
    const char* name;
    std::string result;
    const char* mustSay;
  } kBroken[] = {
      {"net without a block", std::string("n0 0\n(0,0,1)-(20,0,1)\n!\n"), "net n1 has no block"},
      {"diagonal segment", std::string("n0 0\n(0,0,1)-(20,10,1)\n!\n") + kGoodNet1, "exactly one"},
      {"wire and via at once", std::string("n0 0\n(0,0,1)-(20,0,2)\n!\n") + kGoodNet1, "exactly one"},
      {"outside the grid", std::string("n0 0\n(0,0,1)-(30,0,1)\n!\n") + kGoodNet1, "outside"},
      {"layer 0", std::string("n0 0\n(0,0,0)-(20,0,0)\n!\n") + kGoodNet1, "no such layer"},
      {"layer above the top", std::string("n0 0\n(0,0,1)-(0,0,3)\n!\n") + kGoodNet1, "no such layer"},
      {"pin not reached", std::string("n0 0\n(0,0,1)-(10,0,1)\n!\n") + kGoodNet1, "not connected"},
      {"pin reached on the wrong layer", std::string("n0 0\n(0,0,2)-(0,0,1)\n(0,0,2)-(20,0,2)\n!\n") + kGoodNet1,
       "not connected"},
      {"two blocks for one net", std::string("n0 0\n(0,0,1)-(20,0,1)\n!\nn0 0\n!\n") + kGoodNet1, "two blocks"},
      {"unknown net name", std::string("n0 0\n(0,0,1)-(20,0,1)\n!\nn9 9\n!\n") + kGoodNet1, "n9: no net of that name"},
      {"name with another net's id", std::string("n0 1\n(0,0,1)-(20,0,1)\n!\n") + kGoodNet1, "id 1, the net's is 0"},
      {"detached segment", std::string("n0 0\n(0,0,1)-(20,0,1)\n(0,10,1)-(10,10,1)\n!\n") + kGoodNet1,
       "net n0: a segment at tile (0,1) layer 1 is detached"},
      {"block not terminated", std::string(kGoodNet1) + "n0 0\n(0,0,1)-(20,0,1)\n", "has no \"!\""},
      {"garbage line", std::string("n0 0\n(0,0,1)-(20,0,1\n!\n") + kGoodNet1, "malformed"},
  };
  for (const auto& c : kBroken) {
    SCOPED_TRACE(c.name);
    const CheckReport r = check(c.result);
    EXPECT_FALSE(r.legal());
    EXPECT_NE(r.summary().find(c.mustSay), std::string::npos) << r.summary();
  }
}

// Net 2 lies in one tile (pins on layers 1 and 2) and needs no block. Net 0 runs over both
// horizontal edges, the first twice (counted once): 2 units against the adjusted 2, no overflow.
TEST(ResultChecker, RecomputesOverflowAndWirelength) {
  CheckReport r = check(std::string("n0 0\n(0,0,1)-(20,0,1)\n(0,0,1)-(10,0,1)\n!\n") + kGoodNet1);
  EXPECT_TRUE(r.legal()) << r.summary();
  EXPECT_EQ(std::tuple(r.wirelength, r.viaCount, r.totalWirelength(), r.totalOverflow, r.netsRouted),
            std::tuple(3, 2, 5, 0, 2));
  // Blocks are found by name, whatever the ids look like, and a wire takes max(net width, layer
  // width) + layer spacing: three nets over the adjusted edge, 2 + 2 + (3 + 1) - capacity 2 = 6.
  const GrProblem named =
      problem("grid 2 1 1\nvertical capacity 0\nhorizontal capacity 4\nminimum width 1\nminimum spacing 1\n"
              "via spacing 1\n0 0 10 10\n\nnum net 3\nA1 01 2 1\n0 0 1\n10 0 1\nb 2 2 1\n0 0 1\n10 0 1\n"
              "c 3 2 3\n0 0 1\n10 0 1\n\n1\n0 0 1 1 0 1 2\n");
  const std::string rest = "b 2\n(0,0,1)-(10,0,1)\n!\nc 3\n(0,0,1)-(10,0,1)\n!\n";
  r = check("A1 1\n(0,0,1)-(10,0,1)\n!\n" + rest, named);
  EXPECT_TRUE(r.legal()) << r.summary();
  EXPECT_EQ(std::tuple(r.totalOverflow, r.maxOverflow, r.wirelength), std::tuple(6, 6, 3));
  r = check("n1 1\n(0,0,1)-(10,0,1)\n!\n" + rest, named);
  EXPECT_EQ(r.errorCount, 2) << r.summary();  // an unknown block and a net without one
  EXPECT_NE(r.summary().find("net A1 has no block"), std::string::npos) << r.summary();
  CheckOptions options;
  options.connectivityPinLimit = 1;  // every net counts as huge: connectivity is not checked
  r = check(std::string("n0 0\n(0,0,1)-(10,0,1)\n!\n") + kGoodNet1, problem(), options);
  EXPECT_TRUE(r.legal()) << r.summary();
  EXPECT_EQ(r.netsNotCheckedForConnectivity, 2);
}

}  // namespace
