#pragma once
// The box of a maze search's target side: its Manhattan distance is the search's estimate of
// the distance still to go.

#include <climits>
#include <vector>

#include "db/Geometry.h"

class CellGrid;

// Two corners: `ur` the largest x and y, `ll` the smallest; z is not used. A default box is
// empty (ur below ll on both axes) and grows with Bondary.
struct BoundingBox {
  Point ur{-1, -1};
  Point ll{INT_MAX, INT_MAX};

  bool inside(int x, int y) const { return ll.x <= x && x <= ur.x && ll.y <= y && y <= ur.y; }
  bool inside(const Point& p) const { return inside(p.x, p.y); }
  bool inside(const RPoint& r) const { return inside(r.x, r.y); }
  // True when `other` lies within this box.
  bool inside(const BoundingBox& other) const { return inside(other.ll) && inside(other.ur); }

  // Grows the box to contain (x, y).
  void Bondary(int x, int y) {
    if (x < ll.x) ll.x = x;
    if (y < ll.y) ll.y = y;
    if (x > ur.x) ur.x = x;
    if (y > ur.y) ur.y = y;
  }
  // Sets the box to the bounds of a non-empty list; an empty list leaves the box as it was.
  void Bondary(const std::vector<Point>& points);

  // Manhattan distance from (x, y) to the box, 0 inside. The box must not be empty.
  int distance(int x, int y) const {
    const int cx = x < ll.x ? ll.x : (x > ur.x ? ur.x : x);
    const int cy = y < ll.y ? ll.y : (y > ur.y ? ur.y : y);
    return (cy > y ? cy - y : y - cy) + (cx > x ? cx - x : x - cx);
  }
  // The same, for callers that pass the search's cell grid and stamp; neither is read.
  int distance(int x, int y, const CellGrid&, int) const { return distance(x, y); }
  // 0 inside; within the x range the nearer horizontal side, within the y range the nearer
  // vertical side, otherwise the nearest corner.
  int distance(const Point& p) const;
};
