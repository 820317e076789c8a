#pragma once
// Net names as the problem gives them, for the result file's block headers.
//
// A design has up to two million nets, so the names live end to end in one character arena
// with one end offset per name (about the name's length plus eight bytes per net), not one
// string object each. Name i is chars[ends[i - 1] .. ends[i]), with ends[-1] taken as 0.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class NetNames {
 public:
  void add(std::string_view name) {
    chars.append(name);
    ends.push_back(chars.size());
  }
  void reserve(std::size_t names) { ends.reserve(names); }
  void clear() {
    chars.clear();
    ends.clear();
  }
  std::size_t size() const { return ends.size(); }
  bool empty() const { return ends.empty(); }
  std::string_view operator[](std::size_t i) const {
    const std::uint64_t begin = i == 0 ? 0 : ends[i - 1];
    return std::string_view(chars).substr(begin, ends[i] - begin);
  }

 private:
  std::string chars;
  std::vector<std::uint64_t> ends;
};
