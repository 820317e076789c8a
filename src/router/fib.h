#pragma once
// The open set of the maze searches: a Fibonacci heap and a sorted deque of grid cells.
//
// Both containers are intrusive: every GridCell embeds one fibheap_el that serves as its
// heap node or its deque link, and the key is the cell's own `key`. Nothing is allocated
// per element, and both containers are emptied in O(1) by forgetting their elements.
//
// The operations are written once (namespace fibcore) over a storage: the planar searches
// keep pointer-linked nodes inside their cells, the layered search keeps 32-bit index links
// inside its own compact cells. Either storage sees the same operations in the same order.
//
// Tie rules are part of the contract, since the cell that leaves first among equal keys
// decides the path a search takes: an inserted node joins the root ring right of `root`
// and becomes `min` only when strictly smaller; consolidation keeps the node being placed
// as parent on equal keys and rebuilds the ring in degree order; a decreased key equal to
// `min` takes `min` over.

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

struct GridCell;

struct fibheap_el {
  int degree = 0;  // number of children
  int mark = 0;    // 1 when it lost a child since it became a child itself
  fibheap_el* parent = nullptr;
  fibheap_el* child = nullptr;  // any one child; the children form a ring
  fibheap_el* left = nullptr;   // ring neighbours; in the deque left is toward the head
  fibheap_el* right = nullptr;  // and right toward the tail, null at the ends
  GridCell* data = nullptr;     // payload; its `key` is the node's key
};

struct fibheap {
  int n = 0;                           // elements held
  int maxDegree = -1;                  // highest root degree after the last consolidation; -1: none
  std::array<fibheap_el*, 64> cons{};  // consolidation scratch, one root per degree
  fibheap_el* min = nullptr;
  fibheap_el* root = nullptr;  // one node of the root ring
  GridCell* negInf = nullptr;  // stand-in for minus infinity; no router operation reads it
  int keys = 0;                // 1 for a heap made by fh_makekeyheap
};

// The deque beside the heap: keys non-decreasing from head to tail. The push operations do not
// check the order; the search's insertion rule keeps it.
struct fibque {
  int count = 0;
  fibheap_el* head = nullptr;  // smallest key, taken first
  fibheap_el* tail = nullptr;  // largest key
};

// Key stored by fh_minkey for an empty heap and by fh_delete for the node it removes.
constexpr float kFibNegInfKey = -2147483648.0f;

// A new empty heap (keyed / unkeyed). `n` is a size hint; no node pool is kept, since every
// payload brings its own node. Release with fh_deleteheap (or hold it in a FibHeapPtr).
fibheap* fh_makekeyheap(int n);
fibheap* fh_makeheap(int n);
void fh_deleteheap(fibheap* h);

struct FibHeapDeleter {
  void operator()(fibheap* h) const { fh_deleteheap(h); }
};
using FibHeapPtr = std::unique_ptr<fibheap, FibHeapDeleter>;

// Inserts the payload with its own embedded node and returns that node.
fibheap_el* fh_insert(fibheap* h, GridCell* payload);
// Stores `key` into the payload, then inserts it.
fibheap_el* fh_insertkey(fibheap* h, float key, GridCell* payload);
// Removes the minimum and returns its payload; null when empty.
GridCell* fh_extractmin(fibheap* h);
// Payload / key of the minimum; null / kFibNegInfKey when empty.
GridCell* fh_min(fibheap* h);
float fh_minkey(fibheap* h);
// Lowers x's key to `key` and returns the old key. A larger key is refused with
// "cant increase key" on standard output; an equal key changes nothing.
float fh_replacekey(fibheap* h, fibheap_el* x, float key);
// x takes `payload`, which takes over x's key; returns the old payload.
GridCell* fh_replacedata(fibheap* h, fibheap_el* x, GridCell* payload);
// Removes x whatever its key (keyed heap: the payload's key becomes kFibNegInfKey) and
// returns its payload.
GridCell* fh_delete(fibheap* h, fibheap_el* x);
// Sets negInf, returns the previous one.
GridCell* fh_setneginf(fibheap* h, GridCell* payload);
// Merges two heaps into one; the header no longer needed is released, the other returned.
fibheap* fh_union(fibheap* h1, fibheap* h2);
// Forgets every element in O(1); the nodes are not visited.
void fh_resetheap(fibheap* h);

void fh_push_front(fibque* q, GridCell* payload);
void fh_push_back(fibque* q, GridCell* payload);
// Unlinks the head and returns its payload; the deque must not be empty.
GridCell* fh_pop(fibque* q);
// Stores `key` into x's payload; 1 when x may stay where it is, else x is unlinked and 0 is
// returned (the caller inserts it again).
int fh_replace_que(fibque* q, fibheap_el* x, float key);
void fh_que_reset(fibque* q);

// The heap and deque operations over a storage S, which provides
//   using Handle; static constexpr Handle kNone;   a node's name and "no node"
//   node(h): the node's links (degree, mark, parent, child, left, right)
//   key(h), setKey(h, k): the node's key
// and a header H with fields n, maxDegree, cons (64 Handles), min, root (a heap) or count,
// head, tail (a deque).
namespace fibcore {

// Joins x to the root ring, immediately right of `root`; an empty ring gets x as `root`.
template <class S, class H>
void rootRingInsert(S& s, H& h, typename S::Handle x) {
  auto& xn = s.node(x);
  if (h.root == S::kNone) {
    h.root = x;
    xn.left = x;
    xn.right = x;
    return;
  }
  const typename S::Handle r = h.root;
  auto& rn = s.node(r);
  xn.left = r;
  xn.right = rn.right;
  s.node(rn.right).left = x;
  rn.right = x;
}

// Unlinks x from the root ring; `root` moves to x's left neighbour, or none when x was alone.
template <class S, class H>
void rootRingRemove(S& s, H& h, typename S::Handle x) {
  auto& xn = s.node(x);
  if (xn.right == x) {
    h.root = S::kNone;
  } else {
    s.node(xn.left).right = xn.right;
    s.node(xn.right).left = xn.left;
    h.root = xn.left;
  }
  xn.left = xn.right = x;
}

// Makes y a child of x: y joins x's child ring immediately left of x's child.
template <class S>
void link(S& s, typename S::Handle x, typename S::Handle y) {
  auto& xn = s.node(x);
  auto& yn = s.node(y);
  if (xn.child == S::kNone) {
    xn.child = y;
    yn.left = yn.right = y;
  } else {
    const typename S::Handle c = xn.child;
    auto& cn = s.node(c);
    yn.right = c;
    yn.left = cn.left;
    s.node(cn.left).right = y;
    cn.left = y;
  }
  yn.parent = x;
  yn.mark = 0;
  ++xn.degree;
}

// Cuts x from its parent y into the root ring.
template <class S, class H>
void cut(S& s, H& h, typename S::Handle x, typename S::Handle y) {
  auto& xn = s.node(x);
  auto& yn = s.node(y);
  if (xn.right == x) {
    yn.child = S::kNone;
  } else {
    s.node(xn.left).right = xn.right;
    s.node(xn.right).left = xn.left;
    yn.child = xn.left;
  }
  --yn.degree;
  rootRingInsert(s, h, x);
  xn.parent = S::kNone;
  xn.mark = 0;
}

template <class S, class H>
void cascadingCut(S& s, H& h, typename S::Handle y) {
  for (typename S::Handle z = s.node(y).parent; z != S::kNone; z = s.node(y).parent) {
    if (s.node(y).mark == 0) {
      s.node(y).mark = 1;
      return;
    }
    cut(s, h, y, z);
    y = z;
  }
}

// a when `pick`, else b, without a branch: which of two roots wins a comparison is as good as
// random, and a mispredicted jump costs more than the few instructions of a masked select.
template <class T>
T pickOf(bool pick, T a, T b) {
  const auto ai = reinterpret_cast<std::uintptr_t>(a), bi = reinterpret_cast<std::uintptr_t>(b);
  return reinterpret_cast<T>(bi ^ ((ai ^ bi) & (std::uintptr_t(0) - std::uintptr_t(pick))));
}
inline std::uint32_t pickOf(bool pick, std::uint32_t a, std::uint32_t b) {
  return b ^ ((a ^ b) & (0u - std::uint32_t(pick)));
}

// Links roots of equal degree until all degrees differ (the node being placed stays parent on
// equal keys), then rebuilds the root ring in degree order and finds the minimum. `cons` holds
// one root per degree; the occupied degrees are a bit mask, so the scratch is never cleared or
// scanned. Degrees stay below 64: a degree-d tree holds at least Fibonacci(d + 2) nodes.
template <class S, class H>
void consolidate(S& s, H& h) {
  using Handle = typename S::Handle;
  std::uint64_t used = 0;
  // Roots are placed in ring order walking left from `root`, as if each were unlinked in turn;
  // the ring is rebuilt below, so the unlinking itself is skipped. A placed root's own links
  // may change (it can become a child), so the walk saves its next node first.
  if (const Handle start = h.root; start != S::kNone) {
    Handle x = start;
    do {
      const Handle next = s.node(x).left;
      int d = s.node(x).degree;
      while (used & (std::uint64_t(1) << d)) {
        const Handle y = h.cons[std::size_t(d)];
        const bool lower = s.key(y) < s.key(x);
        const Handle parent = pickOf(lower, y, x);
        link(s, parent, pickOf(lower, x, y));
        x = parent;
        used &= ~(std::uint64_t(1) << d);
        ++d;
      }
      h.cons[std::size_t(d)] = x;
      used |= std::uint64_t(1) << d;
      x = next;
    } while (x != start);
    h.root = S::kNone;
  }
  h.maxDegree = used == 0 ? -1 : 63 - __builtin_clzll(used);
  h.min = S::kNone;
  if (used == 0) return;
  h.min = h.cons[std::size_t(__builtin_ctzll(used))];
  for (; used != 0; used &= used - 1) {
    const Handle x = h.cons[std::size_t(__builtin_ctzll(used))];
    rootRingInsert(s, h, x);
    h.min = pickOf(s.key(x) < s.key(h.min), x, h.min);
  }
}

// Lowers x's key to `key` (not above the current one), cutting x from its parent when the
// heap order requires it; `min` moves to x on keys equal to the minimum.
template <class S, class H>
void decreaseKey(S& s, H& h, typename S::Handle x, float key) {
  s.setKey(x, key);
  const typename S::Handle y = s.node(x).parent;
  if (y != S::kNone && key <= s.key(y)) {
    cut(s, h, x, y);
    cascadingCut(s, h, y);
  }
  if (h.min == S::kNone || key <= s.key(h.min)) h.min = x;
}

// Inserts x, its key already set, as a fresh root.
template <class S, class H>
void insert(S& s, H& h, typename S::Handle x) {
  auto& xn = s.node(x);
  xn.parent = S::kNone;
  xn.child = S::kNone;
  xn.degree = 0;
  xn.mark = 0;
  rootRingInsert(s, h, x);
  ++h.n;
  if (h.min == S::kNone || s.key(x) < s.key(h.min)) h.min = x;
}

// Removes the minimum and returns it; kNone when empty.
template <class S, class H>
typename S::Handle extractMin(S& s, H& h) {
  const typename S::Handle z = h.min;
  if (z == S::kNone) return z;
  if (const typename S::Handle c = s.node(z).child; c != S::kNone) {
    // Walk the child ring once from z's child, saving each successor before re-linking.
    typename S::Handle x = c;
    do {
      const typename S::Handle next = s.node(x).right;
      s.node(x).parent = S::kNone;
      rootRingInsert(s, h, x);
      x = next;
    } while (x != c);
    s.node(z).child = S::kNone;
    s.node(z).degree = 0;
  }
  rootRingRemove(s, h, z);
  --h.n;
  if (h.n == 0)
    h.min = S::kNone;
  else
    consolidate(s, h);
  return z;
}

// Lowers x's key; a larger key is refused with "cant increase key", an equal one changes nothing.
template <class S, class H>
float replaceKey(S& s, H& h, typename S::Handle x, float key) {
  const float old = s.key(x);
  if (key > old) {
    std::printf("cant increase key\n");
    return old;
  }
  if (key == old) return old;
  decreaseKey(s, h, x, key);
  return old;
}

template <class S, class Q>
void pushFront(S& s, Q& q, typename S::Handle x) {
  auto& xn = s.node(x);
  ++q.count;
  xn.left = S::kNone;
  if (q.head == S::kNone) {
    xn.right = S::kNone;
    q.head = q.tail = x;
    return;
  }
  xn.right = q.head;
  s.node(q.head).left = x;
  q.head = x;
}

template <class S, class Q>
void pushBack(S& s, Q& q, typename S::Handle x) {
  auto& xn = s.node(x);
  ++q.count;
  xn.right = S::kNone;
  if (q.tail == S::kNone) {
    xn.left = S::kNone;
    q.head = q.tail = x;
    return;
  }
  xn.left = q.tail;
  s.node(q.tail).right = x;
  q.tail = x;
}

// Unlinks the head and returns it; the deque must not be empty.
template <class S, class Q>
typename S::Handle pop(S& s, Q& q) {
  const typename S::Handle x = q.head;
  --q.count;
  if (x == q.tail) {
    q.head = q.tail = S::kNone;
  } else {
    q.head = s.node(x).right;
    s.node(q.head).left = S::kNone;
    s.node(x).right = S::kNone;
  }
  return x;
}

// Stores `key` into x; 1 when x may stay where it is, else x is unlinked and 0 is returned.
template <class S, class Q>
int replaceQueKey(S& s, Q& q, typename S::Handle x, float key) {
  s.setKey(x, key);
  auto& xn = s.node(x);
  const bool leftOk = xn.left == S::kNone || key >= s.key(xn.left);
  const bool rightOk = xn.right == S::kNone || key <= s.key(xn.right);
  if (leftOk && rightOk) return 1;
  if (xn.left != S::kNone)
    s.node(xn.left).right = xn.right;
  else
    q.head = xn.right;
  if (xn.right != S::kNone)
    s.node(xn.right).left = xn.left;
  else
    q.tail = xn.left;
  --q.count;
  xn.left = xn.right = S::kNone;
  return 0;
}

}  // namespace fibcore

// Links of a heap or deque node named by a 32-bit index (kFibNone: no node).
constexpr std::uint32_t kFibNone = 0xffffffffu;
struct FibLinks32 {
  std::uint32_t parent = kFibNone;
  std::uint32_t child = kFibNone;  // any one child; the children form a ring
  std::uint32_t left = kFibNone;   // ring neighbours; in the deque left is toward the head
  std::uint32_t right = kFibNone;
  std::uint8_t degree = 0;  // number of children (a few dozen at most)
  std::uint8_t mark = 0;    // 1 when it lost a child since it became a child itself
};

// Header of a heap of index-named nodes; the nodes live in the caller's storage.
struct FibHeap32 {
  int n = 0;
  int maxDegree = -1;
  std::array<std::uint32_t, 64> cons{};
  std::uint32_t min = kFibNone;
  std::uint32_t root = kFibNone;
  // Forgets every element in O(1), as fh_resetheap does.
  void reset() {
    n = 0;
    maxDegree = -1;
    min = root = kFibNone;
  }
};

// Header of a deque of index-named nodes.
struct FibQue32 {
  int count = 0;
  std::uint32_t head = kFibNone;
  std::uint32_t tail = kFibNone;
  void reset() {
    count = 0;
    head = tail = kFibNone;
  }
};
