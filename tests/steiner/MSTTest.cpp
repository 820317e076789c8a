#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "steiner/MST.h"

namespace {

using ::testing::ElementsAreArray;
using ::testing::HasSubstr;

using LinkKey = std::tuple<int, int, float>;
LinkKey keyOf(const Link& l) { return {l.first, l.second, l.cost}; }
std::vector<LinkKey> keysOf(const std::vector<Link>& links) {
  std::vector<LinkKey> keys;
  for (const Link& l : links) keys.push_back(keyOf(l));
  return keys;
}

// ---------------------------------------------------------------------------------------------
// The heap discipline, written a second way: explicit swaps, and the removal path computed in
// full before anything moves.
struct ReferenceHeap {
  std::vector<Link> v;

  void bubbleUp(std::size_t k) {
    while (k > 0 && v[(k - 1) / 2].cost > v[k].cost) {
      std::swap(v[k], v[(k - 1) / 2]);
      k = (k - 1) / 2;
    }
  }
  void push(const Link& l) {
    v.push_back(l);
    bubbleUp(v.size() - 1);
  }
  Link pop() {
    const Link top = v[0];
    const std::size_t len = v.size() - 1;  // positions 0..len-1 stay, v[len] is the last link
    std::vector<std::size_t> path{0};
    for (;;) {
      const std::size_t k = path.back(), left = 2 * k + 1, right = 2 * k + 2;
      if (right < len) {
        path.push_back(v[right].cost > v[left].cost ? left : right);
      } else if (left < len) {
        path.push_back(left);
      } else {
        break;
      }
    }
    for (std::size_t i = 0; i + 1 < path.size(); ++i) v[path[i]] = v[path[i + 1]];
    const Link last = v[len];
    v.pop_back();
    if (len == 0) return top;
    v[path.back()] = last;
    bubbleUp(path.back());
    return top;
  }
};

// Random pushes and pops with few distinct costs: every pop must match the reference link for
// link (the tie order), the heap array must match after every step, and every popped cost must
// be the smallest one present.
TEST(LinkHeap, FollowsTheTieDisciplineOfTheReference) {
  std::mt19937 rng(12345);
  const float kCosts[] = {0.0f, 1.0f, 1.0f, 2.0f, 2.8f, 3.0f, 3.3f};
  for (int round = 0; round < 200; ++round) {
    LinkHeap heap;
    ReferenceHeap ref;
    std::multiset<float> present;
    int serial = 0;
    const int steps = 50 + int(rng() % 400);
    for (int step = 0; step < steps + 1000; ++step) {
      const bool draining = step >= steps;
      if (draining && heap.empty()) break;
      if (!draining && (heap.empty() || rng() % 5 < 3)) {
        const Link l{serial, serial + 1, kCosts[rng() % std::size(kCosts)]};
        ++serial;
        heap.push(l);
        ref.push(l);
        present.insert(l.cost);
      } else {
        const Link got = heap.popTop();
        const Link want = ref.pop();
        ASSERT_EQ(keyOf(got), keyOf(want)) << "round " << round << " step " << step;
        ASSERT_EQ(got.cost, *present.begin());
        present.erase(present.begin());
      }
      ASSERT_EQ(keysOf(heap.array()), keysOf(ref.v)) << "round " << round << " step " << step;
      ASSERT_EQ(heap.size(), present.size());
    }
  }
}

// Traced by hand: with all costs equal nothing ever moves on push, and each pop sinks the hole
// along the right-most path, so equal links leave in this order, not in insertion order.
TEST(LinkHeap, EqualCostsLeaveInDisciplineOrderNotInsertionOrder) {
  LinkHeap heap;
  for (int i = 0; i < 5; ++i) heap.push(Link{i, i + 1, 1.0f});
  // [0 1 2 3 4]: pop 0; last=4; hole 0 -> right child 2 -> no children; 4 rises to 2: [2 1 4 3]
  // pop 2; last=3; hole 0 -> right child 4 -> leaf; 3 fills 2: [4 1 3]
  // pop 4; last=3; hole 0 has only its left child 1, which moves up; 3 fills 1: [1 3]
  // pop 1; pop 3.
  std::vector<int> order;
  while (!heap.empty()) order.push_back(heap.popTop().first);
  EXPECT_EQ(order, (std::vector<int>{0, 2, 4, 1, 3}));
}

// ---------------------------------------------------------------------------------------------
TEST(DisjointSet, UnitesByRankAndCompressesPaths) {
  DisjointSet s(5);
  EXPECT_EQ(s.parent, (std::vector<int>{-1, -1, -1, -1, -1}));
  s.unite(0, 1);  // equal ranks: 0 stays root and grows
  s.unite(2, 3);
  EXPECT_EQ(s.parent, (std::vector<int>{-1, 0, -1, 2, -1}));
  EXPECT_EQ(s.rank, (std::vector<int>{1, 0, 1, 0, 0}));
  s.unite(s.Find(3), s.Find(1));  // roots 2 and 0, equal ranks: the first one stays root
  EXPECT_EQ(s.parent, (std::vector<int>{2, 0, -1, 2, -1}));
  EXPECT_EQ(s.rank, (std::vector<int>{1, 0, 2, 0, 0}));
  EXPECT_EQ(s.Find(1), 2);  // 1 -> 0 -> 2, and 1 now points at 2 directly
  EXPECT_EQ(s.parent, (std::vector<int>{2, 2, -1, 2, -1}));
  s.unite(4, 2);  // lower rank first: the second root stays root
  EXPECT_EQ(s.parent, (std::vector<int>{2, 2, -1, 2, 2}));
  EXPECT_EQ(s.rank, (std::vector<int>{1, 0, 2, 0, 0}));
}

// ---------------------------------------------------------------------------------------------
// Hand-traced spanning trees.
TEST(MST, ThreePinsInARowTakeBothUnitLinks) {
  std::vector<Link> out;
  MST({Point(0, 0), Point(1, 0), Point(2, 0)}, out, TileMap{}, false);
  EXPECT_THAT(keysOf(out), ElementsAreArray({LinkKey{0, 1, 1.0f}, LinkKey{1, 2, 1.0f}}));
}

// Pins 0(0,0) 1(1,0) 2(0,1) 3(1,1) 4(2,0): six links of length 1 compete for four places.
// Pushed in pair order the heap array becomes (cost in brackets)
//   01[1] 02[1] 13[1] 23[1] 12[2] 03[2] 14[1] 04[2] 24[3] 34[2].
// pop 01: hole 0 -> 2 (13 vs 02 tie: right) -> 6 (14[1] < 03[2]: right); 34 fills 6.
//   array 13 02 14 23 12 03 34 04 24
// pop 13: hole 0 -> 2 (14 vs 02 tie: right) -> 6 (34 vs 03 tie: right); 24 fills 6.
//   array 14 02 34 23 12 03 24 04
// pop 14: hole 0 -> 1 (34[2] > 02[1]: left) -> 3 (12[2] > 23[1]: left); 04 fills 3.
//   array 02 23 34 04 12 03 24
// pop 02: joins 2, the fourth link. 23 is never taken although it ties with all four.
TEST(MST, FivePinsWithManyTiesFollowTheHeapDiscipline) {
  std::vector<Link> out;
  MST({Point(0, 0), Point(1, 0), Point(0, 1), Point(1, 1), Point(2, 0)}, out, TileMap{}, false);
  EXPECT_THAT(keysOf(out),
              ElementsAreArray({LinkKey{0, 1, 1.0f}, LinkKey{1, 3, 1.0f}, LinkKey{1, 4, 1.0f}, LinkKey{0, 2, 1.0f}}));
}

// Costs with the map: 0.7 * distance (+ 0.5 off the row) in double, rounded once to float.
// At distance 9 a float product would give 6.2999997, not the float nearest 6.3.
TEST(MST, MapCostsAreRoundedOnceFromDouble) {
  const struct {
    const char* name;
    Point a, b;
    int valueA, valueB;
    float cost;
  } kCases[] = {
      {"same row, equal values", Point(0, 0), Point(4, 0), 7, 7, 2.8f},
      {"diagonal, equal values", Point(0, 0), Point(2, 2), 7, 7, 3.3f},
      {"same column, equal values", Point(3, 0), Point(3, 4), 7, 7, 3.3f},
      {"row ignores the layer", Point(0, 0, 2), Point(4, 0, 5), 7, 7, 2.8f},
      {"different values keep the distance", Point(0, 0), Point(4, 0), 7, 8, 4.0f},
      {"different values, diagonal", Point(0, 0), Point(2, 2), 7, 8, 4.0f},
      {"same row, distance 9", Point(0, 1), Point(9, 1), 3, 3, 6.3f},
      {"off the row, distance 9", Point(0, 0), Point(4, 5), 3, 3, 6.8f},
      {"same tile", Point(5, 5), Point(5, 5), 0, 0, 0.0f},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TileMap map;
    map.allocate(10, 10, -1);
    map[c.a.x][c.a.y] = c.valueA;
    map[c.b.x][c.b.y] = c.valueB;
    std::vector<Link> out;
    MST({c.a, c.b}, out, map, true);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].cost, c.cost);
    // Without the map the same pair costs its plain distance.
    out.clear();
    MST({c.a, c.b}, out, map, false);
    EXPECT_EQ(out[0].cost, float(c.a.distance(c.b)));
  }
}

// Equal map values make a longer pair win: 0(0,0) and 2(4,0) share a value (2.8 instead of 4),
// 1(2,1) does not (3 to either). With the map: 02, then 01 (left of the tied pair after the pop).
// Without it: 01 and 12 tie at 3 and 02 is never taken.
TEST(MST, MapValuesSteerTheTree) {
  TileMap map;
  map.allocate(5, 2, 0);
  map[2][1] = 1;
  const std::vector<Point> pins{Point(0, 0), Point(2, 1), Point(4, 0)};
  std::vector<Link> out;
  MST(pins, out, map, true);
  EXPECT_THAT(keysOf(out), ElementsAreArray({LinkKey{0, 2, 2.8f}, LinkKey{0, 1, 3.0f}}));
  out.clear();
  MST(pins, out, map, false);
  EXPECT_THAT(keysOf(out), ElementsAreArray({LinkKey{0, 1, 3.0f}, LinkKey{1, 2, 3.0f}}));
}

TEST(MST, AppendsWithoutClearing) {
  const std::vector<Point> pins{Point(0, 0), Point(1, 0), Point(0, 1), Point(1, 1), Point(2, 0)};
  std::vector<Link> out{Link{7, 8, 9.0f}};
  MST(pins, out, TileMap{}, false);
  MST(pins, out, TileMap{}, false);
  ASSERT_EQ(out.size(), 9u);
  EXPECT_EQ(keyOf(out[0]), (LinkKey{7, 8, 9.0f}));
  for (int i = 1; i <= 4; ++i) EXPECT_EQ(keyOf(out[std::size_t(i)]), keyOf(out[std::size_t(i + 4)]));
}

TEST(MST, FewerThanTwoPinsGiveNoLink) {
  std::vector<Link> out;
  MST({}, out, TileMap{}, false);
  MST({Point(3, 3)}, out, TileMap{}, true);  // a lone pin needs no map
  EXPECT_TRUE(out.empty());
}

// ---------------------------------------------------------------------------------------------
// Brute force: Prim's O(n^2) minimum spanning tree total over the same costs.
double primTotal(const std::vector<Point>& pins, const std::vector<std::vector<float>>& cost) {
  const std::size_t n = pins.size();
  std::vector<bool> inTree(n, false);
  std::vector<double> best(n, std::numeric_limits<double>::infinity());
  best[0] = 0.0;
  double total = 0.0;
  for (std::size_t step = 0; step < n; ++step) {
    std::size_t pick = n;
    for (std::size_t v = 0; v < n; ++v)
      if (!inTree[v] && (pick == n || best[v] < best[pick])) pick = v;
    inTree[pick] = true;
    total += best[pick];
    for (std::size_t v = 0; v < n; ++v)
      if (!inTree[v] && double(cost[pick][v]) < best[v]) best[v] = cost[pick][v];
  }
  return total;
}

// Random pins on small boxes (many equal rows, columns and even tiles), with and without a
// random map: n - 1 links, pair indices and costs as generated, costs non-decreasing, the links
// connect every pin, and the total equals the brute-force minimum. Sums of these floats are
// exact in double, so the totals compare exactly.
TEST(MST, RandomPinSetsGiveAMinimumSpanningTree) {
  std::mt19937 rng(2024);
  for (int round = 0; round < 400; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const int side = 1 + int(rng() % 6);
    const int n = 2 + int(rng() % 40);
    const bool useMap = round % 2 == 1;
    TileMap map;
    map.allocate(side, side);
    for (int& v : map.cells) v = int(rng() % 3);
    std::vector<Point> pins;
    for (int i = 0; i < n; ++i) pins.emplace_back(int(rng() % side), int(rng() % side), int(rng() % 4));

    const std::size_t count = std::size_t(n);
    std::vector<std::vector<float>> cost(count, std::vector<float>(count));
    for (int i = 0; i < n; ++i)
      for (int j = 0; j < n; ++j) {
        const Point &a = pins[std::size_t(i)], &b = pins[std::size_t(j)];
        const int d = std::abs(a.x - b.x) + std::abs(a.y - b.y);
        const bool same = useMap && map[a.x][a.y] == map[b.x][b.y];
        cost[std::size_t(i)][std::size_t(j)] = same ? float(0.7 * d + (a.y == b.y ? 0.0 : 0.5)) : float(d);
      }

    std::vector<Link> out;
    MST(pins, out, map, useMap);
    ASSERT_EQ(out.size(), std::size_t(n - 1));
    std::vector<int> component(count);
    for (int i = 0; i < n; ++i) component[std::size_t(i)] = i;
    double total = 0.0;
    for (std::size_t k = 0; k < out.size(); ++k) {
      const Link& l = out[k];
      ASSERT_TRUE(0 <= l.first && l.first < l.second && l.second < n);
      ASSERT_EQ(l.cost, cost[std::size_t(l.first)][std::size_t(l.second)]);
      if (k > 0) {
        ASSERT_LE(out[k - 1].cost, l.cost);
      }
      total += l.cost;
      // Relabel one side; a link inside one component would be a cycle.
      const int from = component[std::size_t(l.second)], to = component[std::size_t(l.first)];
      ASSERT_NE(from, to);
      for (int& c : component) {
        if (c == from) c = to;
      }
    }
    EXPECT_EQ(total, primTotal(pins, cost));
  }
}

// ---------------------------------------------------------------------------------------------
Net netOf(std::vector<Point> pins) {
  Net net;
  net.pins2D = std::move(pins);
  return net;
}

TEST(BuildCongestionDrivenTree, NetsBelowTwoPinsStayUnchanged) {
  std::vector<Net> nets{netOf({}), netOf({Point(2, 3, 1)})};
  nets[1].wireLength = 5;
  nets[1].treeLength = 6;
  nets[1].twoPins.emplace_back(Point(0, 0), Point(1, 1), 1);
  BuildCongestionDrivenTree(nets);
  EXPECT_TRUE(nets[0].twoPins.empty());
  EXPECT_EQ(nets[0].wireLength, 0);
  EXPECT_EQ(nets[0].treeLength, 0);
  EXPECT_EQ(nets[1].twoPins.size(), 1u);
  EXPECT_EQ(nets[1].wireLength, 5);
  EXPECT_EQ(nets[1].treeLength, 6);
}

// Connections are the tree links in order, ends copied with their layers; a link inside one
// tile yields nothing; lengths add to what the net already had.
TEST(BuildCongestionDrivenTree, AppendsOneConnectionPerLinkAcrossTiles) {
  const struct {
    const char* name;
    std::vector<Point> pins;
    std::vector<std::pair<Point, Point>> ends;  // expected p1, p2 (with layers)
    int length;
  } kCases[] = {
      {"two pins", {Point(1, 2, 3), Point(4, 0, 1)}, {{Point(1, 2, 3), Point(4, 0, 1)}}, 5},
      {"three in a row",
       {Point(0, 0, 0), Point(1, 0, 1), Point(2, 0, 2)},
       {{Point(0, 0, 0), Point(1, 0, 1)}, {Point(1, 0, 1), Point(2, 0, 2)}},
       2},
      {"same tile link dropped",
       {Point(1, 1, 0), Point(1, 1, 2), Point(3, 1, 0)},
       {{Point(1, 1, 0), Point(3, 1, 0)}},
       2},
      {"five pins with ties",
       {Point(0, 0), Point(1, 0), Point(0, 1), Point(1, 1), Point(2, 0)},
       {{Point(0, 0), Point(1, 0)}, {Point(1, 0), Point(1, 1)}, {Point(1, 0), Point(2, 0)}, {Point(0, 0), Point(0, 1)}},
       4},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::vector<Net> nets{netOf({Point(0, 0), Point(9, 9)}), netOf(c.pins)};
    nets[1].wireLength = 10;
    nets[1].treeLength = 20;
    nets[1].twoPins.emplace_back(Point(7, 7), Point(8, 8), 1);
    BuildCongestionDrivenTree(nets);
    const Net& net = nets[1];
    ASSERT_EQ(net.twoPins.size(), c.ends.size() + 1);
    for (std::size_t i = 0; i < c.ends.size(); ++i) {
      const TwoPin& t = net.twoPins[i + 1];
      EXPECT_EQ(std::tuple(t.p1.x, t.p1.y, t.p1.z),
                std::tuple(c.ends[i].first.x, c.ends[i].first.y, c.ends[i].first.z));
      EXPECT_EQ(std::tuple(t.p2.x, t.p2.y, t.p2.z),
                std::tuple(c.ends[i].second.x, c.ends[i].second.y, c.ends[i].second.z));
      EXPECT_EQ(t.netIndex, 1);
      EXPECT_EQ(t.ripupCount, 0);
      EXPECT_EQ(t.overflow, 0);
      EXPECT_TRUE(t.needRoute);
      EXPECT_TRUE(t.path.empty());
    }
    EXPECT_EQ(net.wireLength, 10 + c.length);
    EXPECT_EQ(net.treeLength, 20 + c.length);
    EXPECT_EQ(nets[0].wireLength, 18);
    EXPECT_EQ(nets[0].twoPins[0].netIndex, 0);
  }
}

// Random nets of distinct tiles: n - 1 connections and lengths equal to the brute-force minimum.
TEST(BuildCongestionDrivenTree, DistinctPinsGiveSpanningTreeLength) {
  std::mt19937 rng(99);
  std::vector<Net> nets;
  std::vector<int> expected;
  for (int k = 0; k < 200; ++k) {
    const int side = 2 + int(rng() % 8);
    std::set<std::pair<int, int>> used;
    std::vector<Point> pins;
    const int want = 1 + int(rng() % 30);
    while (int(pins.size()) < want && int(used.size()) < side * side) {
      const int x = int(rng() % side), y = int(rng() % side);
      if (used.insert({x, y}).second) pins.emplace_back(x, y);
    }
    std::vector<std::vector<float>> cost(pins.size(), std::vector<float>(pins.size()));
    for (std::size_t i = 0; i < pins.size(); ++i)
      for (std::size_t j = 0; j < pins.size(); ++j) cost[i][j] = float(pins[i].distance(pins[j]));
    expected.push_back(int(primTotal(pins, cost)));
    nets.push_back(netOf(pins));
  }
  BuildCongestionDrivenTree(nets);
  for (std::size_t k = 0; k < nets.size(); ++k) {
    SCOPED_TRACE("net " + std::to_string(k));
    const std::size_t n = nets[k].pins2D.size();
    EXPECT_EQ(nets[k].twoPins.size(), n - 1);
    EXPECT_EQ(nets[k].wireLength, expected[k]);
    EXPECT_EQ(nets[k].treeLength, expected[k]);
  }
}

// ---------------------------------------------------------------------------------------------
TEST(MSTDeathTest, CandidateListBeyondAnySizeEndsTheRun) {
  LinkHeap heap;
  EXPECT_EXIT(heap.reserve(std::numeric_limits<std::uint64_t>::max()), ::testing::ExitedWithCode(1),
              "Error: MST: out of memory");
}

#if defined(__SANITIZE_ADDRESS__)
#define MST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MST_UNDER_ASAN 1
#endif
#endif

TEST(MSTDeathTest, FailedAllocationEndsTheRun) {
#ifdef MST_UNDER_ASAN
  GTEST_SKIP() << "the address sanitizer aborts on huge allocations instead of failing them";
#else
  // Within the vector's size limit but far beyond any address space.
  LinkHeap heap;
  EXPECT_EXIT(heap.reserve(std::uint64_t(1) << 59), ::testing::ExitedWithCode(1), "Error: MST: out of memory");
#endif
}

TEST(MSTDeathTest, PinOutsideTheMapEndsTheRun) {
  TileMap map;
  map.allocate(3, 3);
  std::vector<Link> out;
  EXPECT_EXIT(MST({Point(0, 0), Point(3, 1)}, out, map, true), ::testing::ExitedWithCode(1),
              "Error: MST: pin \\(3,1\\) lies outside the 3x3 tile map");
}

}  // namespace
