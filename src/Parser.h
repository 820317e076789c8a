#pragma once
// Readers of the parameter file and of the problem files.

#include <cstddef>
#include <cstdint>
#include <string>

struct NetDB;
struct parameterSet;
class TextInput;

// Reads the .set file into params, echoing every accepted value; bad input ends the run.
void Input_Setting(const char* path, NetDB& db, parameterSet& params);

// Reads an ISPD'08 problem file into db; nets on fewer than two tiles or with more distinct
// pins than params.ignoredNetThreshold are dropped. Bad input ends the run.
void Input_ISPD(const char* path, NetDB& db, parameterSet& params);

// The files of a bookshelf set that its .aux file names, each beside the .aux file.
struct BookshelfFiles {
  std::string nodes, nets, shapes, route;
};

// Reads the names of the set's files from its .aux file; bad input ends the run.
BookshelfFiles readAuxFile(const char* auxPath);

// Reads a bookshelf set (.aux file and placement file) into db; blockages of placed nodes
// become capacity adjustments. Bad input ends the run.
void Input_DAC(const char* auxPath, const char* plPath, NetDB& db, parameterSet& params);
// The same, for a set whose .aux file was read already.
void Input_DAC(const BookshelfFiles& files, const char* plPath, NetDB& db, parameterSet& params);

// Most tracks one edge may hold: the tracks of all layers in one direction together, and the
// tracks of one adjusted capacity. Far beyond any real design, and small enough that demand,
// capacity and their sums and differences stay well inside 32 bits.
constexpr int kMaxEdgeTracks = 1000000;
// Widest wire pitch (width + spacing) in file units. Overflow is weighted by the pitch and its
// costs scale with it, so the pitch bounds how far those 64-bit sums can grow.
constexpr int kMaxPitch = 1000000;

// Width plus spacing of the 0-based `layer`; a pitch outside 1..kMaxPitch ends the run with an
// error at `line`.
int checkedPitch(TextInput& in, int line, std::size_t layer, int width, int spacing);

// Ends the run with an error at `line` when `tracks`, the tracks per edge of layers 1..`layers` in
// one direction, pass kMaxEdgeTracks.
void checkEdgeTracks(TextInput& in, int line, const char* direction, std::int64_t tracks, std::size_t layers);

// Pitches and track counts of every layer from its capacities, widths and spacings. A pitch
// outside 1..kMaxPitch ends the run with an error at `pitchLine`, more than kMaxEdgeTracks
// tracks in one direction at the line of that direction's capacities (0: the reader's current line).
void deriveTrackCounts(NetDB& db, TextInput& in, int pitchLine, int verticalLine, int horizontalLine);

// Ends the run when an adjusted capacity of `capacity` file units at `pitch` holds more than
// kMaxEdgeTracks tracks.
void checkAdjustedTracks(TextInput& in, int capacity, std::int64_t pitch);

// Ends the run with an error at `line` when the grid's estimated memory exceeds the machine's
// physical memory; layeredStage counts what the 3D rounds allocate as well.
void checkGridFits(TextInput& in, int line, int gridX, int gridY, int layers, bool layeredStage);

// Ends the run with an error at `line` when a coordinate the result writer can write passes the
// 32-bit range that result files are read in: the lower-left corner of the last tile column or row,
// origin + (tiles - 1) x tile size. The grid's far edge may lie beyond: no pin can, its
// coordinates being 32-bit too.
void checkLastTileCorner(TextInput& in, int line, int gridX, int gridY, int originX, int originY, int tileWidth,
                         int tileHeight);

// "horizontal" or "vertical" when no layer has tracks in that direction but a kept net has pins
// that only a wire in it can join (netId names the first such net); null otherwise.
const char* unusedDirection(const NetDB& db, int& netId);
