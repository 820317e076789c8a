#pragma once
// The flow driver: every stage after input, in a fixed order.

struct NetDB;
struct parameterSet;

// Routes the database with the given parameters and writes the results under outputPath;
// false when an output file could not be written or the layered stage left a net open (both
// said on stderr).
bool main_ISPD(NetDB& db, parameterSet& params, const char* outputPath);

// The whole program: modes, readers and the flow; returns the exit status.
int korvaneMain(int argc, char** argv);

// The maze-iteration override of the command line: leading white space and a sign, digits up
// to the first other character, no digits = 0, wrapped to 32 bits.
int parseMazeOverride(const char* text);
