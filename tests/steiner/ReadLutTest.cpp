// The table reader: sharing of back-referenced groups, the corner cases of the line format, and
// one damaged file per check (each must stop the run with one line naming the file).

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "ExactRsmt.h"
#include "LutTestSupport.h"
#include "steiner/flute.h"

namespace {

using lut_test::HandTables;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(ReadLut, BuiltTablesShareDataAcrossGroups) {
  lut_test::useBuiltTables();
  const int wantDataSets[10] = {0, 0, 0, 0, 2, 8, 36, 222, 1638, 13950};
  for (int d = 4; d <= 9; ++d) {
    std::set<const LutSolution*> arrays;
    for (int k = 0; k < numgrp[d]; ++k) {
      ASSERT_GT(numsoln[d][k], 0);
      ASSERT_LE(numsoln[d][k], 80);
      arrays.insert(LUT[d][k]);
    }
    EXPECT_EQ(int(arrays.size()), wantDataSets[d]) << "degree " << d;
  }
}

TEST(ReadLut, BackReferenceSharesAndReadsNoTopology) {
  lut_test::TempDir dir;
  HandTables t;
  t.pow[4][1] = "00\n";      // group 1 shares group 0
  t.pow[4][2] = "1\n040\n";  // group 2 has its own solution, adding column gap 4
  t.post[4] = HandTables::topology(4) + HandTables::topology(4, {}, 0x22);
  t.writeTo(dir.path());
  lut_test::loadTablesFrom(dir.path());
  EXPECT_EQ(LUT[4][1], LUT[4][0]);
  EXPECT_EQ(numsoln[4][1], numsoln[4][0]);
  EXPECT_NE(LUT[4][2], LUT[4][0]);
  // The second topology record belongs to group 2: group 1 consumed none.
  EXPECT_EQ(LUT[4][0][0].rowcol[0], 0x11);
  EXPECT_EQ(LUT[4][2][0].rowcol[0], 0x22);
  EXPECT_EQ(LUT[4][2][0].seg[0], 4);
  EXPECT_EQ(LUT[4][2][0].seg[1], 0);
  EXPECT_EQ(LUT[4][2][0].neighbor[0], 4);
}

TEST(ReadLut, LineFormatCornerCases) {
  lut_test::TempDir dir;
  HandTables t;
  // Count 'A' = 10 solutions: empty lists written out, lists ended by the line end, ten adds sharing
  // the last terminator, nine adds plus one subtract; count 'B' = 11 with the parent 'A' = 10.
  t.pow[4][0] = std::string("A\n") + "00\n" + "10\n" + "2\n" + "0" + std::string(10, '1') + "00\n" + "3" +
                std::string(9, '4') + "010\n" + "14010\n" + "600\n" + "7\n" + "80\n" + "90\n";
  t.post[4].clear();
  for (int j = 0; j < 10; ++j) t.post[4] += HandTables::topology(4);
  t.pow[5][0] = std::string("B\n") + "00\n" + "10\n" + "20\n" + "30\n" + "40\n" + "50\n" + "60\n" + "70\n" + "80\n" +
                "90\n" + "A0\n";
  t.post[5].clear();
  for (int j = 0; j < 11; ++j) t.post[5] += HandTables::topology(5);
  t.writeTo(dir.path());
  lut_test::loadTablesFrom(dir.path());
  EXPECT_EQ(numsoln[4][0], 10);
  EXPECT_EQ(numsoln[5][0], 11);
  EXPECT_EQ(LUT[5][0][10].parent, 10);
  const LutSolution* s = LUT[4][0];
  for (int j : {0, 1, 2, 6, 7, 8, 9})
    for (int i = 0; i < 11; ++i) EXPECT_EQ(s[j].seg[i], 0) << "solution " << j + 1 << ", seg " << i;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(s[3].seg[i], 1);
  EXPECT_EQ(s[3].seg[10], 0);
  for (int i = 0; i < 9; ++i) EXPECT_EQ(s[4].seg[i], 4);
  EXPECT_EQ(s[4].seg[9], 0);
  EXPECT_EQ(s[4].seg[10], 1);
  EXPECT_EQ(s[5].parent, 1);
  EXPECT_EQ(s[5].seg[0], 4);
  EXPECT_EQ(s[5].seg[10], 1);
}

TEST(ReadLut, ReloadingReplacesTheTables) {
  lut_test::TempDir dir;
  HandTables().writeTo(dir.path());
  lut_test::loadTablesFrom(dir.path());
  EXPECT_EQ(numsoln[9][90719], 1);
  lut_test::useBuiltTables();
  const int x[] = {0, 5, 9, 2, 7}, y[] = {3, 0, 8, 6, 1};
  EXPECT_EQ(flute(5, x, y, 3).length, exact_rsmt::rsmtLength(5, x, y));
}

std::string d5Cycle() { return HandTables::topology(5, {5, 5, 5, 5, 5, 5, 7, 6}); }

// Each row damages the hand-made tables in one way.
const struct {
  const char* name;
  void (*damage)(HandTables&);
  const char* file;
  const char* mustSay;
} kDamaged[] = {
    {"lengths header of another degree", [](HandTables& t) { t.header[4] = "d=5\n"; }, "POWV9.dat",
     "degree 4: expected the header \"d=4\""},
    {"topologies header missing", [](HandTables& t) { t.postHeader[6] = ""; }, "POST9.dat", "header \"d=6\""},
    {"lengths file ends inside a block", [](HandTables& t) { t.pow[9].resize(100); }, "POWV9.dat",
     "degree 9, group 100: unexpected end of file"},
    {"topologies file ends inside a block", [](HandTables& t) { t.post[9] = t.post[9].substr(0, 10); }, "POST9.dat",
     "degree 9, group 0, solution 1: unexpected end of file"},
    {"count byte that is not a count", [](HandTables& t) { t.pow[4][1] = "#\n"; }, "POWV9.dat",
     "group 1: count byte 0x23"},
    {"count above 80", [](HandTables& t) { t.pow[4][0] = std::string(1, char(81 + 55)) + "\n00\n"; }, "POWV9.dat",
     "solution count 81"},
    {"back-reference to its own group", [](HandTables& t) { t.pow[4][3] = "03\n"; }, "POWV9.dat",
     "group 3: back-reference to group 3"},
    {"back-reference to a later group", [](HandTables& t) { t.pow[5][3] = "07\n"; }, "POWV9.dat",
     "back-reference to group 7"},
    {"back-reference without a number", [](HandTables& t) { t.pow[4][2] = "0x\n"; }, "POWV9.dat",
     "back-reference without a group number"},
    {"line longer than the buffer", [](HandTables& t) { t.pow[4][0] = "1\n0" + std::string(29, '1') + "0\n"; },
     "POWV9.dat", "solution line longer than 31 bytes"},
    {"eleven adds", [](HandTables& t) { t.pow[4][0] = "1\n0" + std::string(11, '1') + "00\n"; }, "POWV9.dat",
     "add list longer than 10"},
    {"ten adds and a subtract", [](HandTables& t) { t.pow[4][0] = "1\n0" + std::string(10, '1') + "040\n"; },
     "POWV9.dat", "longer than 10 entries together"},
    {"gap index between the row and column gaps", [](HandTables& t) { t.pow[4][0] = "1\n020\n"; }, "POWV9.dat",
     "gap index 2 outside 1..1 and 4..4"},
    {"gap index above the column gaps", [](HandTables& t) { t.pow[9][0] = "1\n0F0\n"; }, "POWV9.dat", "gap index 15"},
    {"parent that is not earlier", [](HandTables& t) { t.pow[4][0] = "1\n100\n"; }, "POWV9.dat",
     "parent 1 is not an earlier solution"},
    {"bytes after the subtract list", [](HandTables& t) { t.pow[4][0] = "1\n0000\n"; }, "POWV9.dat",
     "unexpected bytes after the subtract list"},
    {"row nibble of d", [](HandTables& t) { t.post[4] = HandTables::topology(4, {}, 0x41); }, "POST9.dat",
     "row 4, column 1"},
    {"column nibble of d", [](HandTables& t) { t.post[6] = HandTables::topology(6, {}, 0x16); }, "POST9.dat",
     "row 1, column 6"},
    {"pin as a neighbour",
     [](HandTables& t) {
       t.post[4] = HandTables::topology(4, {4, 4, 4, 4, 4, 0});
     },
     "POST9.dat", "branch 5 connects to 0"},
    {"neighbour beyond the branches",
     [](HandTables& t) {
       t.post[4] = HandTables::topology(4, {6, 4, 4, 4, 4, 4});
     },
     "POST9.dat", "branch 0 connects to 6"},
    {"two roots",
     [](HandTables& t) {
       t.post[4] = HandTables::topology(4, {4, 4, 4, 4, 4, 5});
     },
     "POST9.dat", "two roots"},
    {"no root",
     [](HandTables& t) {
       t.post[4] = HandTables::topology(4, {4, 4, 4, 4, 5, 4});
     },
     "POST9.dat", "no root branch"},
    {"cycle beside the root", [](HandTables& t) { t.post[5] = d5Cycle(); }, "POST9.dat", "lies on a cycle"},
};

TEST(ReadLut, DamagedFilesStopWithOneLine) {
  for (const auto& c : kDamaged) {
    SCOPED_TRACE(c.name);
    lut_test::TempDir dir;
    HandTables t;
    c.damage(t);
    t.writeTo(dir.path());
    const lut_test::ChildResult r = lut_test::runInChild(dir.path(), [] { readLUT(); });
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_THAT(r.err, StartsWith(std::string("Error: ") + c.file + ": "));
    EXPECT_THAT(r.err, HasSubstr(c.mustSay));
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1);
  }
}

TEST(ReadLut, HandTablesAreAcceptedAsTheyStand) {
  lut_test::TempDir dir;
  HandTables().writeTo(dir.path());
  const lut_test::ChildResult r = lut_test::runInChild(dir.path(), [] { readLUT(); });
  EXPECT_EQ(r.exitStatus, 0);
  EXPECT_EQ(r.err, "");
}

TEST(ReadLut, MissingFilesAreReportedOnStandardOutput) {
  lut_test::TempDir dir;
  lut_test::ChildResult r = lut_test::runInChild(dir.path(), [] { readLUT(); });
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, "Error in opening POWV9.dat\n");
  lut_test::writeFile(dir.file("POWV9.dat"), "d=4\n");
  r = lut_test::runInChild(dir.path(), [] { readLUT(); });
  EXPECT_EQ(r.exitStatus, 1);
  EXPECT_EQ(r.out, "Error in opening POST9.dat\n");
}

}  // namespace
