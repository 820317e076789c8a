#pragma once
// Rectilinear Steiner trees by lookup table ("POWV9.dat" lengths, "POST9.dat" topologies),
// with net breaking for nets of more than nine pins.

#include <memory>

struct Branch {
  int x = 0, y = 0;  // column, row
  int n = 0;         // branch this one connects to; the root points to itself
};

// Branches 0..deg-1 are the pins, deg..2deg-3 the Steiner points. The tree owns its branches.
struct Tree {
  int deg = 0;
  int length = 0;                    // total rectilinear length as the builder evaluated it
  std::unique_ptr<Branch[]> branch;  // 2 * deg - 2 entries
};

// One stored solution of a lookup-table group.
struct LutSolution {
  unsigned char parent = 0;         // 0 = half-perimeter base, j >= 1 = length of solution j
  unsigned char seg[11] = {};       // add list from seg[0] up, subtract list from seg[10] down, 0-terminated
  unsigned char rowcol[7] = {};     // per Steiner point: high nibble y index, low nibble x index
  unsigned char neighbor[16] = {};  // per branch: the branch it connects to
};

// Groups per degree: d!/4 for d = 4..9.
extern const int numgrp[10];
// Solution count and solution array of group k of degree d; shared arrays for back-references.
extern int numsoln[10][90720];
extern LutSolution* LUT[10][90720];

// The table files, read from the working directory.
inline constexpr char kLengthsFile[] = "POWV9.dat";
inline constexpr char kTopologiesFile[] = "POST9.dat";

// Loads both table files from the working directory; a missing or malformed file ends the run.
void readLUT();

// Steiner tree of d >= 2 pins at (x[i], y[i]); acc is the net-breaking accuracy (d > 9 only).
Tree flute(int d, const int* x, const int* y, int acc);
// Tree of a net of 2..9 pins in sorted form: xs, ys ascending, s[i] = x rank of the i-th pin in y order.
Tree flutes_LD(int d, const int* xs, const int* ys, const int* s);

// Table lookup shared by the tree and the length builders, for 4 <= d <= 9.
struct LutQuery {
  int k = 0;              // group index after mirroring
  bool mirrored = false;  // the net was mirrored in x
  int base = 0;           // half-perimeter of the bounding box
  int dd[16] = {};        // gap vector: 1..d-3 row gaps, d..2d-4 column gaps
};
LutQuery lutQuery(int d, const int* xs, const int* ys, const int* s);
// Index (0-based) of the first shortest solution of the query's group; its length goes to *length.
int lutBestSolution(int d, const LutQuery& q, int* length);

// Net breaking for d >= 10 pins in sorted form, and the joins of two sub-trees.
Tree flutes_MD(int d, const int* xs, const int* ys, const int* s, int acc);
Tree dmergetree(const Tree& t1, const Tree& t2);
Tree vmergetree(const Tree& t1, const Tree& t2);
Tree hmergetree(const Tree& t1, const Tree& t2, const int* s);
void local_refinement(Tree& tree, int p);
Tree flutes_RDP(int d, int* xs, int* ys, int* s, int acc);

// Lengths only, no tree built.
int flute_wl(int d, const int* x, const int* y, int acc);
int flutes_wl_LD(int d, const int* xs, const int* ys, const int* s);
int flutes_wl_MD(int d, const int* xs, const int* ys, const int* s, int acc);
int flutes_wl_RDP(int d, int* xs, int* ys, int* s, int acc);

// Sum of the branch lengths; printers of a tree on standard output.
int wirelength(const Tree& tree);
void plottree(const Tree& tree);
void printtree(const Tree& tree);
