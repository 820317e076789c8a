// The Steiner table reader on small hand-written tables: every kind of damage stops the run with
// status 1 and one line naming the file, the degree, the group and the solution; a missing table
// file stops it with its fixed message on standard output.
//
// The undamaged tables hold degrees 4 and 5 only, so they end with the header of degree 6 missing.
// Degree 4 has six groups: group 0 with two solutions, groups 1 to 5 sharing it. Solution 1 adds
// ten row gaps (index 1); solution 2 starts from solution 1, adds nine column gaps (index 4) and
// subtracts one row gap: the longest lists, the highest parent and both gap kinds allowed. Its
// topologies put Steiner points at rows and columns 0 and 3 and link branches to both Steiner
// points 4 and 5 (branch 4 the root). Degree 5 has one solution in group 0 and 29 shares.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <utility>

#include "support/BookshelfSet.h"
#include "support/RunProcess.h"

namespace {

std::string repeated(const std::string& s, int n) {
  std::string r;
  for (int i = 0; i < n; ++i) r += s;
  return r;
}

const std::string kLengths =
    "d=4\n2\n011111111110\n1444444444010\n" + repeated("00\n", 5) + "d=5\n1\n000\n" + repeated("00\n", 29);
const std::string kTopologies = "d=4\n0jTED\nIIDDD\nd=5\nIIIUUUU\n";

const char* const kPow = "POWV9.dat";
const char* const kPost = "POST9.dat";

// Runs the router on the tiny problem with the given table files in its working directory; a
// null text leaves that file out.
RunResult routeWithTables(const std::string* lengths, const std::string* topologies) {
  TempDir dir;
  auto files = tinySet();
  writeSet(dir, files);
  for (const auto& [name, text] : {std::pair{kPow, lengths}, std::pair{kPost, topologies}}) {
    std::filesystem::remove(dir.file(name));
    if (text) dir.write(name, *text);
  }
  return runKorvane({"ISPD", "tiny.gr", "tiny.set", "out"}, dir.path);
}

struct Damage {
  const char* name;
  const char* file;
  std::string from, to;  // the first `from` in that file becomes `to`; empty `from`: the whole file
  std::string says;      // the error line without "Error: "
};

const Damage kDamaged[] = {
    {"nothing damaged: the tables end before degree 6", kPow, "d=5", "d=5",
     "POWV9.dat: degree 6: expected the header \"d=6\""},
    {"lengths header of another degree", kPow, "d=4", "d=5", "POWV9.dat: degree 4: expected the header \"d=4\""},
    {"topologies header of another degree", kPost, "d=4", "d=3", "POST9.dat: degree 4: expected the header \"d=4\""},
    {"count byte that is no count", kPow, "\n00\n", "\n#0\n",
     "POWV9.dat: degree 4, group 1: count byte 0x23 is not a count"},
    {"back-reference without a number", kPow, "\n00\n", "\n0x\n",
     "POWV9.dat: degree 4, group 1: back-reference without a group number"},
    {"back-reference to its own group", kPow, "\n00\n", "\n01\n",
     "POWV9.dat: degree 4, group 1: back-reference to group 1, which is not an earlier group with data"},
    {"back-reference below group 0", kPow, "\n00\n", "\n0-1\n",
     "POWV9.dat: degree 4, group 1: back-reference to group -1, which is not an earlier group with data"},
    {"back-reference far beyond the block", kPow, "\n00\n", "\n02000000000\n",
     "POWV9.dat: degree 4, group 1: back-reference to group 2000000000, which is not an earlier group with data"},
    {"count above 80", kPow, "d=4\n2\n", "d=4\n\x88\n", "POWV9.dat: degree 4, group 0: solution count 81 is above 80"},
    {"count without a line end", kPow, "d=4\n2\n", "d=4\n2 \n",
     "POWV9.dat: degree 4, group 0: solution count not followed by a line end"},
    {"lengths file ends inside a block", kPow, "", "d=4\n1\n000\n00\n",
     "POWV9.dat: degree 4, group 2: unexpected end of file"},
    {"topologies file ends inside a record", kPost, "", "d=4\n0jT",
     "POST9.dat: degree 4, group 0, solution 1: unexpected end of file"},
    {"solution line of 32 bytes", kPow, "", "d=4\n1\n0" + std::string(30, '1') + "\n",
     "POWV9.dat: degree 4, group 0, solution 1: solution line longer than 31 bytes"},
    {"solution line without a parent", kPow, "2\n0111", "2\n#111",
     "POWV9.dat: degree 4, group 0, solution 1: solution line without a parent character"},
    {"parent that is not earlier", kPow, "\n1444", "\n2444",
     "POWV9.dat: degree 4, group 0, solution 2: parent 2 is not an earlier solution"},
    {"byte in a gap list", kPow, "01111", "01#11", "POWV9.dat: degree 4, group 0, solution 1: byte 0x23 in a gap list"},
    {"gap index 2", kPow, "01111", "01211",
     "POWV9.dat: degree 4, group 0, solution 1: gap index 2 outside 1..1 and 4..4"},
    {"gap index 3", kPow, "01111", "01311",
     "POWV9.dat: degree 4, group 0, solution 1: gap index 3 outside 1..1 and 4..4"},
    {"gap index 5", kPow, "01111", "01511",
     "POWV9.dat: degree 4, group 0, solution 1: gap index 5 outside 1..1 and 4..4"},
    {"eleven adds", kPow, "11111111110\n", "111111111110\n",
     "POWV9.dat: degree 4, group 0, solution 1: add list longer than 10 entries"},
    {"ten adds and a subtract", kPow, "11111111110\n", "1111111111040\n",
     "POWV9.dat: degree 4, group 0, solution 1: add and subtract lists longer than 10 entries together"},
    {"nine adds and two subtracts", kPow, "444444444010\n", "4444444440110\n",
     "POWV9.dat: degree 4, group 0, solution 2: add and subtract lists longer than 10 entries together"},
    {"bytes after the subtract list", kPow, "444444444010\n", "4444444440100\n",
     "POWV9.dat: degree 4, group 0, solution 2: unexpected bytes after the subtract list"},
    {"Steiner point in row 4", kPost, "0jTED", "xjTED",
     "POST9.dat: degree 4, group 0, solution 1: Steiner point 0 at row 4, column 1, outside 0..3"},
    {"Steiner point in column 4", kPost, "0jTED", "0KTED",
     "POST9.dat: degree 4, group 0, solution 1: Steiner point 1 at row 1, column 4, outside 0..3"},
    {"branch linked to a pin", kPost, "0jTED", "0j4ED",
     "POST9.dat: degree 4, group 0, solution 1: branch 0 connects to 3, outside the Steiner points 4..5"},
    {"branch linked beyond the Steiner points", kPost, "0jTED", "0jTEF",
     "POST9.dat: degree 4, group 0, solution 1: branch 5 connects to 6, outside the Steiner points 4..5"},
    {"two roots", kPost, "0jTED", "0jTEE", "POST9.dat: degree 4, group 0, solution 1: two roots, branches 4 and 5"},
    {"no root", kPost, "0jTED", "0jTET", "POST9.dat: degree 4, group 0, solution 1: no root branch"},
    {"cycle beside the root", kPost, "IIIUUUU", "IIIUUUv",
     "POST9.dat: degree 5, group 0, solution 1: branch 6 lies on a cycle"},
};

TEST(SteinerTables, DamagedFileEndsTheRunWithItsLine) {
  for (const Damage& c : kDamaged) {
    SCOPED_TRACE(c.name);
    std::string lengths = kLengths, topologies = kTopologies;
    std::string& text = std::string_view(c.file) == kPow ? lengths : topologies;
    if (c.from.empty()) {
      text = c.to;
    } else {
      const std::size_t at = text.find(c.from);
      ASSERT_NE(at, std::string::npos);
      text.replace(at, c.from.size(), c.to);
    }
    const RunResult r = routeWithTables(&lengths, &topologies);
    EXPECT_EQ(r.exitStatus, 1);
    EXPECT_EQ(r.err, "Error: " + c.says + "\n");
  }
}

// The lengths file is opened first.
TEST(SteinerTables, MissingFileEndsTheRunWithStatusOne) {
  for (const bool lengthsThere : {false, true}) {
    const RunResult r = routeWithTables(lengthsThere ? &kLengths : nullptr, nullptr);
    EXPECT_EQ(r.exitStatus, 1);
    const std::string line = std::string("Error in opening ") + (lengthsThere ? kPost : kPow) + "\n";
    ASSERT_GE(r.out.size(), line.size());
    EXPECT_EQ(r.out.substr(r.out.size() - line.size()), line);
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
