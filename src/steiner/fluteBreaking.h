#pragma once
// Pieces of net breaking shared by the tree builder (fluteMD.cpp) and the length estimator
// (fluteWL.cpp). Nets are in sorted form: xs, ys ascending, s[i] = x rank of the i-th pin in y order.

#include <vector>

namespace fluteBreaking {

// Scores of the row and column break candidates of one net.
struct BreakScores {
  int lb = 0, ub = 0;        // break range: x ranks and y positions lb..ub
  std::vector<float> value;  // 2j: break at x rank lb+j, 2j+1: break at y position lb+j
};

// si is the inverse of s. The length estimator (lengthOnly) scores the outermost positions by
// their own centre distance and uses other neighbour-gap cases.
BreakScores scoreBreaks(int d, const int* xs, const int* ys, const int* s, const int* si, int acc, bool lengthOnly);

// Index of the first largest value; that value is replaced so it is never taken again.
int takeBest(std::vector<float>& value);

// Tries of a scored breaking and the accuracy its parts are built with.
int breakTries(int acc, int count);
int partAccuracy(int acc);

// A net split into two sorted halves that share the break pin: the lower half (x1, y1, s1) and
// the upper half (x2, y2, s2).
struct SplitNet {
  std::vector<int> x1, y1, s1, x2, y2, s2;
  int i1 = 0, i2 = 0;  // y position of the break pin in the lower and in the upper half
};

// Break at y position p (the lower half: positions 0..p, the upper half: p..d-1).
void splitAtRow(int d, const int* xs, const int* ys, const int* si, int p, SplitNet& n);
// Break at x rank p (the lower half: ranks 0..p, the upper half: p..d-1).
void splitAtColumn(int d, const int* xs, const int* ys, const int* s, int p, SplitNet& n);
// Split at the corner of a lower-left or lower-right block of the lowest pins that leaves at least
// two pins outside; false when there is none. The lower half's last pin and the
// upper half's first are the corner.
bool cornerSplit(int d, const int* xs, const int* ys, const int* s, SplitNet& n);

std::vector<int> inverseRanks(int d, const int* s);

// Drops a pin that repeats the pin at the previous y position (in place); returns the new degree.
int removeDuplicates(int d, int* xs, int* ys, int* s);

// Sorted form of d pins by the selection sorts of flute; order[i] = caller index of the i-th pin
// in y order (may be null).
void sortPins(int d, const int* x, const int* y, int* xs, int* ys, int* s, int* order);

}  // namespace fluteBreaking
