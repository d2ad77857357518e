#include "text/measure.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(TextMid, CountsRawBytesAndGivesEmptyOutOfRange) {
  static const struct {
    const char* text;
    int32_t start, count;
    const char* want;
  } kCases[] = {
      {"abcdef", 3, 2, "cd"}, {"abcdef", 0, 2, ""},   {"abcdef", 7, 1, ""},
      {"abcdef", 5, 10, "ef"}, {"abcdef", 1, 0, ""},  {"abcdef", 2, -1, ""},
      {"abcdef", 6, 1, "f"},   {"\xB0\xA1x", 2, 1, "\xA1"},  // cuts a character in half
      {"", 1, 1, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(testing::Message() << c.text << " from " << c.start << " for " << c.count);
    EXPECT_EQ(TextMid(c.text, c.start, c.count), Text(c.want));
  }
}

TEST(TextLeftRight, CountOutOfRange) {
  static const struct {
    int32_t count;
    const char* left;
    const char* right;
  } kCases[] = {{0, "", ""}, {-3, "", ""}, {2, "ab", "bc"}, {3, "abc", "abc"}, {99, "abc", "abc"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(TextLeft("abc", c.count), Text(c.left));
    EXPECT_EQ(TextRight("abc", c.count), Text(c.right));
  }
  // Raw bytes: a two-byte character is cut in half.
  EXPECT_EQ(TextLeft("\xB0\xA1z", 1), Text("\xB0"));
}

TEST(TextLength, CountsBytesUpToTheFirstZero) {
  EXPECT_EQ(TextLength(""), 0);
  EXPECT_EQ(TextLength("\xB0\xA1z"), 3);
  EXPECT_EQ(TextLength(Text(std::string("ab\0cd", 5))), 2);
}

TEST(BlankText, SpacesOrEmpty) {
  EXPECT_EQ(BlankText(3), Text("   "));
  EXPECT_EQ(BlankText(0), Text());
  EXPECT_EQ(BlankText(-2), Text());
}

}  // namespace
}  // namespace zarvo
