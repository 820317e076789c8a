#pragma once
// The net names a reader has met, each with the line that gave it, so that a repeated name can
// be refused naming both lines: the result file and its evaluator find a net by its name.
//
// A design has up to two million nets, so the names live end to end in one arena and the
// lookup is an open-addressing table (linear probing, at most half full) whose slots hold a
// name's number and the low half of its hash: a probe compares names only when those agree,
// and growing never rereads a name. About the name's length plus 28 bytes per net. Answers
// never depend on the order of the slots.

#include <cstdint>
#include <string_view>
#include <vector>

#include "db/NetNames.h"

class NameLines {
 public:
  // The line that gave `name` first, or 0 when the name is new; a new name is kept with `line`.
  int firstLine(std::string_view name, int line) {
    if (2 * (names.size() + 1) > slots.size()) grow();
    const std::uint64_t tag = hash(name) << 32;
    std::size_t s = slotOf(tag);
    for (; slots[s] != 0; s = (s + 1) & (slots.size() - 1)) {
      const std::size_t i = std::size_t(slots[s] & kNumberMask) - 1;
      if ((slots[s] & ~kNumberMask) == tag && names[i] == name) return lines[i];
    }
    names.add(name);
    lines.push_back(line);
    slots[s] = tag | names.size();
    return 0;
  }

 private:
  static constexpr std::uint64_t kNumberMask = 0xffffffffu;

  // FNV-1a: the same value on every machine and run.
  static std::uint64_t hash(std::string_view name) {
    std::uint64_t h = 14695981039346656037ull;
    for (const char c : name) h = (h ^ std::uint8_t(c)) * 1099511628211ull;
    return h ^ (h >> 32);  // only the low half is kept; fold the well-mixed high one in
  }
  // Home slot of a tag (the hash's low half, shifted up); tables stay below 2^32 slots.
  std::size_t slotOf(std::uint64_t tag) const { return std::size_t(tag >> 32) & (slots.size() - 1); }
  // Doubles the table (64 slots at first); the tags give each entry's new home.
  void grow() {
    std::vector<std::uint64_t> old(slots.empty() ? 64 : 2 * slots.size(), 0);
    old.swap(slots);
    for (const std::uint64_t entry : old) {
      if (entry == 0) continue;
      std::size_t s = slotOf(entry & ~kNumberMask);
      while (slots[s] != 0) s = (s + 1) & (slots.size() - 1);
      slots[s] = entry;
    }
  }

  NetNames names;
  std::vector<int> lines;            // lines[i]: where names[i] was met
  std::vector<std::uint64_t> slots;  // high half: the hash's low half; low half: name number + 1; 0: empty
};
