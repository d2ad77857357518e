#include "text/find.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

struct FindCase {
  const char* name;
  const char* text;
  const char* find;
  std::optional<int32_t> start;
  bool ignoreCase;
  int32_t want;
};

TEST(FindText, Table) {
  static const FindCase kCases[] = {
      {"colon", "a:b:c", ":", std::nullopt, false, 2},
      {"case counts", "ABC", "b", std::nullopt, false, -1},
      {"case ignored", "ABC", "b", std::nullopt, true, 2},
      {"start omitted", "abcabc", "abc", std::nullopt, false, 1},
      {"start 0", "abcabc", "abc", 0, false, 1},
      {"start 1", "abcabc", "abc", 1, false, 1},
      {"start negative", "abcabc", "abc", -5, false, 1},
      {"start 2", "abcabc", "abc", 2, false, 4},
      {"start 4", "abcabc", "abc", 4, false, 4},
      {"start 5", "abcabc", "abc", 5, false, -1},
      {"start past end", "abcabc", "abc", 7, false, -1},
      {"empty find", "abcdef", "", 3, false, 1},
      {"empty find on empty text", "", "", std::nullopt, false, -1},
      {"empty find past end", "abc", "", 4, false, -1},
      {"needle longer than text", "ab", "abc", std::nullopt, false, -1},
      // B0 A1 is one character, so the A1 A1 starting at byte 2 is no match.
      {"aligned over two-byte char", "\xB0\xA1\xA1\xA1", "\xA1\xA1", std::nullopt, false, 3},
      {"trail byte looks like A", "\x81\x41", "A", std::nullopt, false, -1},
      // Folding applies to the second byte of a two-byte character too.
      {"folding reaches trail bytes", "\x81\x41", "\x81\x61", std::nullopt, true, 1},
      {"start inside a character counts as a start", "\xB0\xA1\xA1\xA1", "\xA1\xA1", 2, false, 2},
      {"lone lead byte found as itself", "ab\xB0", "\xB0", std::nullopt, false, 3},
      {"long run of two-byte chars", "\xB0\xA1\xB0\xA1\xB0\xA1\xB0", "\xA1\xB0", std::nullopt, false, -1},
      {"after a run of two-byte chars", "\xB0\xA1\xB0\xA1x\xA1\xB0", "\xA1\xB0", std::nullopt, false, 6},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindText(c.text, c.find, c.start, c.ignoreCase), c.want);
  }
}

TEST(FindTextReverse, LastAlignedOccurrence) {
  static const FindCase kCases[] = {
      {"colon", "a:b:c", ":", std::nullopt, false, 4},
      {"overlapping candidates", "aaaa", "aa", std::nullopt, false, 3},
      {"case ignored", "xAxa", "A", std::nullopt, true, 4},
      {"aligned only", "\xA1\xA1\xA1", "\xA1\xA1", std::nullopt, false, 1},
      {"empty find", "abc", "", std::nullopt, false, 1},
      {"empty find on empty text", "", "", std::nullopt, false, -1},
      {"absent", "abc", "d", std::nullopt, false, -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(FindTextReverse(c.text, c.find, c.ignoreCase), c.want);
  }
}

// The alignment check looks back only to the last known character start;
// compare it with a plain character walk over every short byte string made
// of a few interesting bytes.
TEST(FindText, AgreesWithCharacterWalkOnAllShortTexts) {
  const char alphabet[] = {'a', 'A', '\xA1', '\xB0'};
  auto walk = [](const std::string& s, const std::string& f, bool fold) {
    for (size_t i = 0; i + f.size() <= s.size(); i += (static_cast<unsigned char>(s[i]) >= 0x80 ? 2 : 1)) {
      bool eq = true;
      for (size_t k = 0; k < f.size() && eq; ++k) {
        auto lo = [&](char ch) { return (ch >= 'A' && ch <= 'Z' && fold) ? ch + 32 : ch; };
        eq = lo(s[i + k]) == lo(f[k]);
      }
      if (eq) return static_cast<int32_t>(i + 1);
    }
    return -1;
  };
  for (int len = 0; len <= 6; ++len) {
    int total = 1;
    for (int i = 0; i < len; ++i) total *= 4;
    for (int code = 0; code < total; ++code) {
      std::string s;
      for (int i = 0, c = code; i < len; ++i, c /= 4) s.push_back(alphabet[c % 4]);
      for (const std::string f : {"\xA1\xA1", "\xA1", "a", "\xB0\xA1", "Aa"}) {
        for (bool fold : {false, true}) {
          SCOPED_TRACE(testing::Message() << "len " << len << " code " << code << " find " << f);
          EXPECT_EQ(FindText(Text(s), Text(f), std::nullopt, fold), walk(s, f, fold));
        }
      }
    }
  }
}

}  // namespace
}  // namespace zarvo
