// Stand-alone readers of the layer-assignment model: an ISPD'08 problem file straight into
// the grid, capacities and nets (input2Dresult), and a routed result file back into the nets'
// trees (input3Dresult), so that layer assignment can run on a routing made elsewhere.
//
// input2Dresult reads the file through the router's reading steps (ProblemFile), so the two
// refuse the same files with the same messages. It halves every capacity (a pitch of 2 on every
// layer), keeps one pin per tile on layer 0, skips nets of more than 1000 pins and preloads
// adjustments as demand.
// input3Dresult marks the wire segments of each net's block in the stamped grids of the tree
// builder and grows the tree from the net's first pin, as the conversion from the planar
// router does; via lines leave no trace. Nets the file leaves with pins apart (a block that
// does not join them, or no block) are named in one warning. Both are linear in the file.
//
// Lines may be of any length; every read is checked and bad input ends the run with
// "Error: <file>: line N: <what>".

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Parser.h"
#include "ProblemFile.h"
#include "TextInput.h"
#include "db/NetDB.h"
#include "db/Report.h"
#include "layer/Graph.h"

namespace {

constexpr int kSkippedPinCount = 1000;  // nets with more pins are read and dropped

[[noreturn]] void missingFile(const char* path) {
  std::fflush(stdout);
  std::fprintf(stderr, "File %s not exists!\n", path);
  std::exit(1);
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

// Words of one line.
class LineWords {
 public:
  explicit LineWords(std::string_view text) : line(text) {}
  std::string_view next() {
    while (p < line.size() && isBlank(line[p])) ++p;
    const std::size_t s = p;
    while (p < line.size() && !isBlank(line[p])) ++p;
    return line.substr(s, p - s);
  }

 private:
  std::string_view line;
  std::size_t p = 0;
};

// One result segment "(x,y,layer)-(x,y,layer)" (blanks ignored); false when malformed.
bool parseSegment(std::string_view text, int v[6]) {
  std::string s;
  for (char c : text)
    if (!isBlank(c)) s.push_back(c);
  std::size_t p = 0;
  auto expect = [&](char c) {
    if (p < s.size() && s[p] == c) return ++p, true;
    return false;
  };
  auto number = [&](int& out) {
    const std::size_t b = p;
    if (p < s.size() && (s[p] == '-' || s[p] == '+')) ++p;
    while (p < s.size() && s[p] >= '0' && s[p] <= '9') ++p;
    return parseInt(std::string_view(s).substr(b, p - b), out);
  };
  return expect('(') && number(v[0]) && expect(',') && number(v[1]) && expect(',') && number(v[2]) && expect(')') &&
         expect('-') && expect('(') && number(v[3]) && expect(',') && number(v[4]) && expect(',') && number(v[5]) &&
         expect(')') && p == s.size();
}

// Names on stderr the result blocks that matched no net (the first ten of them); a file where
// no block matched is refused, unless it is empty and so is the model.
void reportUnmatchedBlocks(const char* path, bool anyNet, int blocks,
                           const std::vector<std::pair<std::string, int>>& skipped) {
  constexpr std::size_t kNamed = 10;
  std::string list;
  for (std::size_t i = 0; i < skipped.size() && i < kNamed; ++i)
    list += format("%s%s (line %d)", i > 0 ? ", " : "", quoted(skipped[i].first).c_str(), skipped[i].second);
  if (skipped.size() > kNamed) list += ", ...";
  if (blocks == 0) {
    if (anyNet) fatalError(path, "the file holds no result block");
    return;
  }
  if (int(skipped.size()) == blocks)
    fatalError(path, format("no result block names a net of the problem: %s", list.c_str()));
  if (skipped.empty()) return;
  std::fflush(stdout);
  std::fprintf(stderr, "Warning: %s: %zu result block%s match no net and %s skipped: %s\n", path, skipped.size(),
               skipped.size() == 1 ? "" : "s", skipped.size() == 1 ? "is" : "are", list.c_str());
}

// Names on stderr the nets whose pins the file leaves apart (the first ten of them): each
// entry is the net's label and the header line of its block, 0 for a net with no block.
void reportOpenNets(const char* path, const std::vector<std::pair<std::string, int>>& open) {
  if (open.empty()) return;
  constexpr std::size_t kNamed = 10;
  std::string list;
  for (std::size_t i = 0; i < open.size() && i < kNamed; ++i)
    list += format("%s%s (%s)", i > 0 ? ", " : "", open[i].first.c_str(),
                   open[i].second > 0 ? format("block of line %d", open[i].second).c_str() : "no block");
  if (open.size() > kNamed) list += ", ...";
  std::fflush(stdout);
  std::fprintf(stderr, "Warning: %s: %zu net%s left with pins apart: %s\n", path, open.size(),
               open.size() == 1 ? " is" : "s are", list.c_str());
}

// The tree reaches every tile that holds a pin of the net (pins of one tile on several layers
// are one tile, and a tree node is a tile).
bool joinsEveryPin(const Graph& g, const net& n) {
  std::vector<std::pair<int, int>> tiles;
  for (const pin& p : g.pinsOf(n)) tiles.emplace_back(p.x, p.y);
  std::sort(tiles.begin(), tiles.end());
  tiles.erase(std::unique(tiles.begin(), tiles.end()), tiles.end());
  const auto nodes = g.nodesOf(n);
  return std::size_t(std::count_if(nodes.begin(), nodes.end(), [](const node& v) { return v.isPin; })) == tiles.size();
}

}  // namespace

void Graph::input2Dresult(const char* path) {
  TextInput in;
  if (!in.open(path)) missingFile(path);
  std::printf("Reading %s\n", path);

  // The router's reading steps and checks; what is kept of the values is this reader's own.
  ProblemFile file(in);
  file.grid();
  xGrid = file.gridX, yGrid = file.gridY, layerNum = file.layers;
  std::printf("grid %dx%dx%d\n", xGrid, yGrid, layerNum);
  initialGraph();

  // Capacities in file units. Every layer counts as having a pitch of 2, so the widths and
  // spacings are read for the router's checks only.
  const int verticalLine = file.layerList(capV, "vertical", "capacity");
  const int horizontalLine = file.layerList(capH, "horizontal", "capacity");
  std::vector<int> widths(std::size_t(layerNum), 0), spacings(widths), viaSpacings(widths);
  file.layerList(widths, "minimum", "width");
  const int spacingLine = file.layerList(spacings, "minimum", "spacing");
  file.layerList(viaSpacings, "via", "spacing");
  std::int64_t totalV = 0, totalH = 0;
  for (std::size_t l = 0; l < std::size_t(layerNum); ++l) {
    checkedPitch(in, spacingLine, l, widths[l], spacings[l]);
    capV[l] /= 2;
    capH[l] /= 2;
    totalV += capV[l];
    totalH += capH[l];
    checkEdgeTracks(in, verticalLine, "vertical", totalV, l + 1);
    checkEdgeTracks(in, horizontalLine, "horizontal", totalH, l + 1);
  }
  file.origin();
  lowerLeftX = file.originX, lowerLeftY = file.originY, tileWidth = file.tileWidth, tileHeight = file.tileHeight;

  // The readers leave no pitch of their own; the halving above is a pitch of 2.
  layerPitch.assign(std::size_t(layerNum), 2);
  minWireWidth.assign(std::size_t(layerNum), 1);
  minWireSpacing.assign(std::size_t(layerNum), 1);
  updateUsableLayers();

  file.netCountLine();
  nets.clear();
  dbNetNames = nullptr;
  ownNetNames.clear();
  localNets.clear();
  sortedNets.clear();
  pinPool.clear();
  nodePool.clear();
  edgePool.clear();
  localNetVia = 0;
  EdgeGrid<int> pinTile;  // last net (by its place in the file) with a pin in the tile
  pinTile.allocate(xGrid, yGrid, -1);
  for (int k = 0; k < file.netCount; ++k) {
    const GrNetHeader header = file.netHeader();
    const bool keep = header.pins <= kSkippedPinCount;
    net n;
    n.id = header.id;
    n.pinBegin = std::uint32_t(pinPool.size());
    for (int p = 0; p < header.pins; ++p) {
      const GrPin at = file.pin();
      if (!keep || pinTile[at.x][at.y] == k) continue;
      pinTile[at.x][at.y] = k;
      pinPool.push_back(pin{at.x, at.y, 0});  // the file's layer is not kept
    }
    n.pinCount = std::uint32_t(pinPool.size() - n.pinBegin);
    if (keep && n.pinCount >= 2) {
      nets.push_back(n);
      ownNetNames.add(header.name);
    } else
      pinPool.resize(n.pinBegin);
  }

  int adjustments = 0;
  if (file.adjustmentCount(adjustments)) {  // a clean end of file right after the nets means none
    for (int a = 0; a < adjustments; ++a) {
      const GrAdjustment adj = file.adjustment();
      checkAdjustedTracks(in, adj.capacity, 2);
      const int z = adj.layer - 1;
      if (adj.x1 == adj.x2) {  // vertical; the demand cell is set, not added to
        const int y = std::min(adj.y1, adj.y2);
        int& d = demandV.at(adj.x1, y, z);
        d = capV[std::size_t(z)] - adj.capacity / 2;
        usage2DV[adj.x1][y] = addPreload(usage2DV[adj.x1][y], d);
      } else {
        const int x = std::min(adj.x1, adj.x2);
        int& d = demandH.at(x, adj.y1, z);
        d = capH[std::size_t(z)] - adj.capacity / 2;
        usage2DH[x][adj.y1] = addPreload(usage2DH[x][adj.y1], d);
      }
    }
    file.end();
  }
  antennaMaxLen = 3000.0 / tileWidth;
}

void Graph::input3Dresult(const char* path) {
  maxNetLen = 0;
  wlen2D = 0;
  TreeMarks marks;
  marks.allocate(xGrid, yGrid);
  TextInput in;
  if (!in.open(path)) missingFile(path);
  std::printf("Reading %s\n", path);

  // Blocks are matched to the model's nets in order: a block goes to the next net from the
  // current one on with its name (as the contest evaluator names nets), or with its id when
  // the model has no names, so that a net missing from the file does not stop the ones after
  // it from being read. Blocks of no remaining net are skipped and named in one warning; a
  // file none of whose blocks matches (say n<id> names against a named problem) is an error.
  const NetNames& names = netNames();
  const bool named = !nets.empty() && names.size() == nets.size();
  std::vector<std::pair<std::string_view, int>> byName;  // (name, net index), increasing
  std::vector<std::pair<int, int>> byId;                 // (id, net index), increasing
  for (std::size_t i = 0; i < nets.size(); ++i) {
    if (named)
      byName.emplace_back(names[i], int(i));
    else
      byId.emplace_back(nets[i].id, int(i));
  }
  std::sort(byName.begin(), byName.end());
  std::sort(byId.begin(), byId.end());
  int nextNet = 0;
  bool usesH = false, usesV = false;
  int netUsingH = 0, netUsingV = 0;
  int blocks = 0;
  std::vector<std::pair<std::string, int>> skipped;  // (name, header line) of unmatched blocks
  std::vector<int> blockLine(nets.size(), 0);        // [net index]: header line of its block, 0: none

  while (true) {
    const std::string_view name = in.word();
    if (name.empty()) break;
    const int headerLine = in.line();
    ++blocks;
    LineWords header(in.restOfLine());
    int id = 0;
    if (!parseInt(header.next(), id))
      in.failAt(headerLine, format("expected the net id after the net name %s", quoted(name).c_str()));
    for (int extra = 0; extra < 2; ++extra) {
      const std::string_view w = header.next();
      int ignored = 0;
      if (!w.empty() && !parseInt(w, ignored))
        in.failAt(headerLine, format("expected integers after the net name %s", quoted(name).c_str()));
    }
    int target = -1;
    if (named) {
      const auto found = std::lower_bound(byName.begin(), byName.end(), std::make_pair(name, nextNet));
      if (found != byName.end() && found->first == name) target = found->second;
    } else {
      const auto found = std::lower_bound(byId.begin(), byId.end(), std::make_pair(id, nextNet));
      if (found != byId.end() && found->first == id) target = found->second;
    }

    while (true) {
      in.skipBlankLines();
      if (in.atEnd()) in.fail(format("net %d: the file ends before \"!\"", id));
      const int lineNo = in.line();
      const std::string_view text = in.restOfLine();
      LineWords words(text);
      const std::string_view first = words.next();
      if (first == "!" && words.next().empty()) break;
      int v[6];
      if (!parseSegment(text, v)) in.failAt(lineNo, "expected a segment \"(x,y,layer)-(x,y,layer)\" or \"!\"");
      const std::int64_t x1 = (std::int64_t(v[0]) - lowerLeftX) / tileWidth;
      const std::int64_t y1 = (std::int64_t(v[1]) - lowerLeftY) / tileHeight;
      const std::int64_t x2 = (std::int64_t(v[3]) - lowerLeftX) / tileWidth;
      const std::int64_t y2 = (std::int64_t(v[4]) - lowerLeftY) / tileHeight;
      for (const std::int64_t x : {x1, x2})
        if (x < 0 || x >= xGrid) in.failAt(lineNo, format("segment end x %lld is outside the grid", (long long)x));
      for (const std::int64_t y : {y1, y2})
        if (y < 0 || y >= yGrid) in.failAt(lineNo, format("segment end y %lld is outside the grid", (long long)y));
      if (v[2] < 1 || v[2] > layerNum || v[5] < 1 || v[5] > layerNum)
        in.failAt(lineNo, format("segment layer %d/%d is outside 1..%d", v[2], v[5], layerNum));
      if (x1 == x2 && y1 == y2) continue;  // a via: the tree takes its layers from the wires
      if (x1 != x2 && y1 != y2) in.failAt(lineNo, "a segment must run along a row or a column");
      if (v[2] != v[5]) in.failAt(lineNo, "a wire segment must stay on one layer");
      if (target < 0) continue;
      const int z = v[2] - 1;
      if (x1 == x2) {
        const int x = int(x1), lo = int(std::min(y1, y2)), hi = int(std::max(y1, y2));
        for (int y = lo; y <= hi; ++y) marks.tileMark[x][y] = target;
        for (int y = lo; y < hi; ++y) marks.vMark[x][y] = target, marks.vLayer[x][y] = z;
      } else {
        const int y = int(y1), lo = int(std::min(x1, x2)), hi = int(std::max(x1, x2));
        for (int x = lo; x <= hi; ++x) marks.tileMark[x][y] = target;
        for (int x = lo; x < hi; ++x) marks.hMark[x][y] = target, marks.hLayer[x][y] = z;
      }
    }
    if (target < 0) {
      skipped.emplace_back(name, headerLine);
      continue;
    }
    net& n = nets[std::size_t(target)];
    BFS_net(marks, n, target);
    blockLine[std::size_t(target)] = headerLine;
    for (const edge& e : edgesOf(n)) {
      if (e.hori && !usesH) usesH = true, netUsingH = n.id;
      if (!e.hori && !usesV) usesV = true, netUsingV = n.id;
    }
    maxNetLen = std::max(maxNetLen, int(n.edgeCount()));
    wlen2D += n.edgeCount();
    nextNet = target + 1;
  }
  reportUnmatchedBlocks(path, !nets.empty(), blocks, skipped);
  if (usesH && usableH.empty())
    fatalError(path, format("no layer has horizontal capacity, but net %d has a horizontal wire", netUsingH));
  if (usesV && usableV.empty())
    fatalError(path, format("no layer has vertical capacity, but net %d has a vertical wire", netUsingV));
  // A net whose block leaves pins apart, or that has none, gets an incomplete or empty route.
  std::vector<std::pair<std::string, int>> open;  // (label, header line) in net order
  for (std::size_t i = 0; i < nets.size(); ++i) {
    if (blockLine[i] > 0 && joinsEveryPin(*this, nets[i])) continue;
    open.emplace_back(named ? quoted(names[i]) : format("net %d", nets[i].id), blockLine[i]);
  }
  reportOpenNets(path, open);

  // The assignment scratch covers the largest net, as after the conversion from the router.
  solSets.assign((std::size_t(maxNetLen) + 1) * std::size_t(layerNum), sol{});
  chosen.assign(std::size_t(maxNetLen) + 1, sol{});

  capH2D = 0, capV2D = 0;
  for (int l = 0; l < layerNum; ++l) capH2D += capH[std::size_t(l)], capV2D += capV[std::size_t(l)];
  inputOF = 0;
  auto shares = [&](const EdgeGrid<int>& usage, int cap2D, EdgeGrid<int>& ceilShare, EdgeGrid<int>& floorShare) {
    for (int x = 0; x < usage.xNum; ++x)
      for (int y = 0; y < usage.yNum; ++y) {
        const int u = usage[x][y];
        if (u > cap2D) {
          const int d = u - cap2D;
          const double s = 2.0 * d / layerNum;
          ceilShare[x][y] = int(std::ceil(s));
          floorShare[x][y] = int(std::floor(s));
          inputOF += d;
        } else {
          ceilShare[x][y] = 0;
          floorShare[x][y] = 0;
        }
      }
  };
  shares(usage2DH, capH2D, ofShareCeilH, ofShareFloorH);
  shares(usage2DV, capV2D, ofShareCeilV, ofShareFloorV);
  if (!layerPitch.empty()) inputOF *= layerPitch[0];
}
