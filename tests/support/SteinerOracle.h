#pragma once
// Exact rectilinear Steiner minimal trees for small nets (test oracle): Dreyfus-Wagner over the
// Hanan grid. Exponential in the pin count; meant for up to about 12 pins.

#include "steiner/flute.h"

// Length of a shortest rectilinear Steiner tree over the pins (x[i], y[i]), d >= 1.
int exactSteinerLength(int d, const int* x, const int* y);

// An optimal tree in the module's layout: branches 0..d-1 are the pins in the caller's order,
// d..2d-3 Steiner points; every branch links to a Steiner point and the root is a Steiner point.
// d >= 3.
Tree exactSteinerTree(int d, const int* x, const int* y);
