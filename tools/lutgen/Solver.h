#pragma once
// Solutions of one data set: every Pareto-minimal crossing vector of the clamped net, each with a
// topology in the form the tree builder needs, ordered and encoded for the lengths file.

#include <cstdint>
#include <string>
#include <vector>

#include "Groups.h"

namespace lutgen {

constexpr int kMaxSolutions = 80;  // the evaluator keeps 80 lengths: the base and solutions 1..79
constexpr int kMaxListEntries = 10;

struct Solution {
  int parent = 0;             // 0 = base, j = solution j (1-based, always earlier)
  std::vector<int> add, sub;  // gap indices, an index repeated once per unit
  uint8_t rowcol[7] = {};     // per Steiner point: row << 4 | column, in the frame
  uint8_t neighbor[16] = {};  // per branch
  int extra[16] = {};         // crossings minus one per gap index (1..d-3, d..2d-4)
};

struct DataSet {
  std::vector<Solution> solutions;
};

// Scratch memory of the dynamic program, kept between data sets of one thread.
class Solver {
 public:
  // Data set of the clamped net `key` (see clampedKey); `frame` is a group having that key, used
  // to check every solution against the real frame. Any internal failure throws std::runtime_error.
  DataSet solve(int d, const Frame& key, const Frame& frame);

 private:
  using Vec = uint64_t;  // packed crossing counts, 5 bits per inner gap (4 value bits + guard)

  void setUp(int d, const Frame& key);
  void computeSets();
  void paretoInsert(std::vector<Vec>& set, Vec c) const;
  void addChecked(Vec& a, Vec b) const;
  bool lessEq(Vec a, Vec b) const { return (((b | guard_) - a) & guard_) == guard_; }
  int sumOf(Vec v) const;
  const Vec* setBegin(int mask, int node) const { return pool_.data() + start_[mask * nodes_ + node]; }
  int setSize(int mask, int node) const { return count_[mask * nodes_ + node]; }
  bool contains(int mask, int node, Vec v) const;
  void addPath(int from, int to);
  void trace(int mask, int node, Vec v);
  void buildTopology(Solution& sol) const;

  int d_ = 0, n_ = 0, nodes_ = 0, fields_ = 0, terms_ = 0;
  Vec guard_ = 0;
  int pinNode_[kMaxDegree] = {};
  int termNode_[kMaxDegree] = {};
  std::vector<Vec> dist_;        // [u * nodes + v]
  std::vector<Vec> pool_;        // all stored sets, in order of (mask, node)
  std::vector<uint32_t> start_;  // [mask * nodes + node]
  std::vector<uint32_t> count_;
  std::vector<std::vector<Vec>> work_;  // per node, the set being built
  std::vector<uint8_t> edgeUsed_;       // grid edges of the traced tree
};

}  // namespace lutgen
