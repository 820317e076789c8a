// Fibonacci heap and sorted deque of grid cells.
//
// Heap: insert and decrease-key are O(1) ring splices; extraction moves the minimum's
// children to the root ring and consolidates, linking roots of equal degree until all degrees
// differ (amortised O(log n)). Decrease-key cuts a node from its parent and cascades through
// marked ancestors, which keeps degrees logarithmic. Reset forgets everything in O(1).
// Deque: a doubly linked list of the same nodes, O(1) at both ends.

#include "router/fib.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "router/GridCell.h"

namespace {

// Nodes embedded in the grid cells, named by pointer; the key is the payload's.
struct CellNodes {
  using Handle = fibheap_el*;
  static constexpr Handle kNone = nullptr;
  fibheap_el& node(Handle x) const { return *x; }
  float key(Handle x) const { return x->data->key; }
  void setKey(Handle x, float k) const { x->data->key = k; }
};

float keyOf(const fibheap_el* x) { return x->data->key; }

fibheap* makeHeap(int keyed) {
  auto h = std::make_unique<fibheap>();
  h->keys = keyed;
  return h.release();
}

}  // namespace

fibheap* fh_makekeyheap(int) { return makeHeap(1); }

fibheap* fh_makeheap(int) { return makeHeap(0); }

void fh_deleteheap(fibheap* h) { std::unique_ptr<fibheap> owned(h); }

fibheap_el* fh_insert(fibheap* h, GridCell* payload) {
  fibheap_el* x = &payload->heapNode;
  x->data = payload;
  CellNodes s;
  fibcore::insert(s, *h, x);
  return x;
}

fibheap_el* fh_insertkey(fibheap* h, float key, GridCell* payload) {
  payload->key = key;
  return fh_insert(h, payload);
}

GridCell* fh_extractmin(fibheap* h) {
  CellNodes s;
  fibheap_el* z = fibcore::extractMin(s, *h);
  return z == nullptr ? nullptr : z->data;
}

GridCell* fh_min(fibheap* h) { return h->min ? h->min->data : nullptr; }

float fh_minkey(fibheap* h) { return h->min ? keyOf(h->min) : kFibNegInfKey; }

float fh_replacekey(fibheap* h, fibheap_el* x, float key) {
  CellNodes s;
  return fibcore::replaceKey(s, *h, x, key);
}

GridCell* fh_replacedata(fibheap*, fibheap_el* x, GridCell* payload) {
  GridCell* old = x->data;
  payload->key = old->key;
  x->data = payload;
  return old;
}

GridCell* fh_delete(fibheap* h, fibheap_el* x) {
  // Forced to the front even when another node already holds the lowest key.
  CellNodes s;
  fibcore::decreaseKey(s, *h, x, kFibNegInfKey);
  h->min = x;
  return fh_extractmin(h);
}

GridCell* fh_setneginf(fibheap* h, GridCell* payload) {
  GridCell* old = h->negInf;
  h->negInf = payload;
  return old;
}

fibheap* fh_union(fibheap* h1, fibheap* h2) {
  if (h1->root == nullptr) {
    fh_deleteheap(h1);
    return h2;
  }
  if (h2->root != nullptr) {
    // Splice the rings: h1.root ... h1.root->left, then h2.root ... h2.root->left.
    fibheap_el* a = h1->root;
    fibheap_el* b = h2->root;
    fibheap_el* aLast = a->left;
    fibheap_el* bLast = b->left;
    aLast->right = b;
    b->left = aLast;
    bLast->right = a;
    a->left = bLast;
    h1->n += h2->n;
    if (keyOf(h2->min) < keyOf(h1->min)) h1->min = h2->min;
  }
  fh_deleteheap(h2);
  return h1;
}

void fh_resetheap(fibheap* h) {
  h->n = 0;
  h->maxDegree = -1;
  h->min = nullptr;
  h->root = nullptr;
  h->negInf = nullptr;
  h->keys = 0;
}

void fh_push_front(fibque* q, GridCell* payload) {
  fibheap_el* x = &payload->heapNode;
  x->data = payload;
  CellNodes s;
  fibcore::pushFront(s, *q, x);
}

void fh_push_back(fibque* q, GridCell* payload) {
  fibheap_el* x = &payload->heapNode;
  x->data = payload;
  CellNodes s;
  fibcore::pushBack(s, *q, x);
}

GridCell* fh_pop(fibque* q) {
  CellNodes s;
  return fibcore::pop(s, *q)->data;
}

int fh_replace_que(fibque* q, fibheap_el* x, float key) {
  CellNodes s;
  return fibcore::replaceQueKey(s, *q, x, key);
}

void fh_que_reset(fibque* q) {
  q->count = 0;
  q->head = q->tail = nullptr;
}
