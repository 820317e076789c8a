#pragma once
// One search cell per grid node, used by the planar and the layered maze searches.

#include "router/fib.h"

// Fields marked "search" are written by a search before it reads them; a stamp field counts
// for the current search only when it equals GlobalRouter::searchStamp.
struct GridCell {
  fibheap_el heapNode;           // the cell's own open-set node (heap or deque); data points back here
  GridCell* parent = nullptr;    // predecessor on the best path
  GridCell* ufParent = nullptr;  // union-find parent
  float cost = 0.0f;             // path cost from the sources
  float key = 2147483648.0f;     // cost plus heuristic: the open-set key
  int rank = 0;                  // search: union-find rank
  int visitStamp = -1;           // stamp of the search that last reached the cell
  int listStamp = -1;            // stamp at which the cell was put on the target list
  int targetStamp = -1;          // stamp at which the cell was marked as a target
  int dist = 0;                  // search: heuristic distance to the targets, in tiles
  int length = 0;                // search: non-free edges from the source on the best path
  int x = 0, y = 0, z = 0;       // the node's coordinates
  bool inQueue = false;          // open (in the heap or the deque)
  bool inDeque = false;          // search: the open cell sits in the deque rather than the heap
};
