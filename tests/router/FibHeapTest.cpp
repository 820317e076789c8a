#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "router/GridCell.h"
#include "router/fib.h"

namespace {

// Random inserts, heavy decrease-key, deletes and extractions against std::multiset; keys come
// from a small range so that ties are frequent, and resets start new "searches".
TEST(FibHeap, MatchesMultisetUnderRandomDecreaseKeyWorkload) {
  std::mt19937 rng(12345);
  constexpr int kCells = 3000;
  std::vector<GridCell> cells(kCells);
  std::vector<fibheap_el*> node(kCells, nullptr);
  std::vector<int> inHeap;  // cell indices held
  std::vector<int> where(kCells, -1);
  FibHeapPtr h(fh_makekeyheap(1));
  std::multiset<float> ref;
  auto drop = [&](int i) {
    const int pos = where[i];
    where[inHeap.back()] = pos;
    inHeap[pos] = inHeap.back();
    inHeap.pop_back();
    where[i] = -1;
  };
  for (int round = 0; round < 6; ++round) {
    for (int step = 0; step < 40000; ++step) {
      const int op = int(rng() % 10);
      if (op < 4) {
        const int i = int(rng() % kCells);
        if (where[i] >= 0) continue;
        cells[i].key = float(rng() % 200);
        node[i] = fh_insert(h.get(), &cells[i]);
        ref.insert(cells[i].key);
        where[i] = int(inHeap.size());
        inHeap.push_back(i);
      } else if (op < 8) {
        if (inHeap.empty()) continue;
        const int i = inHeap[rng() % inHeap.size()];
        const float k = cells[i].key - float(rng() % 40);
        ref.erase(ref.find(cells[i].key));
        fh_replacekey(h.get(), node[i], k);
        ref.insert(k);
      } else if (op < 9) {
        if (inHeap.empty()) continue;
        const int i = inHeap[rng() % inHeap.size()];
        ref.erase(ref.find(cells[i].key));
        ASSERT_EQ(fh_delete(h.get(), node[i]), &cells[i]);
        drop(i);
      } else {
        GridCell* c = fh_extractmin(h.get());
        if (ref.empty()) {
          ASSERT_EQ(c, nullptr);
          continue;
        }
        ASSERT_NE(c, nullptr);
        ASSERT_EQ(c->key, *ref.begin()) << "round " << round << " step " << step;
        ref.erase(ref.begin());
        drop(int(c - cells.data()));
      }
      ASSERT_EQ(h->n, int(ref.size()));
    }
    // Drain half of the time, otherwise forget the rest as a finished search does.
    if (round % 2 == 0) {
      while (!ref.empty()) {
        GridCell* c = fh_extractmin(h.get());
        ASSERT_EQ(c->key, *ref.begin());
        ref.erase(ref.begin());
        drop(int(c - cells.data()));
      }
      ASSERT_EQ(fh_extractmin(h.get()), nullptr);
    }
    fh_resetheap(h.get());
    ref.clear();
    for (int i : inHeap) where[i] = -1;
    inHeap.clear();
  }
}

// Lowering a key to one already held: the lowered cell becomes the minimum (it is taken first),
// and a child lowered to its parent's key is cut to the root ring.
TEST(FibHeap, DecreaseKeyToAnEqualKeyTakesTheLoweredCellFirst) {
  std::vector<GridCell> cells(9);
  FibHeapPtr h(fh_makekeyheap(1));
  std::vector<fibheap_el*> node;
  for (std::size_t i = 0; i < cells.size(); ++i) {
    cells[i].key = float(10 * i);  // cell 0 (key 0) is taken at once to build trees
    node.push_back(fh_insert(h.get(), &cells[i]));
  }
  ASSERT_EQ(fh_extractmin(h.get()), &cells[0]);
  GridCell* const top = h->min->data;  // key 10, a root with children
  std::size_t child = 0;
  while (child < cells.size() && node[child]->parent != h->min) ++child;
  ASSERT_LT(child, cells.size());
  fh_replacekey(h.get(), node[child], top->key);
  EXPECT_EQ(node[child]->parent, nullptr);
  EXPECT_EQ(h->min, node[child]);
  std::vector<GridCell*> order;
  while (GridCell* c = fh_extractmin(h.get())) order.push_back(c);
  ASSERT_EQ(order.size(), 8u);
  EXPECT_EQ(order[0], &cells[child]);
  EXPECT_EQ(order[1], top);
  for (std::size_t i = 2; i < order.size(); ++i) EXPECT_LT(order[i - 1]->key, order[i]->key);

  // In a flat root ring: keys 5, 3, 7; lowering 7 to 3 takes it before the first 3.
  FibHeapPtr flat(fh_makekeyheap(1));
  GridCell a, b, c;
  a.key = 5.0f, b.key = 3.0f, c.key = 7.0f;
  fh_insert(flat.get(), &a);
  fh_insert(flat.get(), &b);
  fibheap_el* cn = fh_insert(flat.get(), &c);
  fh_replacekey(flat.get(), cn, 3.0f);
  EXPECT_EQ(fh_extractmin(flat.get()), &c);
  EXPECT_EQ(fh_extractmin(flat.get()), &b);
  EXPECT_EQ(fh_extractmin(flat.get()), &a);
}

}  // namespace
