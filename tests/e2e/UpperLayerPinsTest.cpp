// Pins above the lowest layer, in both input formats: through one and through three layered
// rounds every net stays connected to each of its pins on the pin's own layer, and the report
// agrees with an independent check of the result file.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "Parser.h"
#include "db/NetDB.h"
#include "db/parameterSet.h"
#include "support/ResultChecker.h"
#include "support/RunProcess.h"

namespace {

const std::string kSource = KORVANE_SOURCE_DIR;

// A problem file with its pins moved, in file order, to layers 1, 2, .., layers, 1, ...
std::string withPinsOnEveryLayer(const std::string& gr, int layers) {
  std::istringstream in(gr);
  std::string line, out;
  int k = 0;
  while (std::getline(in, line)) {
    int x, y, layer;
    char more;
    if (std::sscanf(line.c_str(), "%d %d %d %c", &x, &y, &layer, &more) == 3)  // only pin lines hold three numbers
      line = std::to_string(x) + " " + std::to_string(y) + " " + std::to_string(1 + k++ % layers);
    out += line + "\n";
  }
  return out;
}

// The problem as the bookshelf reader sees it, in the problem file layout the checker reads.
std::string asProblemFile(const NetDB& db) {
  std::ostringstream s;
  auto list = [&s](const char* name, const std::vector<int>& values) {
    s << name;
    for (const int v : values) s << ' ' << v;
    s << '\n';
  };
  s << "grid " << db.gridX << ' ' << db.gridY << ' ' << db.numLayers << '\n';
  list("vertical capacity", db.verticalCapacity);
  list("horizontal capacity", db.horizontalCapacity);
  list("minimum width", db.minWireWidth);
  list("minimum spacing", db.minWireSpacing);
  list("via spacing", db.viaSpacing);
  s << db.originX << ' ' << db.originY << ' ' << db.tileWidth << ' ' << db.tileHeight << "\nnum net " << db.nets.size()
    << '\n';
  for (const Net& n : db.nets) {
    s << 'n' << n.id << ' ' << n.id << ' ' << n.pins3D.size() << " 1\n";
    for (const Point& p : n.pins3D)
      s << db.originX + p.x * db.tileWidth << ' ' << db.originY + p.y * db.tileHeight << ' ' << p.z + 1 << '\n';
  }
  s << db.adjEdges.size() << '\n';
  for (std::size_t i = 0; i < db.adjEdges.size(); ++i) {
    const RPoint& e = db.adjEdges[i];
    s << e.x << ' ' << e.y << ' ' << e.z + 1 << ' ' << e.x + (e.hori == 1) << ' ' << e.y + (e.hori == 0) << ' '
      << e.z + 1 << ' ' << db.adjCapacity[i] * db.wirePitch[std::size_t(e.z)] << '\n';
  }
  return s.str();
}

TEST(UpperLayerPins, LayeredRoundsConnectEveryPinOnItsLayer) {
  TempDir dir;
  const std::string ispd = dir.write("up.gr", withPinsOnEveryLayer(readFile(kSource + "/examples/tiny.gr"), 4));
  // Terminals of generated sets lie on layers 1 to 6.
  const RunResult gen = runProcess("/usr/bin/env", {"python3", kSource + "/tools/gen_bookshelf.py", dir.path, "bs",
                                                    "--cells", "1500", "--nets", "800", "--grid", "16"});
  ASSERT_EQ(gen.exitStatus, 0) << gen.err;
  NetDB db;
  parameterSet params;
  testing::internal::CaptureStdout();
  Input_DAC(dir.file("bs.aux").c_str(), dir.file("bs.pl").c_str(), db, params);
  testing::internal::GetCapturedStdout();
  const std::string iccad = dir.write("bs.gr", asProblemFile(db));

  const struct {
    std::vector<std::string> args;
    std::string problem;
  } kInputs[] = {{{"ISPD", ispd}, ispd}, {{"ICCAD", dir.file("bs.aux"), dir.file("bs.pl")}, iccad}};
  for (const auto& input : kInputs)
    for (const int rounds : {1, 3}) {
      SCOPED_TRACE(input.args[0] + ", rounds " + std::to_string(rounds));
      GrProblem problem;
      std::string error;
      ASSERT_TRUE(readGrProblem(input.problem, problem, error)) << error;
      std::vector<std::string> args = input.args;
      args.push_back(dir.write("p.set", "Via cost = 1\nMaze Routing Iteration = 30\n3D Optimization Iteration = " +
                                            std::to_string(rounds) + "\nOutput Overflow Information = Yes\n"));
      args.push_back(dir.file("r.out"));
      const RunResult r = runKorvane(args, KORVANE_BINARY_DIR);
      EXPECT_EQ(r.exitStatus, 0);
      EXPECT_EQ(r.err, "");
      const CheckReport check = checkResultFile(problem, args.back());
      EXPECT_TRUE(check.legal()) << check.summary();
      OverflowReport report;
      ASSERT_TRUE(readOverflowReport(args.back() + ".ofinfo", report, error)) << error;
      EXPECT_EQ(report.totalOverflow, check.totalOverflow);
      EXPECT_EQ(report.maxOverflow, check.maxOverflow);
      EXPECT_EQ(report.wirelength, check.wirelength);
      EXPECT_EQ(report.viaCount, check.viaCount);
    }
}

}  // namespace
