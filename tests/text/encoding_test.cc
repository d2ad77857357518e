#include "text/encoding.h"

#include <gtest/gtest.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <string>
#include <thread>

namespace zarvo {
namespace {

ByteBuffer Bytes(std::string_view s) { return ByteBuffer(s); }

// "中" in the three encodings, and a few other characters.
constexpr std::string_view kZhongUtf8 = "\xE4\xB8\xAD";
constexpr std::string_view kZhongUtf16 = "\x2D\x4E";
constexpr std::string_view kZhongGbk = "\xD6\xD0";
constexpr std::string_view kThaiKoKaiUtf8 = "\xE0\xB8\x81";  // U+0E01, not in GBK
constexpr std::string_view kCombiningAcuteUtf8 = "\xCC\x81";  // U+0301
constexpr std::string_view kEAcuteGbk = "\xA8\xA6";          // é

struct ByteCase {
  const char* name;
  std::string_view in;
  std::string_view want;
};

TEST(Utf8ToUtf16Bytes, Table) {
  const std::string withZero("a\0b", 3);
  const ByteCase kCases[] = {
      {"chinese", kZhongUtf8, kZhongUtf16},
      {"ascii", "Ab", std::string_view("A\0b\0", 4)},
      {"empty", "", ""},
      {"zero byte is a unit", withZero, std::string_view("a\0\0\0b\0", 6)},
      // Outside the BMP: a surrogate pair.
      {"emoji", "\xF0\x9F\x98\x80", std::string_view("\x3D\xD8\x00\xDE", 4)},
      {"stray continuation byte", "\x80", "\xFD\xFF"},
      {"truncated sequence then ascii", "\xE4\xB8" "a", std::string_view("\xFD\xFF" "a\0", 4)},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToUtf16Bytes(Bytes(c.in)).view(), c.want);
  }
}

TEST(Utf8ToGbkBytes, Table) {
  const std::string withZero("\xE4\xB8\xAD\0\xE4\xB8\xAD", 7);
  const std::string composite = std::string("e") + std::string(kCombiningAcuteUtf8);
  const ByteCase kCases[] = {
      {"chinese", kZhongUtf8, kZhongGbk},
      {"ascii unchanged", "<tr><td class=\"name\">", "<tr><td class=\"name\">"},
      {"empty", "", ""},
      {"bytes after a zero byte are converted", withZero, std::string_view("\xD6\xD0\0\xD6\xD0", 5)},
      {"thai letter becomes one question mark", kThaiKoKaiUtf8, "?"},
      {"emoji becomes one question mark", "\xF0\x9F\x98\x80", "?"},
      {"base and combining mark compose", composite, kEAcuteGbk},
      {"mark without precomposed form stays apart", "q\xCC\x81", "q?"},
      {"mark at the start", kCombiningAcuteUtf8, "?"},
      // A compatibility ideograph GBK has must not be normalised away.
      {"compatibility ideograph kept", "\xEF\xA4\xAC", "\xFD\x9C"},
      {"malformed utf-8", "a\xFF" "b", "a?b"},
      {"euro sign", "\xE2\x82\xAC", "\x80"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToGbkBytes(Bytes(c.in)).view(), c.want);
  }
}

// Composition is checked after a long run of text that cannot compose, and
// more than once: the fast scan must hand over to the slow path correctly.
TEST(Utf8ToGbkBytes, ComposesDeepInsideLongText) {
  std::string in(5000, 'x');
  std::string want(5000, 'x');
  for (int i = 0; i < 3; ++i) {
    in += "\xE4\xB8\xAD" "e\xCC\x81";
    want += std::string(kZhongGbk) + std::string(kEAcuteGbk);
  }
  EXPECT_EQ(Utf8ToGbkBytes(Bytes(in)).view(), want);
}

// Composition works in chunks of 16 Ki units; whatever side of a chunk
// boundary the base and its mark land on, they still compose, and a
// surrogate pair at the boundary stays whole.
TEST(Utf8ToGbkBytes, ComposesAcrossChunkBoundaries) {
  for (size_t lead = 16370; lead <= 16390; ++lead) {
    SCOPED_TRACE(lead);
    std::string in(lead, 'x');
    in += "\xF0\x9F\x98\x80" "e\xCC\x81\xE4\xB8\xAD";
    std::string want(lead, 'x');
    want += "?" + std::string(kEAcuteGbk) + std::string(kZhongGbk);
    ASSERT_EQ(Utf8ToGbkBytes(Bytes(in)).view(), want);
  }
}

// Conversion without composition checks for combining marks only among the
// characters GBK lacks, so no mark may be a character of GBK.
TEST(Utf8ToGbkBytes, NoCombiningMarkIsInGbk) {
  UErrorCode error = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&error);
  ASSERT_FALSE(U_FAILURE(error));
  for (UChar32 c = 0; c <= 0x10FFFF; ++c) {
    if (U_IS_SURROGATE(c) || unorm2_hasBoundaryBefore(nfc, c)) continue;
    std::string units;
    UChar pair[2];
    int32_t n = 0;
    U16_APPEND_UNSAFE(pair, n, c);
    units.assign(reinterpret_cast<const char*>(pair), static_cast<size_t>(n) * 2);
    ASSERT_EQ(Utf16BytesToText(ByteBuffer(units), 936), Text("?")) << std::hex << c;
  }
}

struct TextToUnitsCase {
  const char* name;
  const char* text;
  std::optional<int32_t> codePage;
  std::string_view want;
};

TEST(TextToUtf16Bytes, EndsWithOneZeroUnit) {
  const TextToUnitsCase kCases[] = {
      {"empty text", "", std::nullopt, std::string_view("\0\0", 2)},
      {"utf-8 by default", "\xE4\xB8\xAD", std::nullopt, std::string_view("\x2D\x4E\0\0", 4)},
      {"utf-8 asked", "\xE4\xB8\xAD", 65001, std::string_view("\x2D\x4E\0\0", 4)},
      {"gbk", "\xD6\xD0" "a", 936, std::string_view("\x2D\x4E" "a\0\0\0", 6)},
      {"ansi is gbk", "\xD6\xD0", 0, std::string_view("\x2D\x4E\0\0", 4)},
      {"gbk lone lead byte", "a\xD6", 936, std::string_view("a\0\xFD\xFF\0\0", 6)},
      {"unknown code page", "a", 1234, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextToUtf16Bytes(c.text, c.codePage).view(), c.want);
  }
}

struct UnitsToTextCase {
  const char* name;
  std::string_view units;
  std::optional<int32_t> codePage;
  const char* want;
};

TEST(Utf16BytesToText, StopsAtFirstZeroUnit) {
  const UnitsToTextCase kCases[] = {
      {"ansi by default", kZhongUtf16, std::nullopt, "\xD6\xD0"},
      {"gbk", kZhongUtf16, 936, "\xD6\xD0"},
      {"utf-8", kZhongUtf16, 65001, "\xE4\xB8\xAD"},
      {"zero unit ends it", std::string_view("\x2D\x4E\0\0A\0", 6), std::nullopt, "\xD6\xD0"},
      {"odd last byte ignored", std::string_view("A\0B", 3), std::nullopt, "A"},
      {"empty", "", std::nullopt, ""},
      // No composition on this path.
      {"combining mark apart", std::string_view("e\0\x01\x03", 4), 936, "e?"},
      {"lone surrogate in gbk", std::string_view("\x00\xD8" "a\0", 4), 936, "?a"},
      {"lone surrogate in utf-8", std::string_view("\x00\xD8", 2), 65001, "\xEF\xBF\xBD"},
      {"unknown code page", kZhongUtf16, 1234, ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf16BytesToText(ByteBuffer(c.units), c.codePage), Text(c.want));
  }
}

TEST(Utf8TextToGbk, Table) {
  struct Case {
    const char* name;
    const char* in;
    const char* want;
  };
  static const Case kCases[] = {
      {"chinese", "\xE4\xB8\xAD", "\xD6\xD0"},
      {"ascii", "magnet:?xt=urn:btih:AB", "magnet:?xt=urn:btih:AB"},
      {"empty", "", ""},
      {"thai letter", "\xE0\xB8\x81", "?"},
      {"no composition", "e\xCC\x81", "e?"},
      {"malformed", "a\xC3" "b\xE4\xB8", "a?b?"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8TextToGbk(c.in), Text(c.want));
    // It is the composite of the two lower conversions.
    EXPECT_EQ(Utf8TextToGbk(c.in), Utf16BytesToText(TextToUtf16Bytes(c.in), 936));
  }
}

// Every GBK character survives the way to the window and back.
TEST(Utf16BytesToText, GbkRoundTripsThroughUtf16) {
  std::string all;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      if (trail == 0x7F) continue;
      std::string ch{static_cast<char>(lead), static_cast<char>(trail)};
      Text back = Utf16BytesToText(TextToUtf16Bytes(ch, 936));
      if (back.view() == "?") continue;  // not a character of the table
      all += ch;
      ASSERT_EQ(back.view(), ch) << std::hex << lead << " " << trail;
    }
  }
  EXPECT_GT(all.size(), 40000u);
}

// Converters are held per thread; two threads converting at once must not
// disturb each other.
TEST(Utf8ToGbkBytes, ThreadsConvertIndependently) {
  std::string in;
  for (int i = 0; i < 2000; ++i) in += "\xE4\xB8\xAD" "a";
  std::string want;
  for (int i = 0; i < 2000; ++i) want += "\xD6\xD0" "a";
  auto work = [&] {
    for (int i = 0; i < 50; ++i) ASSERT_EQ(Utf8ToGbkBytes(Bytes(in)).view(), want);
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
}

TEST(IsValidUtf8, AcceptsWellFormedAndRejectsEveryMalformedShape) {
  const struct {
    std::string bytes;
    bool valid;
  } cases[] = {
      {"", true},
      {"plain ASCII markup <a href=\"x\">, long enough to take the eight-byte steps", true},
      {"\xE4\xB8\xAD\xE6\x96\x87", true},             // 中文
      {"\xC2\x80\xDF\xBF", true},                     // U+0080, U+07FF
      {"\xEF\xBF\xBF\xF0\x90\x80\x80", true},         // U+FFFF, U+10000
      {"\xF4\x8F\xBF\xBF", true},                     // U+10FFFF
      {"\xD6\xD0\xCE\xC4", false},                    // 中文 in GBK
      {"abcdefgh\x80", false},                        // stray continuation after a fast step
      {"\xC0\xAF", false},                            // overlong '/'
      {"\xE0\x80\xAF", false},                        // overlong, three bytes
      {"\xF0\x80\x80\xAF", false},                    // overlong, four bytes
      {"\xED\xA0\x80", false},                        // surrogate U+D800
      {"\xF4\x90\x80\x80", false},                    // above U+10FFFF
      {"\xF5\x80\x80\x80", false},                    // no such lead byte
      {"\xE4\xB8", false},                            // cut off at the end
      {"\xE4\x41\xAD", false},                        // ASCII inside a sequence
      {"\xFF", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(IsValidUtf8(c.bytes), c.valid);
  }
}

}  // namespace
}  // namespace zarvo
