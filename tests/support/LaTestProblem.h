#pragma once
// Test inputs for the layer assignment: routing databases made by hand, and a stand-in for
// the planar router (not the router: a deterministic spanning tree per net and an L-shaped
// path per connection) so that whole designs can be assigned.

#include <string>
#include <vector>

#include "db/NetDB.h"

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
