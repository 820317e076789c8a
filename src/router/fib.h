#pragma once
// The open set of the maze searches: a Fibonacci heap and a sorted deque of grid cells.
//
// Both containers are intrusive: every GridCell embeds one fibheap_el that serves as its
// heap node or its deque link, and the key is the cell's own `key`. Nothing is allocated
// per element, and both containers are emptied in O(1) by forgetting their elements.
//
// Tie rules are part of the contract, since the cell that leaves first among equal keys
// decides the path a search takes: an inserted node joins the root ring right of `root`
// and becomes `min` only when strictly smaller; consolidation keeps the node being placed
// as parent on equal keys and rebuilds the ring in degree order; a decreased key equal to
// `min` takes `min` over.

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
  int n = 0;                      // elements held
  int maxDegree = -1;             // highest index of `cons`; -1: size it again
  std::vector<fibheap_el*> cons;  // consolidation scratch, reused across searches
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
