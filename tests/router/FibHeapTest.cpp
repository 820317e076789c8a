#include <gtest/gtest.h>

#include <random>
#include <set>
#include <vector>

#include "router/GridCell.h"
#include "router/fib.h"

namespace {

// Cells with the given keys; each cell's node is its own, as in the grid.
std::vector<GridCell> cellsWithKeys(const std::vector<float>& keys) {
  std::vector<GridCell> cells(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    cells[i].key = keys[i];
    cells[i].x = int(i);
  }
  return cells;
}

TEST(FibHeap, EqualKeysKeepTheFirstMinimumOnInsert) {
  auto cells = cellsWithKeys({5, 3, 3});
  FibHeapPtr h(fh_makekeyheap(1));
  for (GridCell& c : cells) fh_insert(h.get(), &c);
  EXPECT_EQ(fh_min(h.get()), &cells[1]);
  EXPECT_EQ(h->n, 3);
}

TEST(FibHeap, EmptyHeapExtractsNullAndReportsNegativeInfinity) {
  FibHeapPtr h(fh_makekeyheap(1));
  EXPECT_EQ(fh_extractmin(h.get()), nullptr);
  EXPECT_EQ(h->n, 0);
  EXPECT_EQ(fh_min(h.get()), nullptr);
  EXPECT_EQ(fh_minkey(h.get()), -2147483648.0f);
}

// Traced by hand: a, b, c (key 2) then d (key 1). The ring after inserts is a d c b; extracting
// d consolidates a under b (b is placed second and wins the tie), leaving c (degree 0) then b
// (degree 1) in degree order, so c is the minimum; then b, whose child a comes last.
TEST(FibHeap, EqualKeysLeaveInRingAndConsolidationOrder) {
  auto cells = cellsWithKeys({2, 2, 2, 1});
  FibHeapPtr h(fh_makekeyheap(1));
  for (GridCell& c : cells) fh_insert(h.get(), &c);
  std::vector<int> order;
  while (GridCell* c = fh_extractmin(h.get())) order.push_back(c->x);
  EXPECT_EQ(order, (std::vector<int>{3, 2, 1, 0}));
}

TEST(FibHeap, ReplaceKeyRefusesIncreaseAndIgnoresEqualKey) {
  auto cells = cellsWithKeys({4, 6});
  FibHeapPtr h(fh_makekeyheap(1));
  fibheap_el* a = fh_insert(h.get(), &cells[0]);
  fibheap_el* b = fh_insert(h.get(), &cells[1]);
  testing::internal::CaptureStdout();
  EXPECT_EQ(fh_replacekey(h.get(), a, 9.0f), 4.0f);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "cant increase key\n");
  EXPECT_EQ(cells[0].key, 4.0f);
  EXPECT_EQ(fh_replacekey(h.get(), b, 6.0f), 6.0f);
  EXPECT_EQ(fh_min(h.get()), &cells[0]);
  // Lowered to the minimum's key: the lowered node takes the minimum over.
  EXPECT_EQ(fh_replacekey(h.get(), b, 4.0f), 6.0f);
  EXPECT_EQ(fh_min(h.get()), &cells[1]);
}

TEST(FibHeap, ResetForgetsEverythingAndNextInsertIsMinimum) {
  auto cells = cellsWithKeys({1, 2, 3, 4, 5, 6, 7, 8, 100});
  FibHeapPtr h(fh_makekeyheap(1));
  for (int i = 0; i < 8; ++i) fh_insert(h.get(), &cells[i]);
  fh_extractmin(h.get());  // builds child rings that the reset must not visit
  fh_resetheap(h.get());
  EXPECT_EQ(h->n, 0);
  EXPECT_EQ(h->maxDegree, -1);
  fh_insert(h.get(), &cells[8]);
  EXPECT_EQ(fh_min(h.get()), &cells[8]);
  EXPECT_EQ(fh_extractmin(h.get()), &cells[8]);
  EXPECT_EQ(fh_extractmin(h.get()), nullptr);
}

TEST(FibHeap, UnionKeepsTheSmallerMinimumAndAllElements) {
  auto cells = cellsWithKeys({5, 7, 2, 9});
  fibheap* a = fh_makekeyheap(1);
  fibheap* b = fh_makekeyheap(1);
  fh_insert(a, &cells[0]);
  fh_insert(a, &cells[1]);
  fh_insert(b, &cells[2]);
  fh_insert(b, &cells[3]);
  FibHeapPtr u(fh_union(a, b));
  EXPECT_EQ(u->n, 4);
  std::vector<float> keys;
  while (GridCell* c = fh_extractmin(u.get())) keys.push_back(c->key);
  EXPECT_EQ(keys, (std::vector<float>{2, 5, 7, 9}));
  // An empty side is released and the other returned.
  fibheap* empty = fh_makekeyheap(1);
  fibheap* full = fh_makekeyheap(1);
  fh_insert(full, &cells[0]);
  FibHeapPtr v(fh_union(empty, full));
  EXPECT_EQ(v.get(), full);
  EXPECT_EQ(v->n, 1);
}

TEST(FibHeap, DeleteReplaceDataAndNegInf) {
  auto cells = cellsWithKeys({3, 1, 2, 8});
  FibHeapPtr h(fh_makekeyheap(1));
  std::vector<fibheap_el*> nodes;
  for (int i = 0; i < 3; ++i) nodes.push_back(fh_insert(h.get(), &cells[i]));
  fh_extractmin(h.get());  // cells[1]; cells[0] and cells[2] now form a tree
  EXPECT_EQ(fh_delete(h.get(), nodes[0]), &cells[0]);
  EXPECT_EQ(cells[0].key, -2147483648.0f);
  EXPECT_EQ(h->n, 1);
  EXPECT_EQ(fh_replacedata(h.get(), nodes[2], &cells[3]), &cells[2]);
  EXPECT_EQ(cells[3].key, 2.0f);  // the new payload takes over the key
  EXPECT_EQ(fh_min(h.get()), &cells[3]);
  EXPECT_EQ(fh_setneginf(h.get(), &cells[1]), nullptr);
  EXPECT_EQ(fh_setneginf(h.get(), nullptr), &cells[1]);
  FibHeapPtr plain(fh_makeheap(4));
  EXPECT_EQ(plain->keys, 0);
  EXPECT_EQ(h->keys, 1);
  fh_insertkey(plain.get(), 6.5f, &cells[2]);
  EXPECT_EQ(fh_minkey(plain.get()), 6.5f);
}

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

// Deque: pushes at both ends, pop from the head, and the replace rule.
TEST(FibQue, PushPopAndReplaceKeepOrder) {
  auto cells = cellsWithKeys({1, 2, 3, 4});
  fibque q;
  fh_push_back(&q, &cells[1]);
  fh_push_front(&q, &cells[0]);
  fh_push_back(&q, &cells[2]);
  fh_push_back(&q, &cells[3]);
  EXPECT_EQ(q.count, 4);
  // Middle element lowered but still >= its left neighbour: stays.
  EXPECT_EQ(fh_replace_que(&q, &cells[2].heapNode, 2.0f), 1);
  // Middle element lowered below its left neighbour: unlinked.
  EXPECT_EQ(fh_replace_que(&q, &cells[1].heapNode, 0.5f), 0);
  EXPECT_EQ(q.count, 3);
  EXPECT_EQ(cells[1].key, 0.5f);
  // Tail raised is fine for the tail; head lowered is fine for the head.
  EXPECT_EQ(fh_replace_que(&q, &cells[3].heapNode, 9.0f), 1);
  // The tail dropping below its left neighbour leaves, and the tail moves back.
  EXPECT_EQ(fh_replace_que(&q, &cells[3].heapNode, 1.5f), 0);
  EXPECT_EQ(q.tail, &cells[2].heapNode);
  std::vector<int> order;
  while (q.count > 0) order.push_back(fh_pop(&q)->x);
  EXPECT_EQ(order, (std::vector<int>{0, 2}));
  EXPECT_EQ(q.head, nullptr);
  EXPECT_EQ(q.tail, nullptr);
}

TEST(FibQue, OnlyElementAlwaysStaysAndHeadRemovalMovesHead) {
  auto cells = cellsWithKeys({5, 6});
  fibque q;
  fh_push_front(&q, &cells[0]);
  EXPECT_EQ(fh_replace_que(&q, &cells[0].heapNode, 1000.0f), 1);
  EXPECT_EQ(fh_replace_que(&q, &cells[0].heapNode, -1000.0f), 1);
  fh_push_back(&q, &cells[1]);
  EXPECT_EQ(fh_replace_que(&q, &cells[0].heapNode, 7.0f), 0);  // head above its right neighbour
  EXPECT_EQ(q.head, &cells[1].heapNode);
  EXPECT_EQ(q.head->left, nullptr);
  fh_que_reset(&q);
  EXPECT_EQ(q.count, 0);
  EXPECT_EQ(q.head, nullptr);
}

}  // namespace
