#include "text/bytes.h"

#include <gtest/gtest.h>

#include "text/join.h"

namespace zarvo {
namespace {

ByteBuffer B(std::string_view s) { return ByteBuffer(s); }

TEST(BytesToText, StopsAtFirstZero) {
  EXPECT_EQ(BytesToText(B(std::string_view("ab\0c", 4))), Text("ab"));
  EXPECT_EQ(BytesToText(B(std::string_view("\0c", 2))), Text());
  EXPECT_EQ(BytesToText(ByteBuffer()), Text());
  EXPECT_EQ(TextToBytes("ab").view(), "ab");
}

TEST(FindBytes, Table) {
  static const struct {
    const char* name;
    std::string_view hay, needle;
    int32_t want;
  } kCases[] = {
      {"empty needle", "abc", "", -1},
      {"longer needle", "ab", "abc", -1},
      {"inside a two-byte character", "\xB0\x41\x42", "AB", 2},
      {"zero bytes inside", std::string_view("a\0b\0c", 5), std::string_view("b\0c", 3), 3},
      {"absent", "abc", "d", -1},
      {"whole", "abc", "abc", 1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindBytes(B(c.hay), B(c.needle)), c.want);
  }
}

TEST(Bytes, BlankLeftConcatCompare) {
  EXPECT_EQ(BlankBytes(2).view(), std::string_view("\0\0", 2));
  EXPECT_TRUE(BlankBytes(0).empty());
  EXPECT_TRUE(BlankBytes(-1).empty());
  EXPECT_TRUE(BytesLeft(B("abc"), 0).empty());
  EXPECT_EQ(BytesLeft(B("abc"), 2).view(), "ab");
  EXPECT_EQ(BytesLeft(B("abc"), 9).view(), "abc");
  EXPECT_TRUE(ConcatBytes(ByteBuffer(), ByteBuffer()).empty());
  EXPECT_EQ(ConcatBytes(B("a"), ByteBuffer(), B(std::string_view("\0b", 2))).view(), std::string_view("a\0b", 3));
  EXPECT_EQ(CompareBytes(ByteBuffer(), B("")), 0);
  EXPECT_NE(CompareBytes(B("a"), B(std::string_view("a\0", 2))), 0);
  EXPECT_EQ(BytesLength(B("abc")), 3);
}

TEST(Text, ConcatAndCompare) {
  EXPECT_EQ(ConcatText(Text(), ""), Text());
  EXPECT_EQ(ConcatText("a", Text("b"), "c"), Text("abc"));
  EXPECT_EQ(CompareText(Text(), ""), 0);
  EXPECT_EQ(CompareText("ab", "abc"), -1);
  EXPECT_EQ(CompareText("b", "a"), 1);
  EXPECT_EQ(CompareText("\xB0", "a"), 1);  // bytes compare unsigned
}

}  // namespace
}  // namespace zarvo
