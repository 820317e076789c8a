#pragma once
// Group numbering of the Steiner lookup tables.
//
// A net of d pins in sorted form is described by s[i], the x rank of the i-th pin in y order.
// The group index ignores the order of s[0] and s[1]; groups k >= d!/4 are the x-mirror images
// of groups below d!/4, so the tables hold groups 0 .. d!/4 - 1 only, in the frame t.

#include <array>

namespace lutgen {

constexpr int kMinDegree = 4;
constexpr int kMaxDegree = 9;

using Frame = std::array<int, kMaxDegree>;  // t[i] for i < d

// d!/4: the number of stored groups of degree d.
int groupCount(int d);

// The frame of group k < d!/4. Digits are peeled from the low end (i = d-1 first); t[i] is the
// r_i-th smallest value still free, t[2] the a-th smallest of the last three, and of the last two
// values t[0] takes the larger, so the first bottom pin is always the one with the larger x rank.
Frame decodeGroup(int d, int k);

// The group index of a frame, computed as the tree builder computes it (before mirroring).
int encodeGroup(int d, const Frame& t);

// Columns clamped to 1..d-2, in the order bottom pin with the larger x rank, the other bottom pin,
// pins 2..d-3, top pin with the larger x rank, the other top pin. Groups with equal keys have the
// same clamped net and therefore the same stored data.
Frame clampedKey(int d, const Frame& t);

}  // namespace lutgen
