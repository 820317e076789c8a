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

float keyOf(const fibheap_el* x) { return x->data->key; }

// Joins x to the root ring, immediately right of `root`; an empty ring gets x as `root`.
void rootRingInsert(fibheap* h, fibheap_el* x) {
  if (h->root == nullptr) {
    h->root = x;
    x->left = x;
    x->right = x;
    return;
  }
  fibheap_el* r = h->root;
  x->left = r;
  x->right = r->right;
  r->right->left = x;
  r->right = x;
}

// Unlinks x from the root ring; `root` moves to x's left neighbour, or null when x was alone.
void rootRingRemove(fibheap* h, fibheap_el* x) {
  if (x->right == x) {
    h->root = nullptr;
  } else {
    x->left->right = x->right;
    x->right->left = x->left;
    h->root = x->left;
  }
  x->left = x->right = x;
}

// Makes y a child of x: y joins x's child ring immediately left of x->child.
void link(fibheap_el* x, fibheap_el* y) {
  if (x->child == nullptr) {
    x->child = y;
    y->left = y->right = y;
  } else {
    fibheap_el* c = x->child;
    y->right = c;
    y->left = c->left;
    c->left->right = y;
    c->left = y;
  }
  y->parent = x;
  y->mark = 0;
  ++x->degree;
}

// Cuts x from its parent y into the root ring.
void cut(fibheap* h, fibheap_el* x, fibheap_el* y) {
  if (x->right == x) {
    y->child = nullptr;
  } else {
    x->left->right = x->right;
    x->right->left = x->left;
    y->child = x->left;
  }
  --y->degree;
  rootRingInsert(h, x);
  x->parent = nullptr;
  x->mark = 0;
}

void cascadingCut(fibheap* h, fibheap_el* y) {
  while (fibheap_el* z = y->parent) {
    if (y->mark == 0) {
      y->mark = 1;
      return;
    }
    cut(h, y, z);
    y = z;
  }
}

void ensureConsSize(fibheap* h, int highest) {
  if (highest > h->maxDegree) {
    h->maxDegree = highest;
    h->cons.resize(std::size_t(highest) + 1, nullptr);
  }
}

void consolidate(fibheap* h) {
  const bool stale =
      h->maxDegree == -1 || (h->maxDegree < 62 && std::int64_t(h->n) > (std::int64_t(1) << h->maxDegree));
  if (stale) {
    const int want = std::max(8, int(std::ceil(std::log2(double(h->n)))) + 1);
    if (want != h->maxDegree) {
      h->maxDegree = want;
      h->cons.resize(std::size_t(want) + 1);
    }
  }
  std::fill(h->cons.begin(), h->cons.end(), nullptr);
  while (h->root != nullptr) {
    fibheap_el* x = h->root;
    rootRingRemove(h, x);
    int d = x->degree;
    // The sized bound is ceil(log2 n) + 1, but cuts allow degrees up to about 1.44 log2 n;
    // grow rather than write past the end. The rebuilt ring is in degree order either way.
    ensureConsSize(h, d);
    while (fibheap_el* y = h->cons[d]) {
      if (keyOf(y) < keyOf(x)) std::swap(x, y);  // x stays parent on equal keys
      link(x, y);
      h->cons[d] = nullptr;
      ++d;
      ensureConsSize(h, d);
    }
    h->cons[d] = x;
  }
  h->min = nullptr;
  for (fibheap_el* x : h->cons) {
    if (x == nullptr) continue;
    rootRingInsert(h, x);
    if (h->min == nullptr || keyOf(x) < keyOf(h->min)) h->min = x;
  }
}

// Lowers x's key to `key` (not above the current one), cutting x from its parent when the
// heap order requires it; `min` moves to x on keys equal to the minimum.
void decreaseKey(fibheap* h, fibheap_el* x, float key) {
  x->data->key = key;
  fibheap_el* y = x->parent;
  if (y != nullptr && key <= keyOf(y)) {
    cut(h, x, y);
    cascadingCut(h, y);
  }
  if (h->min == nullptr || key <= keyOf(h->min)) h->min = x;
}

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
  x->parent = nullptr;
  x->child = nullptr;
  x->degree = 0;
  x->mark = 0;
  rootRingInsert(h, x);
  ++h->n;
  if (h->min == nullptr || keyOf(x) < keyOf(h->min)) h->min = x;
  return x;
}

fibheap_el* fh_insertkey(fibheap* h, float key, GridCell* payload) {
  payload->key = key;
  return fh_insert(h, payload);
}

GridCell* fh_extractmin(fibheap* h) {
  fibheap_el* z = h->min;
  if (z == nullptr) return nullptr;
  if (fibheap_el* c = z->child) {
    // Walk the child ring once from z->child, saving each successor before re-linking.
    fibheap_el* x = c;
    do {
      fibheap_el* next = x->right;
      x->parent = nullptr;
      rootRingInsert(h, x);
      x = next;
    } while (x != c);
    z->child = nullptr;
    z->degree = 0;
  }
  rootRingRemove(h, z);
  --h->n;
  if (h->n == 0)
    h->min = nullptr;
  else
    consolidate(h);
  return z->data;
}

GridCell* fh_min(fibheap* h) { return h->min ? h->min->data : nullptr; }

float fh_minkey(fibheap* h) { return h->min ? keyOf(h->min) : kFibNegInfKey; }

float fh_replacekey(fibheap* h, fibheap_el* x, float key) {
  const float old = keyOf(x);
  if (key > old) {
    std::printf("cant increase key\n");
    return old;
  }
  if (key == old) return old;
  decreaseKey(h, x, key);
  return old;
}

GridCell* fh_replacedata(fibheap*, fibheap_el* x, GridCell* payload) {
  GridCell* old = x->data;
  payload->key = old->key;
  x->data = payload;
  return old;
}

GridCell* fh_delete(fibheap* h, fibheap_el* x) {
  // Forced to the front even when another node already holds the lowest key.
  decreaseKey(h, x, kFibNegInfKey);
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
  if (h->maxDegree > 50) {
    h->cons.clear();
    h->cons.shrink_to_fit();
  }
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
  ++q->count;
  x->left = nullptr;
  if (q->head == nullptr) {
    x->right = nullptr;
    q->head = q->tail = x;
    return;
  }
  x->right = q->head;
  q->head->left = x;
  q->head = x;
}

void fh_push_back(fibque* q, GridCell* payload) {
  fibheap_el* x = &payload->heapNode;
  x->data = payload;
  ++q->count;
  x->right = nullptr;
  if (q->tail == nullptr) {
    x->left = nullptr;
    q->head = q->tail = x;
    return;
  }
  x->left = q->tail;
  q->tail->right = x;
  q->tail = x;
}

GridCell* fh_pop(fibque* q) {
  fibheap_el* x = q->head;
  --q->count;
  if (x == q->tail) {
    q->head = q->tail = nullptr;
  } else {
    q->head = x->right;
    q->head->left = nullptr;
    x->right = nullptr;
  }
  return x->data;
}

int fh_replace_que(fibque* q, fibheap_el* x, float key) {
  x->data->key = key;
  const bool leftOk = x->left == nullptr || key >= keyOf(x->left);
  const bool rightOk = x->right == nullptr || key <= keyOf(x->right);
  if (leftOk && rightOk) return 1;
  if (x->left != nullptr)
    x->left->right = x->right;
  else
    q->head = x->right;
  if (x->right != nullptr)
    x->right->left = x->left;
  else
    q->tail = x->left;
  --q->count;
  x->left = x->right = nullptr;
  return 0;
}

void fh_que_reset(fibque* q) {
  q->count = 0;
  q->head = q->tail = nullptr;
}
