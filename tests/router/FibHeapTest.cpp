#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <set>
#include <string>
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

// The whole interface against an ordered model (key -> entry). An entry is named by the cell whose
// node it occupies; after fh_replacedata its payload is another cell. Among equal keys the model
// knows the minimum only where a rule names it: an equal-keyed insert leaves `min` alone, a
// decrease-key to a key at or below the minimum takes it, a union keeps the first heap's minimum
// on equal keys, and after an extraction the equal-keyed root of lowest degree leads. Which
// equal key a consolidation links under which is not modelled; there the check is the key and
// that the extracted cell is the one fh_min named.
TEST(FibHeap, WholeInterfaceMatchesAnOrderedModel) {
  std::mt19937 rng(2024);
  constexpr int kCells = 300;
  std::vector<GridCell> cells(kCells);
  std::vector<int> payloadOf(kCells, -1);  // entry (node cell) -> payload cell, -1: node unused
  std::vector<int> entryOf(kCells, -1);    // payload cell -> its entry
  std::multimap<float, int> model;         // key -> entry
  int knownMin = -1, notMin = -1;          // entries the tie rules name as / exclude from the minimum
  FibHeapPtr h(fh_makekeyheap(kCells));
  EXPECT_EQ(fh_setneginf(h.get(), &cells[0]), nullptr);
  EXPECT_EQ(fh_setneginf(h.get(), &cells[1]), &cells[0]);

  auto freeCell = [&]() {  // a cell neither in use as a node nor as a payload, or -1
    for (int tries = 0; tries < 20; ++tries) {
      const int i = int(rng() % kCells);
      if (payloadOf[i] < 0 && entryOf[i] < 0) return i;
    }
    return -1;
  };
  auto anyEntry = [&]() { return std::next(model.begin(), long(rng() % model.size()))->second; };
  auto keyOf = [&](int e) { return cells[payloadOf[e]].key; };
  auto erase = [&](int e) {
    for (auto it = model.lower_bound(keyOf(e)); it != model.end(); ++it)
      if (it->second == e) {
        model.erase(it);
        break;
      }
  };
  auto forget = [&](int e) {
    erase(e);
    entryOf[payloadOf[e]] = -1;
    payloadOf[e] = -1;
  };
  auto add = [&](int e, float k) {  // an entry joins the model by the insertion tie rule
    if (model.empty() || k < model.begin()->first)
      knownMin = e;
    else if (k == model.begin()->first && knownMin < 0)
      notMin = e;
    payloadOf[e] = e, entryOf[e] = e;
    model.emplace(k, e);
  };

  for (int step = 0; step < 30000; ++step) {
    const int op = int(rng() % 20);
    std::string what;
    if (op < 7) {
      what = "insert";
      const int i = freeCell();
      if (i < 0) continue;
      const float k = float(rng() % 30);
      fibheap_el* node;
      if (op % 2) {
        node = fh_insertkey(h.get(), k, &cells[i]);
      } else {
        cells[i].key = k;
        node = fh_insert(h.get(), &cells[i]);
      }
      ASSERT_EQ(node, &cells[i].heapNode);
      add(i, k);
    } else if (op < 12) {
      what = "decrease-key";
      if (model.empty()) continue;
      const int e = anyEntry();
      const float old = keyOf(e), k = old - float(rng() % 4);
      const bool takesMin = k < old && k <= model.begin()->first;
      erase(e);
      ASSERT_EQ(fh_replacekey(h.get(), &cells[e].heapNode, k), old);
      model.emplace(k, e);
      if (takesMin) knownMin = e, notMin = -1;
    } else if (op < 13) {
      what = "refused increase";
      if (model.empty()) continue;
      const int e = anyEntry();
      const float old = keyOf(e);
      testing::internal::CaptureStdout();
      ASSERT_EQ(fh_replacekey(h.get(), &cells[e].heapNode, old + 1.0f), old);
      ASSERT_EQ(testing::internal::GetCapturedStdout(), "cant increase key\n");
      ASSERT_EQ(keyOf(e), old);
    } else if (op < 14) {
      what = "replace data";
      const int j = freeCell();
      if (model.empty() || j < 0) continue;
      const int e = anyEntry();
      const int old = payloadOf[e];
      ASSERT_EQ(fh_replacedata(h.get(), &cells[e].heapNode, &cells[j]), &cells[old]);
      ASSERT_EQ(cells[j].key, cells[old].key);
      entryOf[old] = -1, entryOf[j] = e, payloadOf[e] = j;
    } else if (op < 15) {
      what = "delete";
      if (model.empty()) continue;
      const int e = anyEntry();
      GridCell* const payload = &cells[payloadOf[e]];
      forget(e);
      ASSERT_EQ(fh_delete(h.get(), &cells[e].heapNode), payload);
      ASSERT_EQ(payload->key, kFibNegInfKey);
      knownMin = notMin = -1;
    } else if (op < 19) {
      what = "extract";
      GridCell* const first = fh_min(h.get());
      GridCell* const c = fh_extractmin(h.get());
      ASSERT_EQ(c, first);
      if (!model.empty()) {
        ASSERT_NE(c, nullptr);
        const int e = entryOf[int(c - cells.data())];
        ASSERT_GE(e, 0);
        ASSERT_EQ(c->key, model.begin()->first);
        forget(e);
        knownMin = notMin = -1;
      }
      if (!model.empty()) {  // consolidated: of equal-keyed roots the one of lowest degree leads
        const fibheap_el* r = h->root;
        int lowest = 64;
        do {
          if (r->data->key == model.begin()->first) lowest = std::min(lowest, r->degree);
          r = r->right;
        } while (r != h->root);
        ASSERT_EQ(h->min->degree, lowest);
      }
    } else {
      what = "union";
      fibheap* other = fh_makekeyheap(4);
      int otherMin = -1;
      float otherKey = 0.0f;
      const int count = int(rng() % 5);
      std::vector<std::pair<int, float>> joined;
      for (int t = 0; t < count; ++t) {
        const int i = freeCell();
        if (i < 0) continue;
        const float k = float(rng() % 30);
        fh_insertkey(other, k, &cells[i]);
        payloadOf[i] = i, entryOf[i] = i;  // reserved until it joins the model
        joined.emplace_back(i, k);
        if (otherMin < 0 || k < otherKey) otherMin = i, otherKey = k;
      }
      const bool wasEmpty = model.empty();
      const float ownKey = wasEmpty ? 0.0f : model.begin()->first;
      h.reset(fh_union(h.release(), other));
      for (const auto& [i, k] : joined) model.emplace(k, i);
      if (otherMin >= 0 && (wasEmpty || otherKey < ownKey))
        knownMin = otherMin, notMin = -1;
      else if (otherMin >= 0 && otherKey == ownKey && knownMin < 0)
        notMin = otherMin;
    }
    SCOPED_TRACE(testing::Message() << "step " << step << " after " << what);
    ASSERT_EQ(h->n, int(model.size()));
    if (model.empty()) {
      ASSERT_EQ(fh_min(h.get()), nullptr);
      ASSERT_EQ(fh_minkey(h.get()), kFibNegInfKey);
      continue;
    }
    GridCell* const m = fh_min(h.get());
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(fh_minkey(h.get()), model.begin()->first);
    ASSERT_EQ(m->key, model.begin()->first);
    if (knownMin >= 0) {
      ASSERT_EQ(m, &cells[payloadOf[knownMin]]);
    }
    if (notMin >= 0) {
      ASSERT_NE(m, &cells[payloadOf[notMin]]);
    }
    if (step % 5000 == 4999) {  // a finished search forgets what is left
      fh_resetheap(h.get());
      while (!model.empty()) forget(model.begin()->second);
      knownMin = notMin = -1;
      ASSERT_EQ(fh_extractmin(h.get()), nullptr);
      ASSERT_EQ(fh_minkey(h.get()), kFibNegInfKey);
    }
  }
  fibheap* plain = fh_makeheap(8);
  EXPECT_EQ(plain->keys, 0);
  EXPECT_EQ(fh_min(plain), nullptr);
  fh_deleteheap(plain);
}

}  // namespace
