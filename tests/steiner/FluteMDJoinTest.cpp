// The three joins on hand-made sub-trees, traced by hand: branch renumbering, the new Steiner
// point, the re-hanging of the first tree's path to its root, and the joined length.

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

#include "steiner/flute.h"

namespace {

struct B {
  int x, y, n;
};

Tree makeTree(int deg, int length, std::initializer_list<B> branches) {
  Tree t;
  t.deg = deg;
  t.length = length;
  t.branch = std::make_unique<Branch[]>(branches.size());
  int i = 0;
  for (const B& b : branches) t.branch[i++] = {b.x, b.y, b.n};
  return t;
}

void expectBranches(const Tree& t, int length, const std::vector<B>& want) {
  ASSERT_EQ(2 * t.deg - 2, int(want.size()));
  EXPECT_EQ(t.length, length);
  EXPECT_EQ(wirelength(t), length);
  for (int i = 0; i < int(want.size()); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(t.branch[i].x, want[i].x);
    EXPECT_EQ(t.branch[i].y, want[i].y);
    EXPECT_EQ(t.branch[i].n, want[i].n);
  }
}

// Four pins, the last one (3,3) joins Steiner point 4, which is not the root (5): joining must
// reverse the path 4 -> 5.
Tree fourPinsEndingAt33() {
  return makeTree(4, 10, {{0, 0, 5}, {4, 1, 5}, {1, 2, 4}, {3, 3, 4}, {1, 3, 5}, {1, 1, 5}});
}

TEST(DMergeTree, CornerOnTheRootIsHungOnTheOtherSide) {
  const Tree t1 = makeTree(3, 4, {{0, 0, 3}, {2, 1, 3}, {2, 2, 3}, {2, 1, 3}});
  const Tree t2 = makeTree(3, 7, {{2, 2, 3}, {5, 3, 3}, {3, 6, 3}, {3, 3, 3}});
  const Tree t = dmergetree(t1, t2);
  // t1's pins keep 0..1 (Steiner offset 1), t2's pins 1..2 go to 2..3 (offset 2).
  expectBranches(t, 11, {{0, 0, 4}, {2, 1, 4}, {5, 3, 5}, {3, 6, 5}, {2, 1, 5}, {3, 3, 5}});
}

TEST(DMergeTree, PathToTheOldRootIsReversed) {
  const Tree t1 = fourPinsEndingAt33();
  const Tree t2 = makeTree(3, 7, {{3, 3, 3}, {6, 4, 3}, {4, 7, 3}, {4, 4, 3}});
  const Tree t = dmergetree(t1, t2);
  // Old root (1,1) now points to (1,3), which hangs on t2's Steiner point (4,4), the new root.
  expectBranches(t, 17, {{0, 0, 6}, {4, 1, 6}, {1, 2, 5}, {6, 4, 7}, {4, 7, 7}, {1, 3, 7}, {1, 1, 5}, {4, 4, 7}});
}

TEST(VMergeTree, BreakPinBetweenItsLinksAddsAPointOnIt) {
  const Tree t1 = fourPinsEndingAt33();
  const Tree t2 = makeTree(3, 10, {{3, 3, 3}, {6, 4, 3}, {0, 7, 3}, {3, 4, 3}});
  const Tree t = vmergetree(t1, t2);
  // Links of the break pin reach x = 1 and x = 3; the pin (x = 3) is not outside: nothing shared.
  expectBranches(
      t, 20,
      {{0, 0, 7}, {4, 1, 7}, {1, 2, 6}, {3, 3, 9}, {6, 4, 8}, {0, 7, 8}, {1, 3, 9}, {1, 1, 6}, {3, 4, 8}, {3, 3, 8}});
}

// The break pin (5,3) lies right of both links (x = 2 and x = 4): one unit is shared, the new
// point sits at x = 4. Mirrored in x, the pin lies left of both.
TEST(VMergeTree, SharedStretchIsCountedOnceOnEitherSide) {
  for (const int mirror : {0, 1}) {
    SCOPED_TRACE(mirror ? "mirrored" : "as drawn");
    auto mx = [&](int x) { return mirror ? 10 - x : x; };
    const Tree t1 = makeTree(3, 8, {{mx(0), 0, 3}, {mx(2), 1, 3}, {mx(5), 3, 3}, {mx(2), 1, 3}});
    const Tree t2 = makeTree(3, 5, {{mx(5), 3, 3}, {mx(3), 4, 3}, {mx(4), 6, 3}, {mx(4), 4, 3}});
    const Tree t = vmergetree(t1, t2);
    expectBranches(t, 12,
                   {{mx(0), 0, 5},
                    {mx(2), 1, 5},
                    {mx(5), 3, 7},
                    {mx(3), 4, 6},
                    {mx(4), 6, 6},
                    {mx(2), 1, 7},
                    {mx(4), 4, 6},
                    {mx(4), 3, 6}});
  }
}

// Net (0,2) (1,0) (2,4) (3,1) (4,3) broken at x rank 2, the pin (2,4): the left part is
// B(1,0) A(0,2) C(2,4), the right part D(3,1) E(4,3) C(2,4). The result interleaves the pins in
// the net's y order B D A E C and takes C from the right part.
TEST(HMergeTree, PinsFollowTheNetsRowOrder) {
  const int s[] = {1, 3, 0, 4, 2};
  const Tree t1 = makeTree(3, 6, {{1, 0, 3}, {0, 2, 3}, {2, 4, 3}, {1, 2, 3}});
  const Tree t2 = makeTree(3, 5, {{3, 1, 3}, {4, 3, 3}, {2, 4, 3}, {3, 3, 3}});
  const Tree t = hmergetree(t1, t2, s);
  // Links of C reach y = 2 and y = 3, C is at y = 4: one unit shared, new point at (2,3).
  expectBranches(t, 10, {{1, 0, 5}, {3, 1, 6}, {0, 2, 5}, {4, 3, 6}, {2, 4, 7}, {1, 2, 7}, {3, 3, 6}, {2, 3, 6}});
}

// Same net with the break pin in the middle row of its links: no overlap, the new point is on it.
TEST(HMergeTree, BreakPinBetweenItsLinksSharesNothing) {
  // Pins (0,2) (1,0) (2,3) (3,1) (4,4); break at rank 2, the pin (2,3).
  const int s[] = {1, 3, 0, 2, 4};
  const Tree t1 = makeTree(3, 5, {{1, 0, 3}, {0, 2, 3}, {2, 3, 3}, {1, 2, 3}});
  const Tree t2 = makeTree(3, 5, {{3, 1, 3}, {2, 3, 3}, {4, 4, 3}, {3, 3, 3}});
  const Tree t = hmergetree(t1, t2, s);
  expectBranches(t, 10, {{1, 0, 5}, {3, 1, 6}, {0, 2, 5}, {2, 3, 7}, {4, 4, 6}, {1, 2, 7}, {3, 3, 6}, {2, 3, 6}});
}

// A part whose Steiner points link in a circle has no root; the joins must stop and say so.
TEST(MergeTreeGuards, SubTreeWithoutRootIsReportedNotWalkedForever) {
  const Tree t1 = makeTree(4, 0, {{0, 0, 4}, {1, 1, 4}, {2, 2, 5}, {3, 3, 4}, {1, 1, 5}, {2, 2, 4}});
  const Tree t2 = makeTree(3, 0, {{3, 3, 3}, {4, 4, 3}, {5, 5, 3}, {4, 4, 3}});
  for (int join = 0; join < 2; ++join) {
    testing::internal::CaptureStdout();
    const Tree t = join == 0 ? vmergetree(t1, t2) : dmergetree(t1, t2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "ERROR flute 1 sub-tree path to its root leaves the Steiner points\n");
  }
}

}  // namespace
