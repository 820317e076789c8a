#pragma once
// The ISPD'08 problem file as both of its readers take it: the router's (Input_ISPD) and the
// layer-assignment model's (Graph::input2Dresult). Each step reads the next part of the file and
// checks it, ending the run with the file, the line and what was expected, so that the two readers
// accept and refuse the same files with the same messages. What they make of the values (tracks,
// which pins and nets they keep) is their own.

#include <string_view>
#include <vector>

#include "NameLines.h"

class TextInput;

// Layer assignment stores a layer in 8 signed bits.
constexpr int kMaxLayers = 127;

// A net header: name, id and pin count; the minimum width and the rest of the line are not kept.
struct GrNetHeader {
  std::string_view name;  // points into the file's text
  int id = 0;
  int pins = 0;
  int line = 0;
};

// A pin's tile and 0-based layer.
struct GrPin {
  int x = 0, y = 0, z = 0;
};

// A capacity adjustment: neighbouring tiles on one 1-based layer and the capacity in file units.
struct GrAdjustment {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0, layer = 0, capacity = 0;
};

class ProblemFile {
 public:
  explicit ProblemFile(TextInput& input) : in(input) {}

  // Read from the header.
  int gridX = 0, gridY = 0, layers = 0;
  int originX = 0, originY = 0, tileWidth = 0, tileHeight = 0;
  int netCount = 0;

  // The steps, in the file's order. Blank lines may stand before every header line.
  // "grid X Y L"; returns its line.
  int grid();
  // A per-layer list: its two words in any letter case, then `layers` non-negative integers;
  // returns the line of the words.
  int layerList(std::vector<int>& out, const char* first, const char* second);
  // After the via spacing list (the rest of its line is not read): origin x and y, tile width and
  // height, with the last tile's lower-left corner a 32-bit coordinate; returns its line.
  int origin();
  // "num net N".
  void netCountLine();
  // One net header, on one line; a net name given twice ends the run naming both lines.
  GrNetHeader netHeader();
  // One pin "x y layer": its tile (truncated toward zero) inside the grid, its layer 1..L.
  GrPin pin();
  // After the last net: false when the file ends there (no adjustments), else reads their count.
  bool adjustmentCount(int& count);
  GrAdjustment adjustment();
  // After the announced adjustments only blank lines may follow.
  void end();

 private:
  TextInput& in;
  NameLines names;
  int adjustments = 0, adjustmentLine = 0;
};
