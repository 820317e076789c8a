#include "db/Geometry.h"

std::ostream& operator<<(std::ostream& os, const Point& p) { return os << "(" << p.x << "," << p.y << ")"; }

std::ostream& operator<<(std::ostream& os, const RPoint& r) {
  return os << (r.hori != 0 ? 'h' : 'v') << "(" << r.x << "," << r.y << ")";
}
