#include "Parser.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <tuple>

#include "NameLines.h"
#include "PinSet.h"
#include "TextInput.h"
#include "db/NetDB.h"
#include "db/Report.h"
#include "db/parameterSet.h"

namespace {

[[noreturn]] void missingFile(const char* path) {
  std::fflush(stdout);
  std::fprintf(stderr, "File %s not exists!\n", path);
  std::exit(1);
}

// A .set value error: the fixed text on standard output, status 1.
[[noreturn]] void settingError(const char* text) {
  std::printf("%s\n", text);
  std::fflush(stdout);
  std::exit(1);
}

// ---------------------------------------------------------------------------------------
// .set file

struct SetReader {
  TextInput& in;

  // The descriptive words and "=" between a key and its value.
  void skipWords(int n) {
    for (int i = 0; i < n; ++i)
      if (in.word().empty()) formatError();
  }
  [[noreturn]] void formatError() { settingError("The format of .set file is wrong"); }
  int intValue(int skipped) {
    skipWords(skipped);
    int v = 0;
    if (!parseInt(in.word(), v)) formatError();
    return v;
  }
  // Yes/yes -> true, No/no -> false, anything else is the switch's error.
  bool yesNo(const char* errorText) {
    skipWords(2);
    const std::string_view w = in.word();
    if (w == "Yes" || w == "yes") return true;
    if (w == "No" || w == "no") return false;
    settingError(errorText);
  }
};

}  // namespace

void Input_Setting(const char* path, NetDB&, parameterSet& params) {
  TextInput in;
  if (!in.open(path)) missingFile(path);
  std::printf("read %s\n", path);
  SetReader r{in};
  while (true) {
    const std::string_view key = in.word();
    if (key.empty()) break;
    if (key[0] == '#') {
      in.restOfLine();
    } else if (key == "Via") {
      const int v = r.intValue(2);
      std::printf("set Via cost = %d\n", v);
      if (v <= 0) settingError("Via cost is out of a reasonable range");
      params.viaCost = v;
    } else if (key == "Pattern") {
      const int v = r.intValue(3);
      std::printf("set Pattern Routing Iteration = %d\n", v);
      if (v <= 0) settingError("Pattern Routing Iteration is out of a reasonable range");
      params.patternIteration = v;
    } else if (key == "Monotonic") {
      const int v = r.intValue(3);
      std::printf("set Monotonic Routing Iteration = %d\n", v);
      if (v < 0) settingError("Monotonic Routing iteration is out of a reasonable range");
      params.monotonicIteration = v;
    } else if (key == "Maze") {
      const int v = r.intValue(3);
      std::printf("set Maze routing iteration = %d\n", v);
      params.mazeIteration = v < 0 ? INT_MAX : v;
    } else if (key == "Overflow") {
      const int v = r.intValue(3);
      std::printf("set Overflow Elimination iteration = %d\n", v);
      if (v < 0) settingError("Overflow Elimination iteration is out of a reasonable range");
      params.overflowElimIteration = v;
    } else if (key == "Post") {
      const int v = r.intValue(3);
      std::printf("set Post routing iteration = %d\n", v);
      if (v < 0) settingError("Post routing iteration is out of a reasonable range");
      params.postRoutingIteration = v;
    } else if (key == "Wirelength") {
      const int v = r.intValue(3);
      std::printf("set Wirelength Optimization Level = %d\n", v);
      if (v < 1 || v > 500) settingError("Wirelength optimization level is out of a reasonable range");
      params.wirelengthParam = 10 * v + 30;
    } else if (key == "3D") {
      const int v = r.intValue(3);
      std::printf("set 3D Optimization Iteration = %d\n", v);
      if (v < 0) settingError("3D Optimization Iteration is out of a reasonable range");
      params.optimization3DIteration = v;
    } else if (key == "Layer") {
      const int v = r.intValue(3);
      if (v < 1 || v > 3) settingError("Layer assignment algorithm is out of a reasonable range");
      std::printf("set Layer assignment algorithm = %d\n", v);
      params.layerAssignAlgo = v;
    } else if (key == "Output") {
      const std::string_view which = in.word();
      if (which == "Routing") {
        params.outputRoutingResult = r.yesNo(" \"Output Routing Result\" should be set to Yes or No");
        std::printf("set Output Routing Result = %s\n", params.outputRoutingResult ? "Yes" : "No");
      } else if (which == "Overflow") {
        params.outputOverflowInfo = r.yesNo(" \"Output Overflow Infomation\" should be set to Yes or No");
        std::printf("set Output Overflow Information = %s\n", params.outputOverflowInfo ? "Yes" : "No");
      } else {
        // A misspelt switch would otherwise be dropped and its setting lost without a word.
        r.formatError();
      }
    } else if (key == "Ignored") {
      const int v = r.intValue(3);
      std::printf("set Ignored net threshold = %d\n", v);
      params.ignoredNetThreshold = v < 0 ? INT_MAX : v;
    } else if (key == "Pin") {
      r.skipWords(3);
      double v = 0.0;
      if (!parseDouble(in.word(), v)) r.formatError();
      // NaN fails the test too. An infinite factor blocks every pin tile's edges fully, as any
      // huge one does: the blockage is capped at the edge's capacity.
      if (!(v >= 0.0)) settingError(" \"Pin Blockage Factor\" should be larger than 0");
      std::printf("set Pin Blockage Factor = %.3lf\n", v);
      params.pinBlockageFactor = v;
    } else {
      r.formatError();
    }
  }
}

// ---------------------------------------------------------------------------------------
// ISPD'08 problem file

namespace {

// Layer assignment stores a layer in 8 signed bits.
constexpr int kMaxLayers = 127;

std::string quoted(std::string_view w) { return "\"" + std::string(w) + "\""; }

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

// Per-layer list: its two words, then one non-negative integer per layer. The lists are known
// by their words, whatever their case: a list out of place or missing would shift every later
// one, so words other than the expected ones end the run. Returns the line of the words.
int readLayerList(TextInput& in, int layers, std::vector<int>& out, const char* first, const char* second) {
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

// Reads the next whole line as the given leading words followed by `count` integers; a further
// number on the line would be lost, so it ends the run. Returns the line's number, for
// complaints about the values.
int parseLineInts(TextInput& in, std::initializer_list<const char*> words, int* values, int count, const char* what) {
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

// Measured on this router with next to no nets: about 220 bytes per tile for the planar
// structures and 16 more per tile and layer; the layered stage adds about 100 per tile and layer
// (its search cells, usage, capacities and prices). The estimate stays below that, so only a grid
// that surely cannot fit in physical memory is refused; any other shortage ends as an allocation failure.
void checkGridFits(TextInput& in, int line, int gridX, int gridY, int layers, bool layeredStage) {
  const double tiles = double(gridX) * double(gridY);
  const double need = tiles * (192.0 + (layeredStage ? 16.0 + 96.0 : 16.0) * layers);
  const long pages = sysconf(_SC_PHYS_PAGES), pageSize = sysconf(_SC_PAGE_SIZE);
  if (pages <= 0 || pageSize <= 0) return;
  const double have = double(pages) * double(pageSize);
  if (need > have)
    in.failAt(line, format("grid %d x %d x %d needs about %.1f GB of memory%s, more than the %.1f GB of this machine",
                           gridX, gridY, layers, need / 1e9, layeredStage ? " with 3D rounds" : "", have / 1e9));
}

const char* unusedDirection(const NetDB& db, int& netId) {
  const bool noH = db.totalHorizontalTracks == 0, noV = db.totalVerticalTracks == 0;
  if (!noH && !noV) return nullptr;
  for (const Net& n : db.nets)
    for (const Point& p : n.pins2D) {
      const char* dir = noH && p.x != n.pins2D[0].x ? "horizontal" : noV && p.y != n.pins2D[0].y ? "vertical" : nullptr;
      if (dir) return netId = n.id, dir;
    }
  return nullptr;
}

void deriveTrackCounts(NetDB& db, TextInput& in, int pitchLine, int verticalLine, int horizontalLine) {
  const auto at = [&in](int line) { return line > 0 ? line : in.line(); };
  db.totalVerticalTracks = 0;
  db.totalHorizontalTracks = 0;
  for (std::size_t i = 0; i < std::size_t(db.numLayers); ++i) {
    const std::int64_t pitch = std::int64_t(db.minWireWidth[i]) + db.minWireSpacing[i];
    if (pitch < 1 || pitch > kMaxPitch)
      in.failAt(at(pitchLine), format("wire pitch (width + spacing) of layer %zu is %lld, expected 1..%d", i + 1,
                                      (long long)pitch, kMaxPitch));
    db.wirePitch[i] = int(pitch);
    db.verticalTracks[i] = db.verticalCapacity[i] / db.wirePitch[i];
    db.horizontalTracks[i] = db.horizontalCapacity[i] / db.wirePitch[i];
    const std::int64_t vertical = std::int64_t(db.totalVerticalTracks) + db.verticalTracks[i];
    const std::int64_t horizontal = std::int64_t(db.totalHorizontalTracks) + db.horizontalTracks[i];
    for (const auto& [dir, total, line] :
         {std::tuple{"vertical", vertical, verticalLine}, {"horizontal", horizontal, horizontalLine}})
      if (total > kMaxEdgeTracks)
        in.failAt(at(line), format("%s capacity of layers 1..%zu holds %lld tracks per edge, more than the limit of %d",
                                   dir, i + 1, (long long)total, kMaxEdgeTracks));
    db.totalVerticalTracks = int(vertical);
    db.totalHorizontalTracks = int(horizontal);
  }
}

void checkAdjustedTracks(TextInput& in, int capacity, std::int64_t pitch) {
  if (capacity / pitch > kMaxEdgeTracks)
    in.fail(format("adjusted capacity %d holds %lld tracks, more than the limit of %d", capacity,
                   (long long)(capacity / pitch), kMaxEdgeTracks));
}

void Input_ISPD(const char* path, NetDB& db, parameterSet& params) {
  TextInput in;
  if (!in.open(path)) missingFile(path);
  std::printf("read %s\n", path);

  int grid[3];
  const int gridLine = parseLineInts(in, {"grid"}, grid, 3, "\"grid\" and three integers");
  db.gridX = grid[0], db.gridY = grid[1], db.numLayers = grid[2];
  if (db.gridX < 1 || db.gridY < 1) in.failAt(gridLine, format("grid size %d x %d is below 1 x 1", db.gridX, db.gridY));
  if (std::int64_t(db.gridX) * db.gridY > INT_MAX)
    in.failAt(gridLine, format("grid %d x %d has too many tiles", db.gridX, db.gridY));
  if (db.numLayers < 1 || db.numLayers > kMaxLayers)
    in.failAt(gridLine, format("layer count %d is outside 1..%d", db.numLayers, kMaxLayers));
  checkGridFits(in, gridLine, db.gridX, db.gridY, db.numLayers, params.optimization3DIteration != 0);

  const std::size_t L = std::size_t(db.numLayers);
  for (auto* v : {&db.verticalCapacity, &db.horizontalCapacity, &db.minWireWidth, &db.minWireSpacing, &db.viaSpacing,
                  &db.wirePitch, &db.verticalTracks, &db.horizontalTracks})
    v->assign(L, 0);
  const int verticalLine = readLayerList(in, db.numLayers, db.verticalCapacity, "vertical", "capacity");
  const int horizontalLine = readLayerList(in, db.numLayers, db.horizontalCapacity, "horizontal", "capacity");
  readLayerList(in, db.numLayers, db.minWireWidth, "minimum", "width");
  const int spacingLine = readLayerList(in, db.numLayers, db.minWireSpacing, "minimum", "spacing");
  readLayerList(in, db.numLayers, db.viaSpacing, "via", "spacing");

  deriveTrackCounts(db, in, spacingLine, verticalLine, horizontalLine);  // the spacing list completes the pitch

  in.restOfLine();
  int origin[4];
  const int originLine = parseLineInts(in, {}, origin, 4, "the grid origin and tile size (four integers)");
  db.originX = origin[0], db.originY = origin[1], db.tileWidth = origin[2], db.tileHeight = origin[3];
  if (db.tileWidth < 1 || db.tileHeight < 1)
    in.failAt(originLine, format("tile size %d x %d is below 1", db.tileWidth, db.tileHeight));

  in.skipBlankLines();
  int netCount = 0;
  const int countLine = parseLineInts(in, {"num", "net"}, &netCount, 1, "\"num net\" and the net count");
  if (netCount < 0) in.failAt(countLine, format("net count %d is negative", netCount));
  std::printf("Number of nets: %d\n", netCount);

  db.repeatPinCount.assign(std::size_t(db.gridX), std::vector<int>(std::size_t(db.gridY), 0));
  db.pinCount.assign(std::size_t(db.gridX), std::vector<int>(std::size_t(db.gridY), 0));
  db.nets.clear();
  db.netNames.clear();

  Net current;
  PinSet seen3D, seen2D;
  NameLines names;
  for (int n = 0; n < netCount; ++n) {
    const std::string_view name = in.requireWord("a net name");
    // The header's four fields share one line, so a short net list cannot swallow what follows.
    const int headerLine = in.line();
    auto headerInt = [&](const char* what) {
      if (in.lineExhausted())
        in.failAt(headerLine, format("net header ends before %s; a net header is one line of name, id, pin count "
                                     "and minimum width (%d nets announced)",
                                     what, netCount));
      return in.requireInt(what);
    };
    current.id = headerInt("the net id");
    const int pins = headerInt("the pin count");
    if (pins < 0) in.fail(format("pin count %d is negative", pins));
    headerInt("the net's minimum width");
    // The rest of the header (a layer range and weight, a comment) is not used. A number there is
    // a record run onto the header line: a pin, or the adjustment count and first adjustment
    // read as a net when fewer nets follow than announced.
    if (const std::string_view extra = numberInTail(in.restOfLine()); !extra.empty())
      in.failAt(headerLine, format("the number %s follows the net header (name, id, pin count, minimum width) on "
                                   "its line; a pin or any other record starts a line of its own (%d nets announced)",
                                   quoted(extra).c_str(), netCount));
    if (const int first = names.firstLine(name, headerLine))
      in.failAt(headerLine, format("net name %s was given to the net of line %d already", quoted(name).c_str(), first));
    current.pins2D.clear();
    current.pins3D.clear();
    seen3D.clear();
    seen2D.clear();
    for (int p = 0; p < pins; ++p) {
      const int x = in.requireInt("a pin's x coordinate");
      const int y = in.requireInt("a pin's y coordinate");
      const int layer = in.requireInt("a pin's layer");
      const std::int64_t tx = (std::int64_t(x) - db.originX) / db.tileWidth;
      const std::int64_t ty = (std::int64_t(y) - db.originY) / db.tileHeight;
      if (tx < 0 || tx >= db.gridX || ty < 0 || ty >= db.gridY)
        in.fail(format("pin (%d, %d) lies outside the %d x %d grid", x, y, db.gridX, db.gridY));
      if (layer < 1 || layer > db.numLayers) in.fail(format("pin layer %d is outside 1..%d", layer, db.numLayers));
      const Point pt(int(tx), int(ty), layer - 1);
      const std::uint64_t tile = std::uint64_t(tx) * std::uint64_t(db.gridY) + std::uint64_t(ty);
      if (!seen3D.insert(tile * std::uint64_t(kMaxLayers + 1) + std::uint64_t(pt.z))) {
        ++db.repeatPinCount[pt.x][pt.y];
        continue;
      }
      current.pins3D.push_back(pt);
      if (seen2D.insert(tile)) current.pins2D.push_back(pt);
      ++db.pinCount[pt.x][pt.y];
    }
    const bool tooMany = current.pins3D.size() > std::size_t(params.ignoredNetThreshold);
    if (!tooMany && current.pins2D.size() > 1) {
      db.nets.push_back(current);
      db.netNames.add(name);
    }
  }

  int netId = 0;
  if (const char* dir = unusedDirection(db, netId))
    in.failAt(dir[0] == 'h' ? horizontalLine : verticalLine,
              format("no layer has %s capacity, but net %d needs a %s wire", dir, netId, dir));

  // Adjustments: a clean end of file right after the nets means none. The rest of the last pin
  // line is skipped, unless it starts with a number: the adjustment count, or the rest of an
  // adjustment after a pin too many, would be lost. With no nets or a last net of no pins the
  // count may follow at once.
  if (!in.atLineStart()) {
    const int lastPinLine = in.line();
    if (const std::string_view extra = numberInTail(in.restOfLine()); !extra.empty())
      in.failAt(lastPinLine, format("expected no number after the last pin of the last net on its line, found %s; the "
                                    "adjustment count starts a line of its own",
                                    quoted(extra).c_str()));
  }
  in.skipBlankLines();
  if (in.atEnd()) return;
  const int adjustmentLine = in.line();
  const int adjustments = in.requireInt("the capacity adjustment count");
  if (adjustments < 0) in.fail(format("capacity adjustment count %d is negative", adjustments));
  for (int a = 0; a < adjustments; ++a) {
    int v[7];
    static const char* const kWhat[7] = {"an adjustment's x1",      "an adjustment's y1", "an adjustment's layer1",
                                         "an adjustment's x2",      "an adjustment's y2", "an adjustment's layer2",
                                         "an adjustment's capacity"};
    for (int i = 0; i < 7; ++i) v[i] = in.requireInt(kWhat[i]);
    const int x1 = v[0], y1 = v[1], l1 = v[2], x2 = v[3], y2 = v[4], l2 = v[5], cap = v[6];
    if (l1 < 1 || l1 > db.numLayers || l2 < 1 || l2 > db.numLayers)
      in.fail(format("adjustment layer %d/%d is outside 1..%d", l1, l2, db.numLayers));
    if (l1 != l2)
      in.fail(format("adjustment (%d,%d,%d)-(%d,%d,%d) is not an edge of one layer", x1, y1, l1, x2, y2, l2));
    const bool inGrid =
        x1 >= 0 && x1 < db.gridX && y1 >= 0 && y1 < db.gridY && x2 >= 0 && x2 < db.gridX && y2 >= 0 && y2 < db.gridY;
    const std::int64_t manhattan = std::llabs(std::int64_t(x1) - x2) + std::llabs(std::int64_t(y1) - y2);
    if (!inGrid || manhattan != 1)
      in.fail(format("adjustment (%d,%d)-(%d,%d) is not a pair of neighbouring tiles of the grid", x1, y1, x2, y2));
    if (cap < 0) in.fail(format("adjusted capacity %d is negative", cap));
    checkAdjustedTracks(in, cap, db.wirePitch[std::size_t(l1 - 1)]);
    RPoint e;
    int layerDefault;
    const int z = l1 - 1;
    if (x1 == x2) {
      e = RPoint(x1, std::min(y1, y2), z, 0);
      layerDefault = db.verticalCapacity[std::size_t(z)];
    } else {
      e = RPoint(std::min(x1, x2), y1, z, 1);
      layerDefault = db.horizontalCapacity[std::size_t(z)];
    }
    if (cap == layerDefault) continue;
    db.adjEdges.push_back(e);
    db.adjCapacity.push_back(cap / db.wirePitch[std::size_t(z)]);
  }
  in.skipBlankLines();
  if (!in.atEnd())
    in.fail(format("expected the end of the file after the %d capacity adjustments that line %d announces", adjustments,
                   adjustmentLine));
}
