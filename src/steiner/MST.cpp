// Kruskal's spanning tree over all pin pairs of a net.
//
// Steps: every pair (i < j, i outer) becomes a candidate link pushed onto a binary heap in
// that order; links then leave the heap cheapest first and are kept when they join two
// different union-find components. The selection ends after n - 1 kept links (the tree is
// complete) or when the heap runs dry. Distances are integers, so many candidates tie; the
// heap's fixed discipline, not insertion order, decides among them, and that choice is part
// of the result. Cost: n(n-1)/2 candidates of 12 bytes, O(n^2 log n) time in the worst case.

#include "steiner/MST.h"

#include <limits>
#include <new>
#include <stdexcept>
#include <string>

#include "db/Report.h"

int DisjointSet::Find(int x) {
  if (parent[std::size_t(x)] == -1) return x;
  // Union by rank keeps trees O(log n) deep, so the recursion stays shallow.
  parent[std::size_t(x)] = Find(parent[std::size_t(x)]);
  return parent[std::size_t(x)];
}

void DisjointSet::unite(int rootA, int rootB) {
  int& rankA = rank[std::size_t(rootA)];
  const int rankB = rank[std::size_t(rootB)];
  if (rankA > rankB) {
    parent[std::size_t(rootB)] = rootA;
  } else if (rankA == rankB) {
    parent[std::size_t(rootB)] = rootA;
    ++rankA;
  } else {
    parent[std::size_t(rootA)] = rootB;
  }
}

void LinkHeap::reserve(std::uint64_t count) {
  // A net of p pins asks for p(p-1)/2 links; the request may exceed memory, or even size_t.
  try {
    if (count > std::uint64_t(std::numeric_limits<std::size_t>::max())) throw std::length_error("");
    links_.reserve(std::size_t(count));
  } catch (const std::bad_alloc&) {
    throw LinkMemoryExhausted(count);
  } catch (const std::length_error&) {
    throw LinkMemoryExhausted(count);
  }
}

inline void LinkHeap::siftUp(std::size_t hole, const Link& link) {
  // Only strictly dearer parents move down, so a link never passes an equal one above it.
  while (hole > 0) {
    const std::size_t parentPos = (hole - 1) / 2;
    if (!(links_[parentPos].cost > link.cost)) break;
    links_[hole] = links_[parentPos];
    hole = parentPos;
  }
  links_[hole] = link;
}

void LinkHeap::push(const Link& link) {
  links_.emplace_back();
  siftUp(links_.size() - 1, link);
}

Link LinkHeap::popTop() {
  const Link top = links_.front();
  const Link last = links_.back();
  links_.pop_back();
  const std::size_t len = links_.size();
  if (len == 0) return top;  // the top was the last link
  // The hole sinks all the way to a leaf, whatever the cost of the link that will fill it.
  std::size_t hole = 0;
  while (2 * hole + 2 < len) {
    std::size_t child = 2 * hole + 2;
    if (links_[child].cost > links_[child - 1].cost) --child;
    links_[hole] = links_[child];
    hole = child;
  }
  if (2 * hole + 1 < len) {
    links_[hole] = links_[2 * hole + 1];
    hole = 2 * hole + 1;
  }
  siftUp(hole, last);
  return top;
}

void MST(const std::vector<Point>& pins, std::vector<Link>& out, const TileMap& map, bool useMap) {
  const int n = int(pins.size());
  if (n < 2) return;

  // Map values looked up once per pin rather than once per pair.
  std::vector<int> mapValue;
  if (useMap) {
    mapValue.resize(std::size_t(n));
    for (int i = 0; i < n; ++i) {
      const Point& p = pins[std::size_t(i)];
      if (!map.contains(p.x, p.y))
        fatalError("MST", format("pin (%d,%d) lies outside the %dx%d tile map", p.x, p.y, map.xNum, map.yNum));
      mapValue[std::size_t(i)] = map[p.x][p.y];
    }
  }

  LinkHeap heap;
  heap.reserve(std::uint64_t(n) * std::uint64_t(n - 1) / 2);
  for (int i = 0; i < n; ++i) {
    const Point& a = pins[std::size_t(i)];
    for (int j = i + 1; j < n; ++j) {
      const Point& b = pins[std::size_t(j)];
      float cost = float(a.distance(b));
      if (useMap && mapValue[std::size_t(i)] == mapValue[std::size_t(j)]) {
        // A pair in one row gets no bias; vertical and diagonal pairs get 0.5. Double, then float.
        const double bias = a.y == b.y ? 0.0 : 0.5;
        cost = float(double(cost) * 0.7 + bias);
      }
      heap.push(Link{i, j, cost});
    }
  }

  DisjointSet sets(n);
  int accepted = 0;
  while (!heap.empty() && accepted != n - 1) {
    const Link link = heap.popTop();
    const int rootA = sets.Find(link.first);
    const int rootB = sets.Find(link.second);
    if (rootA == rootB) continue;
    sets.unite(rootA, rootB);
    out.push_back(link);
    ++accepted;
  }
}

void BuildCongestionDrivenTree(std::vector<Net>& nets, const NetNames* names, std::string_view problemFile) {
  const TileMap emptyMap;
  std::vector<Link> links;
  for (std::size_t k = 0; k < nets.size(); ++k) {
    Net& net = nets[k];
    if (net.pins2D.size() <= 1) continue;
    links.clear();
    try {
      MST(net.pins2D, links, emptyMap, false);
    } catch (const LinkMemoryExhausted& e) {
      // The net with too many pins for the tree is the user's to fix: say which one it is.
      const std::string name =
          names && names->size() == nets.size() ? format("\"%.*s\" ", int((*names)[k].size()), (*names)[k].data()) : "";
      fatalError(problemFile.empty() ? "MST" : problemFile,
                 format("net %s(id %d) of %zu pin tiles: out of memory for %llu candidate links of its spanning tree",
                        name.c_str(), net.id, net.pins2D.size(), (unsigned long long)e.links));
    }
    net.twoPins.reserve(net.twoPins.size() + links.size());  // exact: one allocation, no slack per net
    for (const Link& link : links) {
      const TwoPin twoPin(net.pins2D[std::size_t(link.first)], net.pins2D[std::size_t(link.second)], int(k));
      if (twoPin.p1 == twoPin.p2) continue;  // both ends in one tile: nothing to route
      net.twoPins.push_back(twoPin);
      const int length = twoPin.p1.distance(twoPin.p2);
      net.wireLength += length;
      net.treeLength += length;
    }
  }
}
