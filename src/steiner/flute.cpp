// Lookup-table Steiner trees: the table reader and the trees of nets of two to nine pins.
//
// readLUT loads "POWV9.dat" (per group: solution count, then per solution a parent and the gap
// indices to add to and subtract from the parent's length) and "POST9.dat" (per stored solution:
// the Steiner points' row/column characters and the packed neighbour nibbles), checking every field
// so that a damaged file stops the run with one line instead of corrupting memory.
//
// flute sorts the pins (two selection sorts with fixed tie rules), and flutes_LD finds the group of
// the net's permutation, mirrors it in x when the group lies in the upper half, evaluates the
// group's solutions against the net's gaps (first strictly shortest wins) and builds the branches.
// Cost per net: O(d^2) for the sorts and O(solutions) for the evaluation; no allocation but the
// branch array.

#include "steiner/flute.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

#include "db/Report.h"

const int numgrp[10] = {0, 0, 0, 0, 6, 30, 180, 1260, 10080, 90720};
int numsoln[10][90720];
LutSolution* LUT[10][90720];

namespace {

constexpr int kMaxLutSolutions = 80;
constexpr int kLineBuffer = 32;      // a solution line holds at most 31 bytes, its line end included
constexpr int kFluteWorkSize = 200;  // pins sorted in local arrays; more go to the heap

// The solution records of each degree; LUT points into these, re-read tables replace them.
std::vector<LutSolution> lutArena[10];

unsigned char charnum[256];

void buildCharTable() {
  for (int c = 0; c < 256; ++c) {
    if (c >= '0' && c <= '9')
      charnum[c] = (unsigned char)(c - 48);
    else if (c > 64)
      charnum[c] = (unsigned char)(c - 55);
    else
      charnum[c] = 0;
  }
}

// A character that stands for a number: a digit or a byte above 64.
bool isCodeChar(int c) { return (c >= '0' && c <= '9') || c > 64; }

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

FilePtr openTable(const char* name) {
  FilePtr f(std::fopen(name, "rb"));
  if (!f) {
    std::printf("Error in opening %s\n", name);
    std::fflush(stdout);
    std::exit(1);
  }
  return f;
}

// Reads one degree block of both files; `where` names the position for error lines.
class BlockReader {
 public:
  BlockReader(std::FILE* lengths, std::FILE* topologies, int d) : pw_(lengths), ps_(topologies), d_(d) {}

  void read() {
    readHeader(pw_, kLengthsFile);
    readHeader(ps_, kTopologiesFile);
    std::vector<LutSolution>& arena = lutArena[d_];
    arena.clear();
    std::vector<int> offset(numgrp[d_], -1);
    for (k_ = 0; k_ < numgrp[d_]; ++k_) {
      const int c = nextByte(pw_, kLengthsFile);
      const int n = charnum[c];
      if (n == 0) {
        if (c != '0') failAt(kLengthsFile, format("count byte 0x%02X is not a count", c));
        int r = -1;
        if (std::fscanf(pw_, "%d\n", &r) != 1) failAt(kLengthsFile, "back-reference without a group number");
        if (r < 0 || r >= k_ || offset[r] < 0)
          failAt(kLengthsFile, format("back-reference to group %d, which is not an earlier group with data", r));
        numsoln[d_][k_] = numsoln[d_][r];
        offset[k_] = offset[r];
        continue;
      }
      if (!isCodeChar(c) || n > kMaxLutSolutions)
        failAt(kLengthsFile, format("solution count %d is above %d", n, kMaxLutSolutions));
      if (nextByte(pw_, kLengthsFile) != '\n') failAt(kLengthsFile, "solution count not followed by a line end");
      numsoln[d_][k_] = n;
      offset[k_] = int(arena.size());
      for (j_ = 0; j_ < n; ++j_) {
        LutSolution sol;
        readLengths(sol);
        readTopology(sol);
        arena.push_back(sol);
      }
      j_ = -1;
    }
    for (int k = 0; k < numgrp[d_]; ++k) LUT[d_][k] = arena.data() + offset[k];
  }

 private:
  [[noreturn]] void failAt(const char* file, const std::string& what) const {
    std::string where = format("degree %d", d_);
    if (k_ >= 0) where += format(", group %d", k_);
    if (j_ >= 0) where += format(", solution %d", j_ + 1);
    fatalError(file, where + ": " + what);
  }

  int nextByte(std::FILE* f, const char* file) const {
    const int c = std::getc(f);
    if (c == EOF) failAt(file, "unexpected end of file");
    return c;
  }

  void readHeader(std::FILE* f, const char* file) {
    int hd = -1;
    if (std::fscanf(f, "d=%d\n", &hd) != 1 || hd != d_) failAt(file, format("expected the header \"d=%d\"", d_));
  }

  bool isGapIndex(int g) const { return (g >= 1 && g <= d_ - 3) || (g >= d_ && g <= 2 * d_ - 4); }

  // Parent, add list from seg[0] up, subtract list from seg[10] down. The two lists may share their
  // last terminator (10 entries in all), never more.
  void readLengths(LutSolution& sol) {
    unsigned char line[kLineBuffer];
    int len = 0;
    for (;;) {
      const int c = nextByte(pw_, kLengthsFile);
      if (len == kLineBuffer - 1) failAt(kLengthsFile, format("solution line longer than %d bytes", kLineBuffer - 1));
      line[len++] = (unsigned char)c;
      if (c == '\n') break;
    }
    if (!isCodeChar(line[0])) failAt(kLengthsFile, "solution line without a parent character");
    sol.parent = charnum[line[0]];
    if (sol.parent > j_) failAt(kLengthsFile, format("parent %d is not an earlier solution", sol.parent));
    int pos = 1, adds = 0, subs = 0;
    auto nextEntry = [&](bool& atLineEnd) {
      const unsigned char c = line[pos];
      if (c == '\n') {
        atLineEnd = true;
        return 0;
      }
      ++pos;
      if (c == '0') return 0;
      if (!isCodeChar(c)) failAt(kLengthsFile, format("byte 0x%02X in a gap list", c));
      const int g = charnum[c];
      if (!isGapIndex(g))
        failAt(kLengthsFile, format("gap index %d outside 1..%d and %d..%d", g, d_ - 3, d_, 2 * d_ - 4));
      return g;
    };
    bool atLineEnd = false;
    for (int g; (g = nextEntry(atLineEnd)) != 0;) {
      if (adds == 10) failAt(kLengthsFile, "add list longer than 10 entries");
      sol.seg[adds++] = (unsigned char)g;
    }
    if (!atLineEnd) {
      for (int g; (g = nextEntry(atLineEnd)) != 0;) {
        if (10 - subs <= adds) failAt(kLengthsFile, "add and subtract lists longer than 10 entries together");
        sol.seg[10 - subs++] = (unsigned char)g;
      }
    }
    if (!atLineEnd && line[pos] != '\n') failAt(kLengthsFile, "unexpected bytes after the subtract list");
  }

  void readTopology(LutSolution& sol) {
    const int d = d_;
    for (int i = 0; i < d - 2; ++i) {
      const int v = charnum[nextByte(ps_, kTopologiesFile)];
      if ((v >> 4) >= d || (v & 15) >= d)
        failAt(kTopologiesFile,
               format("Steiner point %d at row %d, column %d, outside 0..%d", i, v >> 4, v & 15, d - 1));
      sol.rowcol[i] = (unsigned char)v;
    }
    for (int m = 0; m < d - 1; ++m) {
      const int c = nextByte(ps_, kTopologiesFile);
      sol.neighbor[2 * m] = (unsigned char)(c >> 4);
      sol.neighbor[2 * m + 1] = (unsigned char)(c & 15);
    }
    nextByte(ps_, kTopologiesFile);  // the record's last byte carries nothing
    int root = -1;
    for (int b = 0; b < 2 * d - 2; ++b) {
      const int nb = sol.neighbor[b];
      if (nb < d || nb > 2 * d - 3)
        failAt(kTopologiesFile,
               format("branch %d connects to %d, outside the Steiner points %d..%d", b, nb, d, 2 * d - 3));
      if (nb == b) {
        if (root >= 0) failAt(kTopologiesFile, format("two roots, branches %d and %d", root, b));
        root = b;
      }
    }
    if (root < 0) failAt(kTopologiesFile, "no root branch");
    for (int b = 0; b < 2 * d - 2; ++b) {
      int at = b;
      for (int steps = 0; at != root; ++steps) {
        if (steps > 2 * d - 2) failAt(kTopologiesFile, format("branch %d lies on a cycle", b));
        at = sol.neighbor[at];
      }
    }
  }

  std::FILE* pw_;
  std::FILE* ps_;
  int d_;
  int k_ = -1, j_ = -1;
};

}  // namespace

void readLUT() {
  buildCharTable();
  const FilePtr lengths = openTable(kLengthsFile);
  const FilePtr topologies = openTable(kTopologiesFile);
  for (int d = 0; d < 10; ++d) {
    lutArena[d].clear();
    for (int k = 0; k < 90720; ++k) numsoln[d][k] = 0, LUT[d][k] = nullptr;
  }
  for (int d = 4; d <= 9; ++d) BlockReader(lengths.get(), topologies.get(), d).read();
}

Tree flute(int d, const int* x, const int* y, int acc) {
  if (d < 2) return Tree{};
  if (d == 2) {
    Tree t;
    t.deg = 2;
    t.length = std::abs(x[0] - x[1]) + std::abs(y[0] - y[1]);
    t.branch = std::make_unique<Branch[]>(2);
    t.branch[0] = {x[0], y[0], 1};
    t.branch[1] = {x[1], y[1], 1};
    return t;
  }

  struct Pin {
    int x, y, rank;
  };
  Pin localPins[kFluteWorkSize];
  int localInts[3 * kFluteWorkSize];
  std::vector<Pin> heapPins;
  std::vector<int> heapInts;
  Pin* pt = localPins;
  int* ints = localInts;
  if (d > kFluteWorkSize) {
    heapPins.resize(d);
    heapInts.resize(3 * std::size_t(d));
    pt = heapPins.data();
    ints = heapInts.data();
  }
  int* xs = ints;
  int* ys = ints + d;
  int* s = ints + 2 * d;
  for (int i = 0; i < d; ++i) pt[i] = {x[i], y[i], 0};

  // Selection sorts: only a strictly smaller key moves the minimum, so among equal keys the first
  // one met in the list as it stands wins.
  for (int i = 0; i < d - 1; ++i) {
    int minPos = i;
    for (int j = i + 1; j < d; ++j)
      if (pt[j].x < pt[minPos].x) minPos = j;
    std::swap(pt[i], pt[minPos]);
  }
  for (int i = 0; i < d; ++i) xs[i] = pt[i].x, pt[i].rank = i;
  for (int i = 0; i < d - 1; ++i) {
    int minPos = i;
    for (int j = i + 1; j < d; ++j)
      if (pt[j].y < pt[minPos].y) minPos = j;
    std::swap(pt[i], pt[minPos]);
    ys[i] = pt[i].y;
    s[i] = pt[i].rank;
  }
  ys[d - 1] = pt[d - 1].y;
  s[d - 1] = pt[d - 1].rank;

  if (d > 9) return flutes_MD(d, xs, ys, s, acc);
  return flutes_LD(d, xs, ys, s);
}

LutQuery lutQuery(int d, const int* xs, const int* ys, const int* s) {
  LutQuery q;
  int k = (s[0] < s[2] ? 1 : 0) + (s[1] < s[2] ? 1 : 0);
  for (int i = 3; i < d; ++i) {
    int r = 0;
    for (int j = 0; j < i; ++j)
      if (s[j] < s[i]) ++r;
    k = k * (i + 1) + r;
  }
  q.mirrored = k >= numgrp[d];
  q.k = q.mirrored ? 2 * numgrp[d] - 1 - k : k;
  for (int i = 1; i <= d - 3; ++i) {
    q.dd[i] = ys[i + 1] - ys[i];
    q.dd[d - 1 + i] = q.mirrored ? xs[d - 1 - i] - xs[d - 2 - i] : xs[i + 1] - xs[i];
  }
  q.base = (xs[d - 1] - xs[0]) + (ys[d - 1] - ys[0]);
  return q;
}

int lutBestSolution(int d, const LutQuery& q, int* length) {
  const int count = numsoln[d][q.k];
  if (count <= 0) fatalError(kLengthsFile, "Steiner lookup tables used before readLUT loaded them");
  const LutSolution* sol = LUT[d][q.k];
  int lengths[kMaxLutSolutions + 1];  // [0] the base, [j] solution j
  lengths[0] = q.base;
  int best = 0;
  for (int j = 0; j < count; ++j) {
    const unsigned char* seg = sol[j].seg;
    int len = j == 0 ? q.base : lengths[sol[j].parent];
    for (int i = 0; seg[i] != 0; ++i) len += q.dd[seg[i]];
    if (j > 0)
      for (int i = 10; seg[i] != 0; --i) len -= q.dd[seg[i]];
    lengths[j + 1] = len;
    if (len < lengths[best + 1]) best = j;
  }
  *length = lengths[best + 1];
  return best;
}

Tree flutes_LD(int d, const int* xs, const int* ys, const int* s) {
  Tree t;
  if (d < 2 || d > 9) return t;
  t.deg = d;
  t.branch = std::make_unique<Branch[]>(2 * std::size_t(d) - 2);
  Branch* b = t.branch.get();
  if (d == 2) {
    t.length = (xs[1] - xs[0]) + (ys[1] - ys[0]);
    b[0] = {xs[s[0]], ys[0], 1};
    b[1] = {xs[s[1]], ys[1], 1};
    return t;
  }
  if (d == 3) {
    t.length = (xs[2] - xs[0]) + (ys[2] - ys[0]);
    for (int i = 0; i < 3; ++i) b[i] = {xs[s[i]], ys[i], 3};
    b[3] = {xs[1], ys[1], 3};
    return t;
  }

  const LutQuery q = lutQuery(d, xs, ys, s);
  const int best = lutBestSolution(d, q, &t.length);
  const LutSolution& sol = LUT[d][q.k][best];
  const unsigned char* nb = sol.neighbor;
  auto frame = [&](int i) { return q.mirrored ? d - 1 - s[i] : s[i]; };

  for (int i = 0; i < d; ++i) b[i] = {xs[s[i]], ys[i], nb[i]};
  // The table stores the bottom and the top pair with the larger x rank first; exchange otherwise.
  if (frame(0) <= frame(1)) b[0].n = nb[1], b[1].n = nb[0];
  if (frame(d - 2) <= frame(d - 1)) b[d - 2].n = nb[d - 1], b[d - 1].n = nb[d - 2];
  for (int i = d; i < 2 * d - 2; ++i) {
    const int r = sol.rowcol[i - d];
    b[i].y = ys[r >> 4];
    b[i].x = q.mirrored ? xs[d - 1 - (r & 15)] : xs[r & 15];
    b[i].n = nb[i];
  }
  return t;
}
