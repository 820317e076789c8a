// The repeated-name check of the net readers, across the table's growth.
#include <gtest/gtest.h>

#include <string>

#include "NameLines.h"

namespace {

// Enough names to grow the table several times; each is found again with its own line, and
// names that differ only in length or in one character stay apart.
TEST(NameLines, FindsEveryRepeatWithItsFirstLine) {
  NameLines names;
  const int count = 5000;
  for (int i = 0; i < count; ++i) ASSERT_EQ(names.firstLine("n" + std::to_string(i), i + 1), 0) << i;
  EXPECT_EQ(names.firstLine("", 1), 0);
  for (int i = 0; i < count; ++i) ASSERT_EQ(names.firstLine("n" + std::to_string(i), 9999), i + 1) << i;
  EXPECT_EQ(names.firstLine("n", 2), 0);
  EXPECT_EQ(names.firstLine("n00", 3), 0);
  EXPECT_EQ(names.firstLine("", 4), 1);
}

// n15748 and n33700 share the low half of their hash, which the table keeps as a tag: only the
// names themselves can tell them apart.
TEST(NameLines, TellsApartNamesOfEqualHashTags) {
  NameLines names;
  EXPECT_EQ(names.firstLine("n15748", 1), 0);
  EXPECT_EQ(names.firstLine("n33700", 2), 0);
  EXPECT_EQ(names.firstLine("n33700", 3), 2);
}

}  // namespace
