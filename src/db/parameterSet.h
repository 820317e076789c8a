#pragma once
// Run parameters: read from the .set file, plus fixed settings of the maze stage.

#include <climits>

struct NetDB;

struct parameterSet {
  int viaCost = 1;                    // "Via"; 1 when the file has no "Via" key
  int ignoredNetThreshold = INT_MAX;  // "Ignored": nets with more distinct pins are dropped
  int layerAssignAlgo = 1;            // "Layer": 1 greedy, 2 DP, 3 DP with negotiation
  bool outputRoutingResult = true;    // "Output Routing"
  bool outputOverflowInfo = false;    // "Output Overflow"
  double pinBlockageFactor = 0.0;     // "Pin"
  int patternIteration = 2;           // "Pattern"
  int monotonicIteration = 3;         // "Monotonic"
  int mazeIteration = INT_MAX;        // "Maze"; the command line may override it
  int overflowElimIteration = 4;      // "Overflow"; no stage reads it
  int postRoutingIteration = 2;       // "Post"
  int optimization3DIteration = 0;    // "3D": non-zero selects the 3D stage
  int historyStartRound = 1;          // maze round from which history costs apply
  int mazeStopOverflow = 0;           // maze stage stops at or below this total overflow
  int costRelaxRound = 35;            // maze round from which the cost offset is relaxed
  int historyCostMode = 1;            // copied into the router at maze start
  int wirelengthParam = 200;          // "Wirelength" level L stored as 10 * L + 30
  int expandCenter = 9;               // centre of the bounding-box expansion ramp
  double expandScale = 2.0;           // scale of that ramp
};

// Writes the defaults above into params; db is not touched.
void setDefaultParameter(NetDB& db, parameterSet& params);
