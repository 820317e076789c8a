#pragma once
// Readers of the parameter file and of the problem files.

struct NetDB;
struct parameterSet;
class TextInput;

// Reads the .set file into params, echoing every accepted value; bad input ends the run.
void Input_Setting(const char* path, NetDB& db, parameterSet& params);

// Reads an ISPD'08 problem file into db; nets on fewer than two tiles or with more distinct
// pins than params.ignoredNetThreshold are dropped. Bad input ends the run.
void Input_ISPD(const char* path, NetDB& db, parameterSet& params);

// Reads a bookshelf set (.aux file and placement file) into db; blockages of placed nodes
// become capacity adjustments. Bad input ends the run.
void Input_DAC(const char* auxPath, const char* plPath, NetDB& db, parameterSet& params);

// Pitches and track counts of every layer from its capacities, widths and spacings; a pitch
// below 1 or totals beyond 32 bits end the run with an error at `line` (0: the reader's current line).
void deriveTrackCounts(NetDB& db, TextInput& in, int line = 0);

// Ends the run with an error at `line` when the grid's estimated memory exceeds the machine's
// physical memory; layeredStage counts what the 3D rounds allocate as well.
void checkGridFits(TextInput& in, int line, int gridX, int gridY, int layers, bool layeredStage);

// "horizontal" or "vertical" when no layer has tracks in that direction but a kept net has pins
// that only a wire in it can join (netId names the first such net); null otherwise.
const char* unusedDirection(const NetDB& db, int& netId);
