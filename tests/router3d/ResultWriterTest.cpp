// The layered stage's writers: the result file's exact lines (header, one line per distinct
// unit, local nets), the overflow report and its console line, and unwritable paths.

#include <gtest/gtest.h>

#include <fstream>

#include "Router3DFixture.h"
#include "router3d/Route3D.h"
#include "support/RunProcess.h"

namespace {

TEST(LayeredResultFile, WritesOneLinePerDistinctUnitOfEachNet) {
  NetDB db;
  db.gridX = 5, db.gridY = 5, db.numLayers = 3;
  db.originX = 100, db.originY = 200, db.tileWidth = 30, db.tileHeight = 10;
  db.nets.resize(5);
  // One connection: a repeated unit is written once; a climb from layer 0 to 2 at (3, 4).
  db.nets[0].id = 5;
  db.nets[0].twoPins.resize(1);
  db.nets[0].twoPins[0].path = {RPoint(0, 0, 0, 1), RPoint(3, 4, 0, 2), RPoint(0, 0, 0, 1), RPoint(3, 4, 1, 2)};
  // Two connections: the multiset holds the shared unit twice, the file has it once; the same
  // tile edge on another layer is another unit.
  db.nets[1].id = 6;
  db.nets[1].twoPins.resize(2);
  for (const RPoint& u : {RPoint(1, 1, 0, 1), RPoint(2, 2, 1, 0), RPoint(1, 1, 0, 1), RPoint(1, 1, 2, 1)})
    db.nets[1].routedEdges.insert(u);
  db.nets[2].id = 7;  // no connection
  db.nets[3].id = 8;  // a connection with an empty path
  db.nets[3].twoPins.resize(1);
  // Both nets use the same unit: each writes it.
  db.nets[4].id = 6;
  db.nets[4].twoPins.resize(1);
  db.nets[4].twoPins[0].path = {RPoint(1, 1, 0, 1)};
  Net local;
  local.id = 9;
  local.pins3D = {Point(4, 1, 2), Point(4, 1, 0), Point(4, 1, 1)};
  db.localNets.push_back(local);

  TempDir dir;
  const std::string path = dir.file("out.txt");
  ASSERT_TRUE(outputFile(path.c_str(), db));
  EXPECT_EQ(readFile(path),
            "n5 5 0\n(100,200,1)-(130,200,1)\n(190,240,1)-(190,240,2)\n(190,240,2)-(190,240,3)\n!\nn6 6 0\n"
            "(130,210,1)-(160,210,1)\n(160,220,2)-(160,230,2)\n(130,210,3)-(160,210,3)\n!\nn7 7 0\n!\nn8 8 0\n!\n"
            "n6 6 0\n(130,210,1)-(160,210,1)\n!\nn9 9\n(220,210,1)-(220,210,3)\n!\n");
}

TEST(LayeredOverflowReport, ListsOverflowedEdgesLayerByLayerHorizontalFirst) {
  auto r = makeLayeredRouter(3, 3, {3, 1}, {3, 1}, {2, 5});
  r->viaCost = 3;
  r->grid.usage3D.at(0, 1, 1).x = 5;  // 2 tracks over on pitch 2
  r->grid.usage3D.at(0, 0, 2).y = 1;  // below capacity: no line, no negative total
  r->grid.usage3D.at(1, 0, 0).x = 2;  // both edges of one node over on pitch 5
  r->grid.usage3D.at(1, 0, 0).y = 4;
  r->grid.usage3D.at(0, 2, 0).z = 4;  // vias never overflow
  TempDir dir;
  const std::string path = dir.file("o.txt.ofinfo");
  testing::internal::CaptureStdout();
  ASSERT_TRUE(r->outputOverflowInfo(path.c_str()));
  // W = 5 + 1 + 2 + 4 = 12, V = 4, total 12 + 4 * 3 = 24; overflow 4 + 5 + 15, max 15.
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "totalOF=24  maxOF=15  Wlen2D=12  Via=4  totalWL(Wlen2D+Via*3)=24 \n");
  EXPECT_EQ(readFile(path),
            "Total overflow = 24\nMax overflow = 15\nWirelength = 12\nVia count = 4\n"
            "Total wirelength (wirelength+3*vias) = 24\n\nOverflowed grid edges : \n(1, 1, 0) - (2, 1, 0)  4 \n"
            "(0, 0, 1) - (1, 0, 1)  5 \n(0, 0, 1) - (0, 1, 1)  15 \nend\n");
}

}  // namespace
