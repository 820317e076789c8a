#pragma once
// Membership of a net's pins while a reader collects them.

#include <cstddef>
#include <cstdint>
#include <unordered_set>
#include <vector>

// A linear scan for small nets, a hash set for large ones, so that nets of thousands of pins
// cost no quadratic scan. Both give the same answers; the set is never iterated.
class PinSet {
 public:
  void clear() {
    points.clear();
    keys.clear();
  }
  // Inserts the key; false when it was already present.
  bool insert(std::uint64_t key) {
    if (!keys.empty()) return keys.insert(key).second;
    for (std::uint64_t k : points)
      if (k == key) return false;
    points.push_back(key);
    if (points.size() > kLinearLimit) keys.insert(points.begin(), points.end());
    return true;
  }

 private:
  static constexpr std::size_t kLinearLimit = 32;
  std::vector<std::uint64_t> points;
  std::unordered_set<std::uint64_t> keys;
};
