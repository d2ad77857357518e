#include "text/icu_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace zarvo::codec {
namespace {

// GBK straight to UTF-8 must decode exactly as the way through UTF-16.
std::string ThroughUtf16(std::string_view gbk) { return Utf16ToUtf8(GbkToUtf16(gbk)); }

TEST(GbkToUtf8, DecodesEveryPairAsTheConverterDoes) {
  // Every lead byte with every second byte, then a byte that may or may
  // not belong to the character before it.
  for (int lead = 0x80; lead <= 0xFF; ++lead) {
    std::string all;
    for (int second = 0; second < 256; ++second) {
      for (char after : {'a', '\x81', '\n'}) {
        const std::string piece{static_cast<char>(lead), static_cast<char>(second), after};
        ASSERT_EQ(GbkToUtf8(piece), ThroughUtf16(piece)) << std::hex << lead << " " << second << " " << int(after);
        all += piece;
      }
    }
    ASSERT_EQ(GbkToUtf8(all), ThroughUtf16(all)) << std::hex << lead;
  }
}

TEST(GbkToUtf8, Table) {
  struct Case {
    const char* name;
    std::string_view in;
    std::string_view want;
  };
  static const Case kCases[] = {
      {"empty", "", ""},
      {"ascii", "<td>", "<td>"},
      {"chinese", "a\xD6\xD0z", "a\xE4\xB8\xAD" "z"},
      {"lead byte at the end", "a\xD6", "a\xEF\xBF\xBD"},
      {"lead byte before a byte that cannot follow it", "\x81 ", "\xEF\xBF\xBD "},
      {"euro sign", "\x80", "\xE2\x82\xAC"},
      {"zero byte kept", std::string_view("a\0b", 3), std::string_view("a\0b", 3)},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(GbkToUtf8(c.in), c.want);
  }
}

TEST(GbkToUtf8, RandomBytesDecodeAsTheConverterDoes) {
  std::mt19937 random(4);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 100);
  for (int round = 0; round < 5000; ++round) {
    std::string in;
    for (int n = length(random); n > 0; --n) {
      // Long ASCII stretches too, so that the word-wise skipping is used.
      in += byte(random) < 64 ? std::string(17, 'x') : std::string(1, static_cast<char>(byte(random)));
    }
    ASSERT_EQ(GbkToUtf8(in), ThroughUtf16(in));
  }
}

}  // namespace
}  // namespace zarvo::codec
