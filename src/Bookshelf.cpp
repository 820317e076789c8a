// Readers of a bookshelf placement set: the .aux file, nodes, shapes, route, placement and
// nets files, run in that order by Input_DAC, which ends with the blockage capacity model.
//
// Every reader takes whitespace-separated words; a word starting with "#" discards the rest of
// its line, and words that mean nothing to the reader discard their line (the nodes reader
// ignores them one by one). Records read as whole lines (rectangles, terminal layers, net
// headers and pins) may be followed by free text, which is discarded unless it starts with a
// number. Lines may be of any length. Anything that does not read as the format says, and any
// line that would be read in part or dropped although it holds data, ends the run with one
// "Error: <file>: line <n>: ..." line, so no later stage sees a half-read set; so does a node
// that a pin or a blockage needs but no placement line places.

#include "Bookshelf.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>

#include "BlockageModel.h"
#include "NameLines.h"
#include "Parser.h"
#include "PinSet.h"
#include "TextInput.h"
#include "db/NetDB.h"
#include "db/NetNames.h"
#include "db/Report.h"
#include "db/parameterSet.h"

namespace {

// Layer assignment stores a layer in 8 signed bits.
constexpr int kMaxLayers = 127;

[[noreturn]] void missingFile(const char* path) {
  std::fflush(stdout);
  std::fprintf(stderr, "File %s not exists!\n", path);
  std::exit(1);
}

void openOrExit(TextInput& in, const char* path) {
  if (!in.open(path)) missingFile(path);
}

// The number written at name[at]: an optional sign, then digits, as "%d" reads it; digits
// beyond any table size saturate. False when there are no digits.
bool numberAt(std::string_view name, std::size_t at, long long& out) {
  bool negative = false;
  if (at < name.size() && (name[at] == '+' || name[at] == '-')) negative = name[at++] == '-';
  if (at >= name.size() || name[at] < '0' || name[at] > '9') return false;
  long long v = 0;
  for (; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at)
    v = std::min(v * 10 + (name[at] - '0'), 1LL << 40);
  out = negative ? -v : v;
  return true;
}

// Table position named by a node name: p<k> -> oNodeCount + k, o<k> -> k, any other first
// letter -> the number after the first "o". -1 when the name carries no number.
long long namedPosition(std::string_view name, int oNodeCount) {
  long long k = 0;
  if (name.empty()) return -1;
  if (name[0] == 'p') return numberAt(name, 1, k) ? oNodeCount + k : -1;
  if (name[0] == 'o') return numberAt(name, 1, k) ? k : -1;
  const std::size_t o = name.find('o');
  return o != std::string_view::npos && numberAt(name, o + 1, k) ? k : -1;
}

// The node a name refers to; a name that gives no position inside the table ends the run.
placeCell& namedNode(TextInput& in, int line, std::vector<placeCell>& cells, std::string_view name, int oNodeCount) {
  const long long pos = namedPosition(name, oNodeCount);
  if (pos < 0 || pos >= static_cast<long long>(cells.size()))
    in.failAt(line, format("node %s is not in the nodes file", quoted(name).c_str()));
  return cells[std::size_t(pos)];
}

// The rest of a record's line after its last field (`field`, of `node` when one is given) is
// free text and discarded, unless it starts with a number: a further value or record that
// reading on would lose.
void refuseNumberAfter(TextInput& in, int line, std::string_view rest, const char* field, std::string_view node = {}) {
  const std::string_view extra = numberInTail(rest);
  if (extra.empty()) return;
  const std::string of = node.empty() ? std::string() : " of node " + quoted(node);
  in.failAt(line, format("expected no number after %s%s, found %s", field, of.c_str(), quoted(extra).c_str()));
}

// scanf-like reading of one line: every item may be preceded by blanks.
class LineScan {
 public:
  explicit LineScan(std::string_view line) : text(line) {}
  bool atEnd() {
    skipBlanks();
    return pos >= text.size();
  }
  std::string_view word() {
    skipBlanks();
    const std::size_t start = pos;
    while (pos < text.size() && !isBlank(text[pos])) ++pos;
    return std::string_view(text).substr(start, pos - start);
  }
  bool literal(std::string_view w) {
    skipBlanks();
    if (std::string_view(text).substr(pos, w.size()) != w) return false;
    pos += w.size();
    return true;
  }
  // Position of the next item, blanks skipped; since() gives the text read after it.
  std::size_t mark() {
    skipBlanks();
    return pos;
  }
  std::string_view since(std::size_t from) const { return std::string_view(text).substr(from, pos - from); }
  bool character(char& c) {
    skipBlanks();
    if (pos >= text.size()) return false;
    c = text[pos++];
    return true;
  }
  // "%d": sign and digits, within the 32-bit range.
  bool integer(int& out) {
    skipBlanks();
    std::size_t p = pos;
    if (p < text.size() && (text[p] == '+' || text[p] == '-')) ++p;
    std::size_t end = p;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9') ++end;
    if (end == p || !parseInt(std::string_view(text).substr(pos, end - pos), out)) return false;
    pos = end;
    return true;
  }
  // "%lf" on a whole word: what strtod accepts, finite, up to a blank or the line's end (a
  // number with trailing junk such as "-1x" is no number, not -1).
  bool number(double& out) {
    skipBlanks();
    const char* start = text.c_str() + pos;
    char* end = nullptr;
    const double v = std::strtod(start, &end);
    if (end == start || !std::isfinite(v) || (*end != '\0' && !isBlank(*end))) return false;
    pos += std::size_t(end - start);
    out = v;
    return true;
  }
  // What is left of the line, blanks skipped.
  std::string_view rest() {
    skipBlanks();
    return std::string_view(text).substr(pos);
  }
  // True when nothing but blanks or a "#" comment is left.
  bool onlyCommentLeft() {
    const std::string_view r = rest();
    return r.empty() || r[0] == '#';
  }
  // True when the item just read ends its word: a blank, a "#" or the line's end follows. Text
  // glued to a record's last field ("30x") belongs to the field, not to the free text after it.
  bool wordEnded() const { return pos >= text.size() || isBlank(text[pos]) || text[pos] == '#'; }

  static bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

 private:
  void skipBlanks() {
    while (pos < text.size() && isBlank(text[pos])) ++pos;
  }
  std::string text;  // own copy: strtod needs the terminating zero
  std::size_t pos = 0;
};

// Next line of a line-based section, blank lines and "#" comment lines (indented or not)
// skipped; false at the end of the file. `line` receives its line number.
bool nextRecordLine(TextInput& in, std::string_view& text, int& line) {
  while (true) {
    in.skipBlankLines();  // leaves the line whole, blanks before its first character included
    if (in.atEnd()) return false;
    line = in.line();
    text = in.restOfLine();
    if (text[text.find_first_not_of(" \t\r\v\f")] != '#') return true;  // the line holds a non-blank
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------
// Nodes file

int read_node_file(const char* path, std::vector<placeCell>& cells, NetNames* names) {
  TextInput in;
  openOrExit(in, path);
  std::printf("read %s\n", path);
  cells.clear();
  if (names) names->clear();
  long long announced = 0;  // "NumNodes"; records beyond it are not stored
  int countLine = 0;        // where "NumNodes" stands; 0: not yet
  long long records = 0;
  int oNodeCount = 0;
  bool terminalsStarted = false;  // a p-node has been stored
  bool lastStored = false;
  while (true) {
    const std::string_view w = in.word();
    if (w.empty()) break;
    if (w[0] == '#') {
      in.restOfLine();
    } else if (w == "NumNodes") {
      const auto second = [&] { in.fail(format("a second \"NumNodes\" line; the first is line %d", countLine)); };
      if (countLine > 0) second();
      countLine = in.line();
      // The two count lines may have comment lines between them.
      in.requireDataWord("\":\" after NumNodes");
      const int n = in.requireDataInt("the node count");
      if (n < 0) in.fail(format("node count %d is negative", n));
      // A second "NumNodes" line here would pass for the terminal count.
      if (in.requireDataWord("the terminal-count keyword") == "NumNodes") second();
      in.requireDataWord("\":\" after the terminal-count keyword");
      in.requireDataInt("the terminal count");
      announced = n;
    } else if (w[0] == 'o' || w[0] == 'p' || w[0] == 'A') {
      const int line = in.line();
      const std::string name(w);
      const int width = in.requireInt("a node width");
      const int height = in.requireInt("a node height");
      if (width < 0 || height < 0)
        in.failAt(line, format("node %s has a negative size %d x %d", quoted(name).c_str(), width, height));
      // The movement word ("terminal", "terminal_NI") may follow the size, a further number not.
      refuseNumberAfter(in, line, in.restOfLineAhead(), "the size", name);
      const long long position = records++;
      const bool isO = name[0] != 'p';
      lastStored = position < announced;
      if (lastStored) {
        // The other readers find nodes by the numbering rule, so each record must stand
        // where its name puts it.
        long long k = -1;
        const bool numbered =
            name[0] == 'p' || name[0] == 'o' ? numberAt(name, 1, k) : numberAt(name, name.find('o') + 1, k);
        const long long expected = isO ? position : position - oNodeCount;
        if ((isO && terminalsStarted) || !numbered || k != expected)
          in.failAt(line, format("node %s is record %lld of the file; nodes must be listed as o0, o1, ... "
                                 "(or A...o0, A...o1, ...) and then p0, p1, ...",
                                 quoted(name).c_str(), position));
        placeCell c;
        c.index = int(position);
        c.width = width;
        c.height = height;
        cells.push_back(std::move(c));
        if (names) names->add(name);
        terminalsStarted = terminalsStarted || !isO;
      }
      if (isO) ++oNodeCount;
    } else if (w == "terminal" || w == "terminal_NI") {
      if (records == 0) in.fail(format("%s before any node record", quoted(w).c_str()));
      refuseNumberAfter(in, in.line(), in.restOfLineAhead(), w == "terminal" ? "\"terminal\"" : "\"terminal_NI\"");
      if (lastStored) cells.back().terminalType = w == "terminal" ? 1 : 2;
    }
    // Any other word (the header, for instance) is ignored on its own.
  }
  if (records != announced) reportInconsistency("Parser", 659);
  return oNodeCount;
}

// ---------------------------------------------------------------------------------------
// Shapes file

void read_shape_file(const char* path, std::vector<placeCell>& cells) {
  TextInput in;
  openOrExit(in, path);
  std::printf("read %s\n", path);
  int announced = 0, countLine = 0;  // "NumNonRectangularNodes"
  int records = 0;
  // The last node record, for naming it when more rectangle lines follow than it announced.
  std::string recordName;
  int recordLine = 0, recordRects = 0;
  // The last record of a node whose name gives no position ("x5 : 1"): dropped, but when
  // rectangle lines follow it they are its, and the record is what is wrong.
  std::string unknownName;
  int unknownLine = 0;
  while (true) {
    const std::string_view w = in.word();
    if (w.empty()) break;
    if (w == "NumNonRectangularNodes") {
      if (countLine > 0) in.fail(format("a second \"NumNonRectangularNodes\" line; the first is line %d", countLine));
      countLine = in.line();
      in.requireWord("\":\" after NumNonRectangularNodes");
      announced = in.requireInt("the non-rectangular node count");
    } else if (w[0] == 'o' || w[0] == 'A' || w[0] == 'p') {
      const int line = in.line();
      // A p-node (a terminal) blocks nothing: its record is read and dropped.
      placeCell* cell = w[0] == 'p' ? nullptr : &namedNode(in, line, cells, w, 0);
      ++records;
      in.requireWord("\":\" after the node name");
      const int m = in.requireInt("the rectangle count");
      if (m < 0) in.failAt(line, format("rectangle count %d is negative", m));
      in.restOfLine();
      recordName = std::string(w), recordLine = line, recordRects = m;
      std::vector<shape> rects;
      for (int j = 0; j < m; ++j) {
        std::string_view text;
        int at = 0;
        if (!nextRecordLine(in, text, at))
          in.fail(format("unexpected end of file, expected rectangle %d of %d", j + 1, m));
        LineScan s(text);
        shape r;
        s.word();  // the rectangle's name
        if (!s.integer(r.x) || !s.integer(r.y) || !s.integer(r.width) || !s.integer(r.height) || !s.wordEnded())
          in.failAt(at, "expected a rectangle name and four integers (x y width height)");
        refuseNumberAfter(in, at, s.rest(), "the rectangle's height");
        if (r.width < 0 || r.height < 0)
          in.failAt(at, format("rectangle has a negative size %d x %d", r.width, r.height));
        rects.push_back(r);
      }
      if (cell) cell->shapes = std::move(rects);  // a node listed again keeps its last list
    } else {
      // Comments and the header are discarded; a rectangle line here (a name and four
      // numbers) lies beyond its record's count, and its node would block less than it covers.
      const int line = in.line();
      const std::string name(w);
      LineScan s(in.restOfLine());
      double v = 0.0;
      int m = 0;
      if (name[0] != '#' && s.literal(":") && s.integer(m)) {
        unknownName = name, unknownLine = line;
      } else if (name[0] != '#' && s.number(v) && s.number(v) && s.number(v) && s.number(v)) {
        if (unknownLine > recordLine)
          in.failAt(unknownLine, format("node %s is not in the nodes file", quoted(unknownName).c_str()));
        if (recordLine == 0)
          in.failAt(line, format("rectangle %s stands before any node record", quoted(name).c_str()));
        in.failAt(line, format("rectangle %s follows the %d rectangles that line %d announces for node %s",
                               quoted(name).c_str(), recordRects, recordLine, quoted(recordName).c_str()));
      }
    }
  }
  if (records < announced)
    in.fail(format("the file ends after %d of the %d non-rectangular nodes that line %d announces", records, announced,
                   countLine));
}

// ---------------------------------------------------------------------------------------
// Placement file

void read_place_file(const char* path, std::vector<placeCell>& cells, int oNodeCount) {
  TextInput in;
  openOrExit(in, path);
  std::printf("read %s\n", path);
  while (true) {
    const std::string_view w = in.word();
    if (w.empty()) break;
    if (w[0] == 'o' || w[0] == 'p' || w[0] == 'A') {
      const int line = in.line();
      placeCell& cell = namedNode(in, line, cells, w, oNodeCount);
      if (cell.placeLine > 0)
        in.failAt(line, format("node %s was placed by line %d already", quoted(w).c_str(), cell.placeLine));
      cell.placeLine = line;
      double v[2];
      for (double& c : v) {
        const std::string_view t = in.requireWord("a node coordinate");
        if (!parseDouble(t, c) || !(c > -2147483649.0 && c < 2147483648.0))
          in.fail(format("expected a node coordinate, found %s", quoted(t).c_str()));
      }
      cell.x = int(v[0]);  // truncation toward zero
      cell.y = int(v[1]);
    } else if (double number = 0.0; parseDouble(w, number)) {
      // Coordinates without a name: the node they were meant for would stay where it was.
      in.fail(format("expected a node name before the coordinates, found %s", quoted(w).c_str()));
    }
    // The rest of a node line (orientation, /FIXED), comments and the header.
    in.restOfLine();
  }
}

// ---------------------------------------------------------------------------------------
// Route file

namespace {

// The route file's section keywords; each may appear once.
constexpr std::string_view kRouteKeywords[] = {"Grid",           "VerticalCapacity", "HorizontalCapacity",
                                               "MinWireWidth",   "MinWireSpacing",   "ViaSpacing",
                                               "GridOrigin",     "TileSize",         "BlockagePorosity",
                                               "NumNiTerminals", "NumBlockageNodes", "NumEdgeCapacityAdjustments"};

struct RouteReader {
  TextInput& in;
  std::vector<placeCell>& cells;
  NetDB& db;
  const parameterSet& params;
  int oNodeCount;
  bool gridSeen = false;
  int spacingLine = 0;  // where the pitches are complete
  // Where the capacities are, for the tracks-per-edge limit.
  int verticalLine = 0, horizontalLine = 0;
  // The record section just read, for naming it when more records follow than it announced.
  std::string_view recordsKeyword = {};
  int recordsCount = 0, recordsLine = 0;

  void requireGrid(std::string_view keyword) {
    if (!gridSeen) in.fail(format("%s before \"Grid\"", quoted(keyword).c_str()));
  }
  int layer(int l, const char* what) {
    if (l < 1 || l > db.numLayers) in.fail(format("%s %d is outside 1..%d", what, l, db.numLayers));
    return l - 1;
  }

  void grid() {
    const int x = in.requireInt("the grid width"), y = in.requireInt("the grid height");
    const int L = in.requireInt("the layer count");
    if (x < 1 || y < 1) in.fail(format("grid size %d x %d is below 1 x 1", x, y));
    if (std::int64_t(x) * y > INT_MAX) in.fail(format("grid %d x %d has too many tiles", x, y));
    if (L < 1 || L > kMaxLayers) in.fail(format("layer count %d is outside 1..%d", L, kMaxLayers));
    checkGridFits(in, in.line(), x, y, L, params.optimization3DIteration != 0);
    db.gridX = x, db.gridY = y, db.numLayers = L;
    for (auto* v : {&db.verticalCapacity, &db.horizontalCapacity, &db.minWireWidth, &db.minWireSpacing, &db.viaSpacing,
                    &db.wirePitch, &db.verticalTracks, &db.horizontalTracks})
      v->resize(std::size_t(L), 0);
    gridSeen = true;
  }

  void layerList(std::string_view keyword, std::vector<int>& out) {
    requireGrid(keyword);
    for (int i = 0; i < db.numLayers; ++i) {
      const int v = in.requireInt("a per-layer value");
      if (v < 0) in.fail(format("%s of layer %d is negative (%d)", std::string(keyword).c_str(), i + 1, v));
      out[std::size_t(i)] = v;
    }
  }

  // The record count of a section; sections need the grid for their layer checks.
  int sectionCount(std::string_view keyword) {
    requireGrid(keyword);
    recordsLine = in.line();
    const int n = in.requireInt("a record count");
    if (n < 0) in.fail(format("%s count %d is negative", std::string(keyword).c_str(), n));
    recordsKeyword = keyword;
    recordsCount = n;
    return n;
  }

  void terminals() {
    const int n = sectionCount("NumNiTerminals");
    in.restOfLine();
    for (int t = 0; t < n; ++t) {
      std::string_view text;
      int line = 0;
      if (!nextRecordLine(in, text, line))
        in.fail(format("unexpected end of file, expected terminal %d of %d", t + 1, n));
      LineScan s(text);
      const std::string_view name = s.word();
      long long k = -1;
      int l = 0;
      if (name[0] != 'p' || !numberAt(name, 1, k) || !s.integer(l) || !s.wordEnded())
        in.failAt(line, "expected a terminal line \"p<number> <layer>\"");
      refuseNumberAfter(in, line, s.rest(), "the terminal's layer");
      placeCell& cell = namedNode(in, line, cells, name, oNodeCount);
      if (l < 1 || l > db.numLayers) in.failAt(line, format("terminal layer %d is outside 1..%d", l, db.numLayers));
      cell.pinLayer = l - 1;
    }
  }

  void blockages() {
    const int n = sectionCount("NumBlockageNodes");
    in.restOfLine();
    for (int b = 0; b < n; ++b) {
      const std::string_view name = in.requireDataWord("a blockage node name");
      const int line = in.line();
      const bool known = name[0] == 'o' || name[0] == 'A';
      if (!known) std::printf("fail in route  %.*s\n", int(name.size()), name.data());
      placeCell* cell = known ? &namedNode(in, line, cells, name, oNodeCount) : nullptr;
      const int m = in.requireDataInt("the blocked layer count");
      if (m < 0) in.fail(format("blocked layer count %d is negative", m));
      std::vector<int> layers;
      for (int j = 0; j < m; ++j) layers.push_back(layer(in.requireDataInt("a blocked layer"), "blocked layer"));
      if (cell) cell->blockedLayers = std::move(layers);  // a later record replaces an earlier one
    }
  }

  void adjustments() {
    const int n = sectionCount("NumEdgeCapacityAdjustments");
    for (int a = 0; a < n; ++a) {
      int v[7];
      for (int& f : v) f = in.requireDataInt("an adjustment field (x1 y1 layer1 x2 y2 layer2 capacity)");
      const int x1 = v[0], y1 = v[1], x2 = v[3], y2 = v[4], cap = v[6];
      const int z = layer(v[2], "adjustment layer");
      layer(v[5], "adjustment layer");
      const bool inGrid =
          x1 >= 0 && x1 < db.gridX && y1 >= 0 && y1 < db.gridY && x2 >= 0 && x2 < db.gridX && y2 >= 0 && y2 < db.gridY;
      const std::int64_t manhattan = std::llabs(std::int64_t(x1) - x2) + std::llabs(std::int64_t(y1) - y2);
      if (!inGrid || manhattan != 1)
        in.fail(format("adjustment (%d,%d)-(%d,%d) is not a pair of neighbouring tiles of the grid", x1, y1, x2, y2));
      // Only l1 would be read: an adjustment across layers is no edge, and evaluators refuse it.
      if (v[2] != v[5])
        in.fail(format("adjustment (%d,%d,%d)-(%d,%d,%d) is not an edge of one layer", x1, y1, v[2], x2, y2, v[5]));
      if (cap < 0) in.fail(format("adjusted capacity %d is negative", cap));
      const std::int64_t pitch = std::int64_t(db.minWireWidth[std::size_t(z)]) + db.minWireSpacing[std::size_t(z)];
      if (pitch < 1) in.fail(format("adjustment on layer %d, whose width plus spacing is not yet at least 1", z + 1));
      checkAdjustedTracks(in, cap, pitch);
      const bool vertical = x1 == x2;
      const RPoint e = vertical ? RPoint(x1, std::min(y1, y2), z, 0) : RPoint(std::min(x1, x2), y1, z, 1);
      const int layerDefault = vertical ? db.verticalCapacity[std::size_t(z)] : db.horizontalCapacity[std::size_t(z)];
      if (cap == layerDefault) continue;
      db.adjEdges.push_back(e);
      db.adjCapacity.push_back(int(cap / pitch));
    }
  }

  // Pitches and track counts of the layers read.
  void finish() {
    if (!gridSeen) in.fail("no \"Grid\" line in the file");
    if (db.tileWidth < 1 || db.tileHeight < 1)
      in.fail(format("tile size %d x %d is below 1 (is \"TileSize\" missing?)", db.tileWidth, db.tileHeight));
    deriveTrackCounts(db, in, spacingLine, verticalLine, horizontalLine);
  }
};

}  // namespace

void read_route_file(const char* path, std::vector<placeCell>& cells, NetDB& db, const parameterSet& params,
                     int oNodeCount) {
  TextInput in;
  openOrExit(in, path);
  std::printf("read %s\n", path);
  RouteReader r{in, cells, db, params, oNodeCount};
  int keywordLine[std::size(kRouteKeywords)] = {};  // where each section began; 0: not yet
  while (true) {
    const std::string_view w = in.word();
    if (w.empty()) break;
    if (w[0] == '#') {
      in.restOfLine();
      continue;
    }
    const auto* k = std::find(std::begin(kRouteKeywords), std::end(kRouteKeywords), w);
    if (k == std::end(kRouteKeywords)) {
      // A line without a keyword is discarded (headers such as "UCLA route 1.0" or "route 1",
      // closing remarks), unless dropping it loses data: a line "Word : ..." or "Word <integers>"
      // is a misspelt keyword whose section would vanish, and a line that starts with a number or
      // a node name is a record beyond its section's count.
      const int line = in.line();
      LineScan s(in.restOfLine());
      long long number = 0;
      const bool recordLike =
          numberAt(w, 0, number) || ((w[0] == 'o' || w[0] == 'p' || w[0] == 'A') && namedPosition(w, 0) >= 0);
      bool keywordLike = w.find(':') != std::string_view::npos || s.literal(":");
      if (!keywordLike && !recordLike && w != "route" && !s.onlyCommentLeft()) {
        keywordLike = true;
        for (int value = 0; keywordLike && !s.onlyCommentLeft();) keywordLike = s.integer(value);
      }
      if (!keywordLike && !recordLike) continue;
      const std::string what = format("%s is not a keyword of the route file", quoted(w).c_str());
      if (keywordLike || r.recordsKeyword.empty()) in.failAt(line, what);
      in.failAt(line, format("%s, and the %d records that %s announces at line %d end before it", what.c_str(),
                             r.recordsCount, quoted(r.recordsKeyword).c_str(), r.recordsLine));
    }
    r.recordsKeyword = {};
    int& first = keywordLine[k - std::begin(kRouteKeywords)];
    if (first > 0) in.fail(format("a second %s line; the first is line %d", quoted(w).c_str(), first));
    first = in.line();
    in.requireWord(format("\":\" after %.*s", int(w.size()), w.data()).c_str());
    if (w == "Grid") {
      r.grid();
    } else if (w == "VerticalCapacity") {
      r.verticalLine = first;
      r.layerList(w, db.verticalCapacity);
    } else if (w == "HorizontalCapacity") {
      r.horizontalLine = first;
      r.layerList(w, db.horizontalCapacity);
    } else if (w == "MinWireWidth") {
      r.layerList(w, db.minWireWidth);
    } else if (w == "MinWireSpacing") {
      r.layerList(w, db.minWireSpacing);
      r.spacingLine = in.line();
    } else if (w == "ViaSpacing") {
      r.layerList(w, db.viaSpacing);
    } else if (w == "GridOrigin") {
      db.originX = in.requireInt("the grid origin x");
      db.originY = in.requireInt("the grid origin y");
    } else if (w == "TileSize") {
      db.tileWidth = in.requireInt("the tile width");
      db.tileHeight = in.requireInt("the tile height");
      if (db.tileWidth < 1 || db.tileHeight < 1)
        in.fail(format("tile size %d x %d is below 1", db.tileWidth, db.tileHeight));
    } else if (w == "BlockagePorosity") {
      const std::string_view t = in.requireWord("the blockage porosity");
      if (!parseDouble(t, db.blockagePorosity))
        in.fail(format("expected the blockage porosity, found %s", quoted(t).c_str()));
    } else if (w == "NumNiTerminals") {
      r.terminals();
    } else if (w == "NumBlockageNodes") {
      r.blockages();
    } else {
      r.adjustments();
    }
  }
  r.finish();
  // Grid, GridOrigin and TileSize may stand in any order: the last of them places the last tile.
  const auto lineOf = [&keywordLine](std::string_view keyword) {
    return keywordLine[std::find(std::begin(kRouteKeywords), std::end(kRouteKeywords), keyword) -
                       std::begin(kRouteKeywords)];
  };
  checkLastTileCorner(in, std::max({lineOf("Grid"), lineOf("GridOrigin"), lineOf("TileSize")}), db.gridX, db.gridY,
                      db.originX, db.originY, db.tileWidth, db.tileHeight);
}

// ---------------------------------------------------------------------------------------
// Nets file

namespace {

struct NetReader {
  TextInput& in;
  std::vector<placeCell>& cells;
  NetDB& db;
  const parameterSet& params;
  int oNodeCount;
  Net current;
  PinSet seen3D, seen2D;
  std::string name;  // of the net being read
  NameLines names;

  std::string_view recordLine(int& line, const char* what) {
    std::string_view text;
    if (!nextRecordLine(in, text, line)) in.fail(format("unexpected end of file, expected %s", what));
    return text;
  }

  // The rest of a pin line after its node name: "<direction> : <x offset> <y offset>", offsets
  // from the node's centre, or the direction alone (nothing but a comment after it), which puts
  // the pin at the centre. False for any other form; what follows the offsets is left in `s`.
  static bool pinOffsets(LineScan& s, double& dx, double& dy) {
    char direction = 0;
    if (!s.character(direction)) return false;
    return s.onlyCommentLeft() || (s.literal(":") && s.number(dx) && s.number(dy));
  }

  // Tile and layer of one pin line into `out`. False for a pin of a node that no placement line
  // placed: it has no position, and Input_DAC refuses the set once the nets are read.
  bool pin(std::string_view text, int line, Point& out) {
    LineScan s(text);
    const std::string_view name = s.word();
    placeCell& cell = namedNode(in, line, cells, name, oNodeCount);
    double dx = 0.0, dy = 0.0;
    if (!pinOffsets(s, dx, dy)) in.failAt(line, "expected a pin line \"<node> <direction> : <x offset> <y offset>\"");
    refuseNumberAfter(in, line, s.rest(), "the pin's offsets");
    if (cell.placeLine == 0) {
      cell.unplacedPins = true;
      return false;
    }
    // Sums in double precision in this order; the node's corner plus the truncated offset.
    const double ox = (dx + 0.5) + cell.width * 0.5;
    const double oy = (dy + 0.5) + cell.height * 0.5;
    if (!(std::fabs(ox) < 1e15 && std::fabs(oy) < 1e15)) in.failAt(line, "pin offset out of range");
    const std::int64_t px = cell.x + std::int64_t(ox);
    const std::int64_t py = cell.y + std::int64_t(oy);
    const std::int64_t tx = (px - db.originX) / db.tileWidth;  // truncation toward zero
    const std::int64_t ty = (py - db.originY) / db.tileHeight;
    if (tx < 0 || tx >= db.gridX || ty < 0 || ty >= db.gridY)
      in.failAt(line, format("pin of node %s at (%lld, %lld) lies outside the %d x %d grid", quoted(name).c_str(),
                             (long long)px, (long long)py, db.gridX, db.gridY));
    out = Point(int(tx), int(ty), cell.pinLayer);
    return true;
  }

  void net() {
    int line = 0;
    const std::string_view header = recordLine(line, "a \"NetDegree\" line");
    LineScan s(header);
    int degree = 0, id = 0;
    const bool degreeRead = s.literal("NetDegree") && s.literal(":") && s.integer(degree);
    const std::size_t nameStart = s.mark();
    if (!(degreeRead && s.literal("n") && s.integer(id) && s.wordEnded()))
      in.failAt(line, "expected a net header \"NetDegree : <degree> n<number>\"");
    // The net's name as written, without the blanks the header allows after the "n".
    name.clear();
    for (const char c : s.since(nameStart))
      if (!LineScan::isBlank(c)) name.push_back(c);
    refuseNumberAfter(in, line, s.rest(), "the net name");
    if (const int first = names.firstLine(name, line))
      in.failAt(line, format("net name %s was given to the net of line %d already", quoted(name).c_str(), first));
    if (degree < 0) in.failAt(line, format("net degree %d is negative", degree));
    current.id = id;
    current.pins2D.clear();
    current.pins3D.clear();
    seen3D.clear();
    seen2D.clear();
    for (int p = 0; p < degree; ++p) {
      const std::string_view text = recordLine(line, "a pin line");
      Point pt;
      if (!pin(text, line, pt)) continue;
      const std::uint64_t tile = std::uint64_t(pt.x) * std::uint64_t(db.gridY) + std::uint64_t(pt.y);
      if (!seen3D.insert(tile * std::uint64_t(kMaxLayers + 1) + std::uint64_t(pt.z))) {
        ++db.repeatPinCount[std::size_t(pt.x)][std::size_t(pt.y)];
        continue;
      }
      current.pins3D.push_back(pt);
      if (seen2D.insert(tile)) current.pins2D.push_back(pt);
      ++db.pinCount[std::size_t(pt.x)][std::size_t(pt.y)];
    }
    // Dropped nets leave no entry; their pins stay counted.
    const bool tooMany = current.pins3D.size() > std::size_t(params.ignoredNetThreshold);
    if (!tooMany && current.pins2D.size() > 1) {
      db.nets.push_back(current);
      db.netNames.add(name);
    }
  }
};

}  // namespace

void read_net_file(const char* path, std::vector<placeCell>& cells, NetDB& db, parameterSet& params, int oNodeCount) {
  TextInput in;
  openOrExit(in, path);
  std::printf("read %s\n", path);
  db.repeatPinCount.assign(std::size_t(db.gridX), std::vector<int>(std::size_t(db.gridY), 0));
  db.pinCount.assign(std::size_t(db.gridX), std::vector<int>(std::size_t(db.gridY), 0));
  db.nets.clear();
  db.netNames.clear();
  NetReader r{in, cells, db, params, oNodeCount, Net(), PinSet(), PinSet(), std::string(), NameLines()};
  int netCount = -1, countLine = 0;
  bool netsRead = false;
  while (true) {
    const std::string_view w = in.word();
    if (w.empty()) break;
    if (netsRead && w[0] != '#') {
      // Text after the nets (an "END" line, say) is discarded; a further net or pin would be
      // lost with it.
      const int line = in.line();
      const std::string word(w);
      LineScan s(in.restOfLine());
      const bool keyword =
          word.rfind("NetDegree", 0) == 0 || word.rfind("NumNets", 0) == 0 || word.rfind("NumPins", 0) == 0;
      const long long node = namedPosition(word, oNodeCount);
      double dx = 0.0, dy = 0.0;
      const bool pinLine = node >= 0 && node < static_cast<long long>(cells.size()) && NetReader::pinOffsets(s, dx, dy);
      if (keyword)
        in.failAt(line, format("%s follows the %d nets that line %d announces; a net beyond the count would be lost",
                               quoted(word).c_str(), netCount, countLine));
      if (pinLine)
        in.failAt(line, format("a pin line of node %s follows the %d nets that line %d announces; a pin beyond the "
                               "last net's degree would be lost",
                               quoted(word).c_str(), netCount, countLine));
    } else if (w == "NumNets") {
      if (netCount >= 0) in.fail("a second \"NumNets\" line");
      countLine = in.line();
      in.requireWord("\":\" after NumNets");
      netCount = in.requireInt("the net count");
      if (netCount < 0) in.fail(format("net count %d is negative", netCount));
    } else if (w == "NumPins") {
      if (netCount < 0) in.fail("\"NumPins\" before \"NumNets\"");
      in.requireWord("\":\" after NumPins");
      in.requireInt("the pin count");
      in.restOfLine();
      for (int n = 0; n < netCount; ++n) r.net();
      netsRead = true;
    } else {
      in.restOfLine();  // comments and the header
    }
  }
  if (!netsRead) in.fail("no \"NumNets\" and \"NumPins\" lines before the end of the file");
}

// ---------------------------------------------------------------------------------------
// The set

namespace {

// A node that a pin or a blockage needs and that no placement line placed would sit at (0, 0);
// nodes that nothing uses may stay unplaced.
void requirePlaced(const char* plPath, const std::vector<placeCell>& cells, const NetNames& names) {
  const placeCell* first = nullptr;
  int more = 0;
  for (const placeCell& c : cells) {
    if (!c.unplacedPins && (c.placeLine > 0 || c.blockedLayers.empty())) continue;
    if (first) {
      ++more;
    } else {
      first = &c;
    }
  }
  if (!first) return;
  const std::string others = more == 0   ? std::string()
                             : more == 1 ? "; 1 more used node is not placed either"
                                         : format("; %d more used nodes are not placed either", more);
  fatalError(plPath,
             format("node %s is not placed, but %s uses it%s", quoted(names[std::size_t(first - cells.data())]).c_str(),
                    first->unplacedPins ? "a net's pin" : "a blockage", others.c_str()));
}

}  // namespace

BookshelfFiles readAuxFile(const char* auxPath) {
  TextInput aux;
  openOrExit(aux, auxPath);
  // Words 3, 4, 8 and 9 name the nodes, nets, shapes and route files; the others (the set's
  // kind, ":", weights, placement and rows) are not read. "#" comments are skipped.
  std::string words[9];
  for (int i = 0; i < 9; ++i) {
    words[i] = std::string(aux.dataWord());
    if (words[i].empty())
      fatalError(auxPath, format("expected 9 words (kind, \":\", nodes, nets, weights, placement, rows, shapes "
                                 "and route files), found %d",
                                 i));
  }
  const std::string aux_(auxPath);
  const std::size_t slash = aux_.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : aux_.substr(0, slash + 1);
  return {dir + words[2], dir + words[3], dir + words[7], dir + words[8]};
}

void Input_DAC(const char* auxPath, const char* plPath, NetDB& db, parameterSet& params) {
  Input_DAC(readAuxFile(auxPath), plPath, db, params);
}

void Input_DAC(const BookshelfFiles& files, const char* plPath, NetDB& db, parameterSet& params) {
  std::vector<placeCell> cells;
  NetNames nodeNames;
  const int oNodeCount = read_node_file(files.nodes.c_str(), cells, &nodeNames);
  read_shape_file(files.shapes.c_str(), cells);
  read_route_file(files.route.c_str(), cells, db, params, oNodeCount);
  read_place_file(plPath, cells, oNodeCount);
  read_net_file(files.nets.c_str(), cells, db, params, oNodeCount);
  requirePlaced(plPath, cells, nodeNames);
  int netId = 0;
  if (const char* dir = unusedDirection(db, netId))
    fatalError(files.route, format("no layer has %s capacity, but net %d needs a %s wire", dir, netId, dir));
  adjust_capacity(cells, db);
}

// ---------------------------------------------------------------------------------------
// Self-check

namespace {

// Edge and layer, for finding an edge's first adjustment.
bool sameEdgeBefore(const RPoint& a, const RPoint& b) {
  if (a.x != b.x) return a.x < b.x;
  if (a.y != b.y) return a.y < b.y;
  if (a.z != b.z) return a.z < b.z;
  return a.hori < b.hori;
}

}  // namespace

void compareAdjustments(const NetDB& real, const NetDB& read) {
  // Adjustment indices of `read` sorted by edge, then by index: the first of a run of equal
  // edges is the edge's first adjustment.
  std::vector<std::size_t> order(read.adjEdges.size());
  for (std::size_t j = 0; j < order.size(); ++j) order[j] = j;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    const RPoint& ea = read.adjEdges[a];
    const RPoint& eb = read.adjEdges[b];
    if (sameEdgeBefore(ea, eb)) return true;
    if (sameEdgeBefore(eb, ea)) return false;
    return a < b;
  });
  for (std::size_t i = 0; i < real.adjEdges.size(); ++i) {
    const RPoint& e = real.adjEdges[i];
    const auto it = std::lower_bound(order.begin(), order.end(), e, [&](std::size_t j, const RPoint& key) {
      return sameEdgeBefore(read.adjEdges[j], key);
    });
    int readValue = 0;
    const RPoint* found = it != order.end() ? &read.adjEdges[*it] : nullptr;
    if (found && !sameEdgeBefore(e, *found)) {
      readValue = read.adjCapacity[*it];
    } else if (e.z >= 0 && e.z < read.numLayers) {
      // Not adjusted in the set: the edge keeps its layer's track count there.
      const std::size_t z = std::size_t(e.z);
      readValue = e.hori == 0 ? read.verticalTracks[z] : read.horizontalTracks[z];
    }
    if (readValue != real.adjCapacity[i])
      std::printf("x=%d y=%d z=%d hori=%d realValue=%d readValue=%d\n", e.x, e.y, e.z, e.hori, real.adjCapacity[i],
                  readValue);
  }
}
