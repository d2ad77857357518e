#include "text/number.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(TextToInt, Table) {
  static const struct {
    const char* text;
    int32_t want;
  } kCases[] = {
      {"8080", 8080},
      {"  42abc", 42},
      {"\t42", 42},
      {"\n42", 42},
      {"-7", -7},
      {"+5", 5},
      {"- 5", 0},
      {"abc", 0},
      {"0x1A", 0},
      {"", 0},
      {"\xA3\xB8\xA3\xB0", 80},                  // full-width digits
      {"\xA1\xA1\xA3\xAD" "12", -12},             // full-width space and minus
      {"1\xB0\xA1" "2", 1},                       // a Chinese character ends the digits
      {"4\xB0", 4},                               // lone lead byte dropped
      {"2147483647", 2147483647},
      {"2147483648", -2147483647 - 1},            // wraps
      {"4294967297", 1},
      {"-2147483648", -2147483647 - 1},
      {"99999999999", 1215752191},                // 99999999999 mod 2^32
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(TextToInt(c.text), c.want);
  }
}

TEST(IntToText, RoundTrips) {
  EXPECT_EQ(IntToText(-5), Text("-5"));
  EXPECT_EQ(IntToText(0), Text("0"));
  EXPECT_EQ(IntToText(-2147483647 - 1), Text("-2147483648"));
  EXPECT_EQ(TextToInt(IntToText(123456)), 123456);
}

TEST(CharFromCode, ZeroIsEmpty) {
  EXPECT_EQ(CharFromCode(0), Text());
  EXPECT_EQ(CharFromCode(0x41), Text("A"));
  EXPECT_EQ(BitOr(0x10, 0x4000), 0x4010);
}

}  // namespace
}  // namespace zarvo
