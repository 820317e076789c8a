// The layer-assignment writers, byte for byte: the result file and the overflow report.
#include <gtest/gtest.h>

#include <string>

#include "layer/Graph.h"
#include "support/LaTestProblem.h"
#include "support/RunProcess.h"

namespace {

// Origin (100, 200), tiles 30 x 10; four layers, horizontal on 1 and 3, vertical on 0 and 2.
NetDB writerDB() {
  NetDB db = makeGridDB(3, 2, {0, 2, 0, 2}, {2, 0, 2, 0});
  db.originX = 100, db.originY = 200, db.tileWidth = 30, db.tileHeight = 10;
  return db;
}

void assignQuietly(Graph& g, NetDB& db) {
  g.initialLA(db, 3, 0.0);
  testing::internal::CaptureStdout();
  g.convertGRtoLA(db);
  g.COLA(0, 0, 0, false);
  testing::internal::GetCapturedStdout();
}

TEST(ResultWriter, EdgesThenOneViaLinePerNodeInFileUnits) {
  NetDB db = writerDB();
  Net& a = addNet(db, 7, {Point(0, 0, 0), Point(1, 1, 0)});  // right then up
  addLConnection(db, a, Point(0, 0, 0), Point(1, 1, 0));
  addNet(db, 9, {Point(2, 1, 0), Point(2, 1, 2), Point(0, 1, 0)});  // not routed: one node
  Graph g;
  assignQuietly(g, db);
  TempDir dir;
  const std::string path = dir.file("result.txt");
  ASSERT_TRUE(g.output3Dresult(path.c_str()));
  // Net 7: (0,0)-(1,0) on layer 1 (file 2), (1,0)-(1,1) on layer 0 (file 1). Vias: root pin
  // 0 and edge 1 -> 1..2; middle node edges 1 and 0 -> 1..2; end pin 0, edge 0 -> none.
  EXPECT_EQ(readFile(path),
            "n7 7\n(100,200,2)-(130,200,2)\n(130,200,1)-(130,210,1)\n(100,200,1)-(100,200,2)\n"
            "(130,200,1)-(130,200,2)\n!\nn9 9\n(160,210,1)-(160,210,3)\n!\n");
}

TEST(OverflowReportWriter, HeaderAndEdgeListOrder) {
  NetDB db = writerDB();
  db.minWireSpacing = {0, 4, 1, 0};  // pitches 1, 5, 2, 1
  Graph g;
  assignQuietly(g, db);
  g.demandH.at(1, 1, 1) = 4;  // 2 over on pitch 5
  g.demandH.at(0, 1, 3) = 3;  // 1 over on pitch 1
  g.demandV.at(0, 0, 2) = 5;  // 3 over on pitch 2
  g.demandV.at(0, 0, 0) = 3;  // 1 over on pitch 1
  g.totalOF = 18, g.maxOF = 10, g.totalVia = 4, g.wlen2D = 6;
  TempDir dir;
  const std::string path = dir.file("report.ofinfo");
  ASSERT_TRUE(g.outputOverflowInfo(path.c_str()));
  EXPECT_EQ(readFile(path),
            "Total overflow = 18\nMax overflow = 10\nWirelength = 6\nVia count = 4\n"
            "Total wirelength (wirelength+3*vias) = 18\n\nOverflowed grid edges : \n(0, 1, 3) - (1, 1, 3)  1 \n"
            "(1, 1, 1) - (2, 1, 1)  10 \n(0, 0, 0) - (0, 1, 0)  1 \n(0, 0, 2) - (0, 1, 2)  6 \nend\n");
}

}  // namespace
