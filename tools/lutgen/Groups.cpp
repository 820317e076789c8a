#include "Groups.h"

#include <algorithm>

namespace lutgen {

int groupCount(int d) {
  int f = 1;
  for (int i = 2; i <= d; ++i) f *= i;
  return f / 4;
}

Frame decodeGroup(int d, int k) {
  int digit[kMaxDegree] = {};
  for (int i = d - 1; i >= 3; --i) {
    digit[i] = k % (i + 1);
    k /= i + 1;
  }
  digit[2] = k;  // 0 or 1: the digit 2 would only occur in the mirrored upper half

  bool used[kMaxDegree] = {};
  auto takeNthFree = [&](int nth) {
    for (int v = 0; v < d; ++v)
      if (!used[v] && nth-- == 0) {
        used[v] = true;
        return v;
      }
    return -1;
  };
  Frame t{};
  for (int i = d - 1; i >= 2; --i) t[i] = takeNthFree(digit[i]);
  const int lo = takeNthFree(0), hi = takeNthFree(0);
  t[0] = hi;
  t[1] = lo;
  return t;
}

int encodeGroup(int d, const Frame& t) {
  int k = (t[0] < t[2] ? 1 : 0) + (t[1] < t[2] ? 1 : 0);
  for (int i = 3; i < d; ++i) {
    int r = 0;
    for (int j = 0; j < i; ++j)
      if (t[j] < t[i]) ++r;
    k = k * (i + 1) + r;
  }
  return k;
}

Frame clampedKey(int d, const Frame& t) {
  auto clampCol = [d](int c) { return std::clamp(c, 1, d - 2); };
  Frame key{};
  key[0] = clampCol(std::max(t[0], t[1]));
  key[1] = clampCol(std::min(t[0], t[1]));
  for (int i = 2; i < d - 2; ++i) key[i] = clampCol(t[i]);
  key[d - 2] = clampCol(std::max(t[d - 2], t[d - 1]));
  key[d - 1] = clampCol(std::min(t[d - 2], t[d - 1]));
  return key;
}

}  // namespace lutgen
