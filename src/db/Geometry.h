#pragma once
// Tile points and path steps shared by every stage.

#include <cstddef>
#include <cstdint>
#include <ostream>

// A tile position with a 0-based layer. Equality, order and distance ignore the layer:
// two pins in one tile are one point for decomposition and rip-up.
struct Point {
  int x = 0, y = 0;  // tile column and row
  int z = 0;         // 0-based layer
  Point() = default;
  Point(int x_, int y_) : x(x_), y(y_) {}
  Point(int x_, int y_, int z_) : x(x_), y(y_), z(z_) {}
  bool operator==(const Point& o) const { return x == o.x && y == o.y; }
  bool operator!=(const Point& o) const { return x != o.x || y != o.y; }
  // By x, then y; no stage relies on it.
  bool operator<(const Point& o) const { return x != o.x ? x < o.x : y < o.y; }
  int distance(const Point& o) const { return (x > o.x ? x - o.x : o.x - x) + (y > o.y ? y - o.y : o.y - y); }
};

// One unit step of a path, or one grid edge, named by its lower or left end:
// hori 1 = (x,y)-(x+1,y), hori 0 = (x,y)-(x,y+1), hori 2 = via (x,y) from layer z to z+1.
struct RPoint {
  int hori = 0, x = 0, y = 0, z = 0;
  RPoint() = default;
  RPoint(int x_, int y_, int hori_) : hori(hori_), x(x_), y(y_), z(0) {}
  RPoint(int x_, int y_, int z_, int hori_) : hori(hori_), x(x_), y(y_), z(z_) {}
  // The operators ignore z; the per-net edge sets use eqRPoint, which does not.
  bool operator==(const RPoint& o) const { return x == o.x && y == o.y && hori == o.hori; }
  bool operator!=(const RPoint& o) const { return !(*this == o); }
  // By hori; then vertical edges by x then y, the others by y then x.
  bool operator<(const RPoint& o) const {
    if (hori != o.hori) return hori < o.hori;
    if (hori != 0) return y != o.y ? y < o.y : x < o.x;
    return x != o.x ? x < o.x : y < o.y;
  }
  int distance(const RPoint& o) const { return (x > o.x ? x - o.x : o.x - x) + (y > o.y ? y - o.y : o.y - y); }
};

// Bucket hash of the per-net edge sets: (y + [hori == 1]) xor x, sign-extended.
struct RPointHash {
  std::size_t operator()(const RPoint& r) const {
    const int v = (r.y + (r.hori == 1 ? 1 : 0)) ^ r.x;
    return static_cast<std::size_t>(static_cast<std::int64_t>(v));
  }
};

// Edge-set equality: all four fields, so one edge on two layers is two keys.
struct eqRPoint {
  bool operator()(const RPoint& a, const RPoint& b) const {
    return a.x == b.x && a.y == b.y && a.z == b.z && a.hori == b.hori;
  }
};

inline int abs_int(int v) { return v < 0 ? -v : v; }

std::ostream& operator<<(std::ostream& os, const Point& p);
std::ostream& operator<<(std::ostream& os, const RPoint& r);
