#include "text/rewrite.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(ReplaceText, Table) {
  static const struct {
    const char* name;
    const char* text;
    const char* find;
    const char* replacement;
    bool caseSensitive;
    const char* want;
  } kCases[] = {
      {"no overlaps", "aaa", "aa", "b", true, "ba"},
      {"case ignored", "aXbxc", "x", "-", false, "a-b-c"},
      {"case counts", "aXbxc", "x", "-", true, "aXb-c"},
      {"empty text", "", "x", "y", true, ""},
      {"empty find", "abc", "", "y", true, "abc"},
      {"replacement not searched again", "ab", "a", "aa", true, "aab"},
      {"remaining bytes kept", "xab", "ab", "", true, "x"},
      {"steps over two-byte chars", "\xB0\xA1\xA1\xA1", "\xA1\xA1", "!", true, "\xB0\xA1!"},
      {"folds trail bytes", "\x81\x41", "\x81\x61", "?", false, "?"},
      {"placeholder", "a#\xD2\xFD\xBA\xC5" "b", "#\xD2\xFD\xBA\xC5", "\"", true, "a\"b"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ReplaceText(c.text, c.find, c.replacement, c.caseSensitive), Text(c.want));
  }
}

TEST(TrimText, Table) {
  static const struct {
    const char* name;
    const char* text;
    const char* want;
  } kCases[] = {
      {"ascii and full-width", " \xA1\xA1 x y\xA1\xA1  ", "x y"},
      {"tab CR LF stay", "\t x \r\n", "\t x \r\n"},
      {"spaces only", " \xA1\xA1 ", ""},
      {"empty", "", ""},
      {"ends in lone lead byte", "x\xB0", "x"},
      {"spaces before a lone lead byte remain", " x  \xB0", "x  "},
      {"lone lead byte alone", "\xB0", ""},
      {"space-like trail byte is not a space", "\xB0\x20", "\xB0\x20"},
      {"trail space ends a run that looked trailing", "ab \xB0\x20", "ab \xB0\x20"},
      {"tail after two-byte characters", "x\xB0\xA1\xA1\xA1 \xA1\xA1", "x\xB0\xA1"},
      {"A1 A1 across characters is not a space", "x\xB0\xA1\xA1\xB0", "x\xB0\xA1\xA1\xB0"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TrimText(c.text), Text(c.want));
  }
}

TEST(RemoveSpaces, Table) {
  EXPECT_EQ(RemoveSpaces(" a b c "), Text("abc"));
  EXPECT_EQ(RemoveSpaces("\xA1\xA1" "a\tb\xA1\xA1"), Text("a\tb"));
  EXPECT_EQ(RemoveSpaces("\xB0\x20 x"), Text("\xB0\x20x"));  // 20 is a trail byte here
  EXPECT_EQ(RemoveSpaces("a \xB0"), Text("a"));              // lone lead byte left out
}

TEST(ToLowerCase, OneByteCharactersOnly) {
  EXPECT_EQ(ToLowerCase("AbC"), Text("abc"));
  EXPECT_EQ(ToLowerCase("\x81\x41Z"), Text("\x81\x41z"));
  EXPECT_EQ(ToLowerCase("Q\xC1"), Text("q\xC1"));
}

}  // namespace
}  // namespace zarvo
