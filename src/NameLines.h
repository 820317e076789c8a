#pragma once
// The net names a reader has met, each with the line that gave it, so that a repeated name can
// be refused naming both lines: the result file and its evaluator find a net by its name.
//
// A design has up to two million nets, so the names live end to end in one arena and the
// lookup is an open-addressing table of name numbers (linear probing, at most half full): about
// the name's length plus 20 bytes per net. Lookups only; nothing is ever iterated in hash order.

#include <cstdint>
#include <string_view>
#include <vector>

#include "db/NetNames.h"

class NameLines {
 public:
  // The line that gave `name` first, or 0 when the name is new; a new name is kept with `line`.
  int firstLine(std::string_view name, int line) {
    if (2 * (names.size() + 1) > slots.size()) grow();
    std::size_t s = hash(name) & (slots.size() - 1);
    for (; slots[s] != 0; s = (s + 1) & (slots.size() - 1))
      if (names[slots[s] - 1] == name) return lines[slots[s] - 1];
    names.add(name);
    lines.push_back(line);
    slots[s] = std::uint32_t(names.size());
    return 0;
  }

 private:
  // FNV-1a: the same value on every machine and run.
  static std::uint64_t hash(std::string_view name) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : name) h = (h ^ std::uint8_t(c)) * 1099511628211ull;
    return h ^ (h >> 29);  // the table masks the low bits; fold the well-mixed high ones in
  }
  void grow() {
    slots.assign(slots.empty() ? 64 : 2 * slots.size(), 0);
    for (std::size_t i = 0; i < names.size(); ++i) {
      std::size_t s = hash(names[i]) & (slots.size() - 1);
      while (slots[s] != 0) s = (s + 1) & (slots.size() - 1);
      slots[s] = std::uint32_t(i + 1);
    }
  }

  NetNames names;
  std::vector<int> lines;            // lines[i]: where names[i] was met
  std::vector<std::uint32_t> slots;  // name number + 1; 0 is an empty slot
};
