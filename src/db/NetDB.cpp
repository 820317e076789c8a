#include "db/NetDB.h"

#include <algorithm>
#include <cstdlib>

bool net_cp(const Net& a, const Net& b) { return a.id < b.id; }

bool operator<(const Net& a, const Net& b) {
  if (a.pins2D.size() != b.pins2D.size()) return a.pins2D.size() > b.pins2D.size();
  if (a.pins2D.size() < 2) return false;
  auto spread = [](const Net& n) {
    return std::min(std::abs(n.pins2D[0].x - n.pins2D[1].x), std::abs(n.pins2D[0].y - n.pins2D[1].y));
  };
  return spread(a) < spread(b);
}
