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

#include "PinSet.h"
#include "ProblemFile.h"
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

int checkedPitch(TextInput& in, int line, std::size_t layer, int width, int spacing) {
  const std::int64_t pitch = std::int64_t(width) + spacing;
  if (pitch < 1 || pitch > kMaxPitch)
    in.failAt(line, format("wire pitch (width + spacing) of layer %zu is %lld, expected 1..%d", layer + 1,
                           (long long)pitch, kMaxPitch));
  return int(pitch);
}

void checkEdgeTracks(TextInput& in, int line, const char* direction, std::int64_t tracks, std::size_t layers) {
  if (tracks > kMaxEdgeTracks)
    in.failAt(line, format("%s capacity of layers 1..%zu holds %lld tracks per edge, more than the limit of %d",
                           direction, layers, (long long)tracks, kMaxEdgeTracks));
}

void deriveTrackCounts(NetDB& db, TextInput& in, int pitchLine, int verticalLine, int horizontalLine) {
  const auto at = [&in](int line) { return line > 0 ? line : in.line(); };
  db.totalVerticalTracks = 0;
  db.totalHorizontalTracks = 0;
  for (std::size_t i = 0; i < std::size_t(db.numLayers); ++i) {
    db.wirePitch[i] = checkedPitch(in, at(pitchLine), i, db.minWireWidth[i], db.minWireSpacing[i]);
    db.verticalTracks[i] = db.verticalCapacity[i] / db.wirePitch[i];
    db.horizontalTracks[i] = db.horizontalCapacity[i] / db.wirePitch[i];
    const std::int64_t vertical = std::int64_t(db.totalVerticalTracks) + db.verticalTracks[i];
    const std::int64_t horizontal = std::int64_t(db.totalHorizontalTracks) + db.horizontalTracks[i];
    checkEdgeTracks(in, at(verticalLine), "vertical", vertical, i + 1);
    checkEdgeTracks(in, at(horizontalLine), "horizontal", horizontal, i + 1);
    db.totalVerticalTracks = int(vertical);
    db.totalHorizontalTracks = int(horizontal);
  }
}

void checkAdjustedTracks(TextInput& in, int capacity, std::int64_t pitch) {
  if (capacity / pitch > kMaxEdgeTracks)
    in.fail(format("adjusted capacity %d holds %lld tracks, more than the limit of %d", capacity,
                   (long long)(capacity / pitch), kMaxEdgeTracks));
}

void checkLastTileCorner(TextInput& in, int line, int gridX, int gridY, int originX, int originY, int tileWidth,
                         int tileHeight) {
  const std::int64_t lastX = originX + std::int64_t(gridX - 1) * tileWidth;
  const std::int64_t lastY = originY + std::int64_t(gridY - 1) * tileHeight;
  for (const auto& [what, axis, last, origin, tiles, size] :
       {std::tuple{"column", "x", lastX, originX, gridX, tileWidth}, {"row", "y", lastY, originY, gridY, tileHeight}})
    if (last > INT_MAX)
      in.failAt(line, format("the last tile %s starts at %s = %lld (origin %d + %d x tile size %d), beyond %d, the "
                             "largest coordinate a result file can hold",
                             what, axis, (long long)last, origin, tiles - 1, size, INT_MAX));
}

void Input_ISPD(const char* path, NetDB& db, parameterSet& params) {
  TextInput in;
  if (!in.open(path)) missingFile(path);
  std::printf("read %s\n", path);

  ProblemFile file(in);
  const int gridLine = file.grid();
  db.gridX = file.gridX, db.gridY = file.gridY, db.numLayers = file.layers;
  checkGridFits(in, gridLine, db.gridX, db.gridY, db.numLayers, params.optimization3DIteration != 0);

  const std::size_t L = std::size_t(db.numLayers);
  for (auto* v : {&db.verticalCapacity, &db.horizontalCapacity, &db.minWireWidth, &db.minWireSpacing, &db.viaSpacing,
                  &db.wirePitch, &db.verticalTracks, &db.horizontalTracks})
    v->assign(L, 0);
  const int verticalLine = file.layerList(db.verticalCapacity, "vertical", "capacity");
  const int horizontalLine = file.layerList(db.horizontalCapacity, "horizontal", "capacity");
  file.layerList(db.minWireWidth, "minimum", "width");
  const int spacingLine = file.layerList(db.minWireSpacing, "minimum", "spacing");
  file.layerList(db.viaSpacing, "via", "spacing");

  deriveTrackCounts(db, in, spacingLine, verticalLine, horizontalLine);  // the spacing list completes the pitch

  file.origin();
  db.originX = file.originX, db.originY = file.originY, db.tileWidth = file.tileWidth, db.tileHeight = file.tileHeight;

  file.netCountLine();
  std::printf("Number of nets: %d\n", file.netCount);

  db.repeatPinCount.assign(std::size_t(db.gridX), std::vector<int>(std::size_t(db.gridY), 0));
  db.pinCount.assign(std::size_t(db.gridX), std::vector<int>(std::size_t(db.gridY), 0));
  db.nets.clear();
  db.netNames.clear();

  Net current;
  PinSet seen3D, seen2D;
  for (int n = 0; n < file.netCount; ++n) {
    const GrNetHeader header = file.netHeader();
    current.id = header.id;
    current.pins2D.clear();
    current.pins3D.clear();
    seen3D.clear();
    seen2D.clear();
    for (int p = 0; p < header.pins; ++p) {
      const GrPin pin = file.pin();
      const Point pt(pin.x, pin.y, pin.z);
      const std::uint64_t tile = std::uint64_t(pt.x) * std::uint64_t(db.gridY) + std::uint64_t(pt.y);
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
      db.netNames.add(header.name);
    }
  }

  int netId = 0;
  if (const char* dir = unusedDirection(db, netId))
    in.failAt(dir[0] == 'h' ? horizontalLine : verticalLine,
              format("no layer has %s capacity, but net %d needs a %s wire", dir, netId, dir));

  int adjustments = 0;
  if (!file.adjustmentCount(adjustments)) return;  // a clean end of file right after the nets means none
  for (int a = 0; a < adjustments; ++a) {
    const GrAdjustment adj = file.adjustment();
    const int z = adj.layer - 1;
    checkAdjustedTracks(in, adj.capacity, db.wirePitch[std::size_t(z)]);
    RPoint e;
    int layerDefault;
    if (adj.x1 == adj.x2) {
      e = RPoint(adj.x1, std::min(adj.y1, adj.y2), z, 0);
      layerDefault = db.verticalCapacity[std::size_t(z)];
    } else {
      e = RPoint(std::min(adj.x1, adj.x2), adj.y1, z, 1);
      layerDefault = db.horizontalCapacity[std::size_t(z)];
    }
    if (adj.capacity == layerDefault) continue;
    db.adjEdges.push_back(e);
    db.adjCapacity.push_back(adj.capacity / db.wirePitch[std::size_t(z)]);
  }
  file.end();
}
