#include "router/BoundingBox.h"

#include <algorithm>

void BoundingBox::Bondary(const std::vector<Point>& points) {
  if (points.empty()) return;
  ll = ur = Point(points[0].x, points[0].y);
  for (const Point& p : points) Bondary(p.x, p.y);
}

int BoundingBox::distance(const Point& p) const {
  if (inside(p)) return 0;
  if (ll.x <= p.x && p.x <= ur.x) return std::min(abs_int(p.y - ll.y), abs_int(p.y - ur.y));
  if (ll.y <= p.y && p.y <= ur.y) return std::min(abs_int(p.x - ll.x), abs_int(p.x - ur.x));
  const Point corners[4] = {ll, ur, Point(ll.x, ur.y), Point(ur.x, ll.y)};
  int best = INT_MAX;
  for (const Point& c : corners) best = std::min(best, p.distance(c));
  return best;
}
