#include "ProblemFile.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>

#include "Parser.h"
#include "TextInput.h"
#include "db/Report.h"

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Words of one line already read whole.
struct LineWords {
  std::string_view line;
  std::size_t p = 0;
  std::string_view next() {
    while (p < line.size() && isBlank(line[p])) ++p;
    const std::size_t s = p;
    while (p < line.size() && !isBlank(line[p])) ++p;
    return line.substr(s, p - s);
  }
};

bool sameWordIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// Reads the next line that is not blank, whole, as the given leading words followed by `count`
// integers; a further number on the line would be lost, so it ends the run. Returns the line's
// number, for complaints about the values.
int parseLineInts(TextInput& in, std::initializer_list<const char*> words, int* values, int count, const char* what) {
  in.skipBlankLines();
  const int lineNo = in.line();
  LineWords line{in.restOfLine()};
  for (const char* w : words)
    if (line.next() != w) in.failAt(lineNo, format("expected %s", what));
  for (int i = 0; i < count; ++i)
    if (!parseInt(line.next(), values[i])) in.failAt(lineNo, format("expected %s", what));
  if (const std::string_view extra = numberInTail(line.line.substr(line.p)); !extra.empty())
    in.failAt(lineNo, format("expected %s, found the further value %s", what, quoted(extra).c_str()));
  return lineNo;
}

}  // namespace

int ProblemFile::grid() {
  int v[3];
  const int line = parseLineInts(in, {"grid"}, v, 3, "\"grid\" and three integers");
  gridX = v[0], gridY = v[1], layers = v[2];
  if (gridX < 1 || gridY < 1) in.failAt(line, format("grid size %d x %d is below 1 x 1", gridX, gridY));
  if (std::int64_t(gridX) * gridY > INT_MAX) in.failAt(line, format("grid %d x %d has too many tiles", gridX, gridY));
  if (layers < 1 || layers > kMaxLayers) in.failAt(line, format("layer count %d is outside 1..%d", layers, kMaxLayers));
  return line;
}

// The lists are known by their words, whatever their case: a list out of place or missing would
// shift every later one, so words other than the expected ones end the run.
int ProblemFile::layerList(std::vector<int>& out, const char* first, const char* second) {
  const std::string what = std::string(first) + " " + second;
  const std::string_view w1 = in.requireWord(what.c_str());
  const int line = in.line();
  const std::string_view w2 = in.requireWord(what.c_str());
  if (!sameWordIgnoringCase(w1, first) || !sameWordIgnoringCase(w2, second))
    in.failAt(line, format("expected the per-layer list %s, found %s", quoted(what).c_str(),
                           quoted(std::string(w1) + " " + std::string(w2)).c_str()));
  for (int i = 0; i < layers; ++i) {
    const int v = in.requireInt(what.c_str());
    if (v < 0) in.fail(format("%s of layer %d is negative (%d)", what.c_str(), i + 1, v));
    out[std::size_t(i)] = v;
  }
  return line;
}

int ProblemFile::origin() {
  in.restOfLine();  // of the via spacing list
  int v[4];
  const int line = parseLineInts(in, {}, v, 4, "the grid origin and tile size (four integers)");
  originX = v[0], originY = v[1], tileWidth = v[2], tileHeight = v[3];
  if (tileWidth < 1 || tileHeight < 1) in.failAt(line, format("tile size %d x %d is below 1", tileWidth, tileHeight));
  checkLastTileCorner(in, line, gridX, gridY, originX, originY, tileWidth, tileHeight);
  return line;
}

void ProblemFile::netCountLine() {
  const int line = parseLineInts(in, {"num", "net"}, &netCount, 1, "\"num net\" and the net count");
  if (netCount < 0) in.failAt(line, format("net count %d is negative", netCount));
}

GrNetHeader ProblemFile::netHeader() {
  GrNetHeader h;
  h.name = in.requireWord("a net name");
  // The header's four fields share one line, so a short net list cannot swallow what follows.
  h.line = in.line();
  auto headerInt = [&](const char* what) {
    if (in.lineExhausted())
      in.failAt(h.line, format("net header ends before %s; a net header is one line of name, id, pin count "
                               "and minimum width (%d nets announced)",
                               what, netCount));
    return in.requireInt(what);
  };
  h.id = headerInt("the net id");
  h.pins = headerInt("the pin count");
  if (h.pins < 0) in.fail(format("pin count %d is negative", h.pins));
  headerInt("the net's minimum width");
  // The rest of the header (a layer range and weight, a comment) is not used. A number there is
  // a record run onto the header line: a pin, or the adjustment count and first adjustment
  // read as a net when fewer nets follow than announced.
  if (const std::string_view extra = numberInTail(in.restOfLine()); !extra.empty())
    in.failAt(h.line, format("the number %s follows the net header (name, id, pin count, minimum width) on "
                             "its line; a pin or any other record starts a line of its own (%d nets announced)",
                             quoted(extra).c_str(), netCount));
  if (const int first = names.firstLine(h.name, h.line))
    in.failAt(h.line, format("net name %s was given to the net of line %d already", quoted(h.name).c_str(), first));
  return h;
}

GrPin ProblemFile::pin() {
  const int x = in.requireInt("a pin's x coordinate");
  const int y = in.requireInt("a pin's y coordinate");
  const int layer = in.requireInt("a pin's layer");
  // Truncation toward zero: a pin less than one tile left of or below the origin is in tile 0.
  const std::int64_t tx = (std::int64_t(x) - originX) / tileWidth;
  const std::int64_t ty = (std::int64_t(y) - originY) / tileHeight;
  if (tx < 0 || tx >= gridX || ty < 0 || ty >= gridY)
    in.fail(format("pin (%d, %d) lies outside the %d x %d grid", x, y, gridX, gridY));
  if (layer < 1 || layer > layers) in.fail(format("pin layer %d is outside 1..%d", layer, layers));
  return GrPin{int(tx), int(ty), layer - 1};
}

// The rest of the last pin line is skipped, unless it starts with a number: the adjustment
// count, or the rest of an adjustment after a pin too many, would be lost. With no nets or a
// last net of no pins the count may follow at once.
bool ProblemFile::adjustmentCount(int& count) {
  if (!in.atLineStart()) {
    const int lastPinLine = in.line();
    if (const std::string_view extra = numberInTail(in.restOfLine()); !extra.empty())
      in.failAt(lastPinLine, format("expected no number after the last pin of the last net on its line, found %s; the "
                                    "adjustment count starts a line of its own",
                                    quoted(extra).c_str()));
  }
  in.skipBlankLines();
  if (in.atEnd()) return false;
  adjustmentLine = in.line();
  count = in.requireInt("the capacity adjustment count");
  if (count < 0) in.fail(format("capacity adjustment count %d is negative", count));
  adjustments = count;
  return true;
}

GrAdjustment ProblemFile::adjustment() {
  int v[7];
  static const char* const kWhat[7] = {"an adjustment's x1",      "an adjustment's y1", "an adjustment's layer1",
                                       "an adjustment's x2",      "an adjustment's y2", "an adjustment's layer2",
                                       "an adjustment's capacity"};
  for (int i = 0; i < 7; ++i) v[i] = in.requireInt(kWhat[i]);
  const int x1 = v[0], y1 = v[1], l1 = v[2], x2 = v[3], y2 = v[4], l2 = v[5], cap = v[6];
  if (l1 < 1 || l1 > layers || l2 < 1 || l2 > layers)
    in.fail(format("adjustment layer %d/%d is outside 1..%d", l1, l2, layers));
  if (l1 != l2) in.fail(format("adjustment (%d,%d,%d)-(%d,%d,%d) is not an edge of one layer", x1, y1, l1, x2, y2, l2));
  const bool inGrid = x1 >= 0 && x1 < gridX && y1 >= 0 && y1 < gridY && x2 >= 0 && x2 < gridX && y2 >= 0 && y2 < gridY;
  const std::int64_t manhattan = std::llabs(std::int64_t(x1) - x2) + std::llabs(std::int64_t(y1) - y2);
  if (!inGrid || manhattan != 1)
    in.fail(format("adjustment (%d,%d)-(%d,%d) is not a pair of neighbouring tiles of the grid", x1, y1, x2, y2));
  if (cap < 0) in.fail(format("adjusted capacity %d is negative", cap));
  return GrAdjustment{x1, y1, x2, y2, l1, cap};
}

void ProblemFile::end() {
  in.skipBlankLines();
  if (!in.atEnd())
    in.fail(format("expected the end of the file after the %d capacity adjustments that line %d announces", adjustments,
                   adjustmentLine));
}
