#pragma once
// Test inputs for the layer assignment: routing databases filled from problem files or by
// hand, and a stand-in for the planar router (not the router: a deterministic spanning tree
// per net and an L-shaped path per connection) so that whole designs can be assigned.

#include <string>
#include <vector>

#include "db/NetDB.h"
#include "support/ResultChecker.h"

// Fills db from a parsed problem the way the problem reader does: tracks = capacity / pitch,
// pins mapped to tiles and 0-based layers, distinct pins in pins2D/pins3D, repeat and pin
// counts, names kept, nets in fewer than two tiles dropped, adjustments in tracks (restatements skipped).
void fillNetDB(const GrProblem& problem, NetDB& db);

// A grid with the given per-layer tracks, pitch 1 everywhere, origin 0 and tile size 10.
NetDB makeGridDB(int gridX, int gridY, const std::vector<int>& hTracks, const std::vector<int>& vTracks);
// Appends a net with these pins (tile, 0-based layer); pins2D and pin counts follow.
Net& addNet(NetDB& db, int id, const std::vector<Point>& pins);

// Planar steps from a to b: along x first, then along y, z = 0.
std::vector<RPoint> lPath(const Point& a, const Point& b);
// Appends a connection from a to b routed by lPath.
TwoPin& addLConnection(NetDB& db, Net& n, const Point& a, const Point& b);

// Gives every net connections along a minimum spanning tree of its pins2D (Prim from the
// first pin; ties to the lower pin index) and routes each with lPath.
void routeWithLShapes(NetDB& db);

// Path of the problem generator tools/gen_gr.py of the source tree; empty when there is none.
std::string findGenerator();
// Writes a problem with gen_gr.py (profile and seed) into path; returns false if that fails.
bool generateProblem(const std::string& profile, int seed, const std::string& path);
