#include "text/regex_matcher.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

#include "text/between.h"
#include "text/encoding.h"

namespace zarvo {
namespace {

// Test texts are written in UTF-8 here and handed over in GBK, as the
// matcher's callers do.
Text Gbk(const char* utf8) { return Utf8TextToGbk(utf8); }

// The search command's row pattern.
constexpr char kRowPattern[] =
    "<tr><td class=\"name\">(.*?)</td><td class=\"size\">(.*?)<(.*?)Detail</a><a href=\"(.*?)\" title=\"";

std::string Row(const std::string& name, const std::string& size, const std::string& link) {
  return "<tr><td class=\"name\">" + name + "</td><td class=\"size\">" + size +
         "</td><td><a href=\"/d/1\">Detail</a><a href=\"" + link + "\" title=\"play\"></a></td></tr>";
}

// The same expression with one quote escaped, which the general engine
// runs end to end (plain literal runs joined by lazy groups go a quicker
// way).
constexpr char kRowPatternForEngine[] =
    "<tr><td class=\\\"name\">(.*?)</td><td class=\"size\">(.*?)<(.*?)Detail</a><a href=\"(.*?)\" title=\"";

// Runs a row pattern the way the search command does.
bool CreateRows(RegexMatcher& m, const Text& page, const char* pattern = kRowPattern) {
  return m.Create(pattern, page, false, true, true, true);
}

TEST(RegexMatcher, NoMatchIsNotARejectedPattern) {
  struct Case {
    const char* name;
    const char* pattern;
    bool created;
  };
  static const Case kCases[] = {
      {"no match", "x", true},
      {"unbalanced parenthesis", "(a", false},
      {"backreference", "(a)\\1", false},
      {"lookahead", "a(?=b)", false},
      {"bad repetition", "a**", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RegexMatcher m;
    EXPECT_EQ(m.Create(c.pattern, "abc"), c.created);
    EXPECT_EQ(m.MatchCount(), 0);
    EXPECT_EQ(m.SubmatchCount(), 0);
    EXPECT_EQ(m.MatchText(1), Text());
    EXPECT_EQ(m.SubmatchText(1, 1), Text());
    // The pattern is held even when the engine rejected it.
    EXPECT_EQ(m.GetPattern(), Text(c.pattern));
  }
}

TEST(RegexMatcher, AccessorsBeforeCreateAreEmpty) {
  RegexMatcher m;
  int32_t position = 7;
  EXPECT_EQ(m.GetPattern(), Text());
  EXPECT_EQ(m.Replace("x"), Text());
  EXPECT_EQ(m.MatchCount(), 0);
  EXPECT_EQ(m.SubmatchCount(), 0);
  EXPECT_EQ(m.MatchText(1, &position), Text());
  EXPECT_EQ(position, -2);  // an empty text searched in the empty subject
  EXPECT_EQ(m.SubmatchText(1, 1, &position), Text());
  EXPECT_EQ(position, -2);
}

TEST(RegexMatcher, SecondCreateForgetsTheFirst) {
  RegexMatcher m;
  ASSERT_TRUE(m.Create("(a)(b)", "ab ab ab"));
  ASSERT_EQ(m.MatchCount(), 3);
  ASSERT_EQ(m.SubmatchText(1, 2), Text("b"));
  ASSERT_TRUE(m.Create("z(y)", "0zy"));
  EXPECT_EQ(m.GetPattern(), Text("z(y)"));
  EXPECT_EQ(m.MatchCount(), 1);
  EXPECT_EQ(m.SubmatchCount(), 1);
  EXPECT_EQ(m.MatchText(1), Text("zy"));
  EXPECT_EQ(m.SubmatchText(1, 1), Text("y"));
  EXPECT_EQ(m.SubmatchText(1, 2), Text());
  EXPECT_EQ(m.MatchText(2), Text());
  EXPECT_EQ(m.Replace("-"), Text("0-"));
  int32_t position = 0;
  m.MatchText(1, &position);
  EXPECT_EQ(position, 1);
  // A rejected pattern leaves nothing of the run before it.
  EXPECT_FALSE(m.Create("(", "0zy"));
  EXPECT_EQ(m.MatchCount(), 0);
  EXPECT_EQ(m.Replace("-"), Text());
}

TEST(RegexMatcher, Options) {
  struct Case {
    const char* name;
    const char* pattern;
    const char* subject;
    std::optional<bool> caseSensitive;
    std::optional<bool> multiline;
    std::optional<bool> global;
    int32_t count;
  };
  static const Case kCases[] = {
      {"case ignored by default", "abc", "ABC abc", std::nullopt, std::nullopt, std::nullopt, 2},
      {"case sensitive", "abc", "ABC abc", true, std::nullopt, std::nullopt, 1},
      {"case ignored asked", "ABC", "abc", false, std::nullopt, std::nullopt, 1},
      {"multiline by default", "^b$", "a\nb\nc", std::nullopt, std::nullopt, std::nullopt, 1},
      {"single line", "^b$", "a\nb\nc", std::nullopt, false, std::nullopt, 0},
      {"single line whole text", "^a$", "a", std::nullopt, false, std::nullopt, 1},
      {"line end is before the line feed", "a\r$", "a\r\nb", std::nullopt, std::nullopt, std::nullopt, 1},
      {"carriage return is part of the line", "a$", "a\r\nb", std::nullopt, std::nullopt, std::nullopt, 0},
      {"global by default", "a", "banana", std::nullopt, std::nullopt, std::nullopt, 3},
      {"first match only", "a", "banana", std::nullopt, std::nullopt, false, 1},
      {"dot takes a carriage return", "a.b", "a\rb", std::nullopt, std::nullopt, std::nullopt, 1},
      {"dot stops at a line feed", "a.b", "a\nb", std::nullopt, std::nullopt, std::nullopt, 0},
      {"dot stops at a line feed, single line", "a.b", "a\nb", std::nullopt, false, std::nullopt, 0},
      {"empty matches step one character", "x*", "ab", std::nullopt, std::nullopt, std::nullopt, 3},
      {"unicode escape", "\\u4e2D", "\xD6\xD0", std::nullopt, std::nullopt, std::nullopt, 1},
      // "中文" and "名" are two runs of Chinese characters.
      {"unicode escapes in a class", "[\\u4e00-\\u9fa5]+", "\xD6\xD0\xCE\xC4" "ab\xC3\xFB", std::nullopt, std::nullopt,
       std::nullopt, 2},
      {"escaped backslash before u", "\\\\u", "\\u", std::nullopt, std::nullopt, std::nullopt, 1},
      // 81 41 is one GBK character whose second byte is the letter A.
      {"trail byte is not a letter", "A", "\x81\x41", std::nullopt, std::nullopt, std::nullopt, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RegexMatcher m;
    ASSERT_TRUE(m.Create(c.pattern, c.subject, c.caseSensitive, c.multiline, c.global));
    EXPECT_EQ(m.MatchCount(), c.count);
  }
}

TEST(RegexMatcher, MatchesCharactersNotBytes) {
  RegexMatcher m;
  // "中文" and an empty match before each character and at the end.
  ASSERT_TRUE(m.Create("x*", Gbk("中文")));
  EXPECT_EQ(m.MatchCount(), 3);
  ASSERT_TRUE(m.Create("^(.)(.)$", Gbk("中文")));
  EXPECT_EQ(m.SubmatchText(1, 2), Gbk("文"));
  ASSERT_TRUE(m.Create(Gbk("名(.)"), Gbk("无名氏")));
  EXPECT_EQ(m.MatchText(1), Gbk("名氏"));
}

TEST(RegexMatcher, QuotePlaceholder) {
  const Text pattern(std::string("a") + kQuotePlaceholder + "b");
  const Text subject(std::string("a\"b ") + pattern.str());
  struct Case {
    const char* name;
    std::optional<bool> quotePlaceholder;
    Text wantPattern;
    Text wantMatch;
  };
  const Case kCases[] = {
      {"expanded", true, "a\"b", "a\"b"},
      {"kept when not asked", false, pattern, pattern},
      {"kept when omitted", std::nullopt, pattern, pattern},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RegexMatcher m;
    ASSERT_TRUE(m.Create(pattern, subject, std::nullopt, std::nullopt, std::nullopt, c.quotePlaceholder));
    EXPECT_EQ(m.GetPattern(), c.wantPattern);
    EXPECT_EQ(m.MatchCount(), 1);
    EXPECT_EQ(m.MatchText(1), c.wantMatch);
  }
}

TEST(RegexMatcher, GroupsAndTheirCount) {
  RegexMatcher m;
  ASSERT_TRUE(m.Create("(a)|(b)", "b"));
  EXPECT_EQ(m.SubmatchText(1, 1), Text());  // took no part
  EXPECT_EQ(m.SubmatchText(1, 2), Text("b"));
  EXPECT_EQ(m.SubmatchCount(), 2);

  ASSERT_TRUE(m.Create("(x)(y)(z)?", "xy xyz xy"));
  EXPECT_EQ(m.MatchCount(), 3);
  EXPECT_EQ(m.SubmatchCount(), 3);
  EXPECT_EQ(m.SubmatchText(2, 3), Text("z"));
  EXPECT_EQ(m.SubmatchText(3, 3), Text());
  ASSERT_TRUE(m.Create("(x)(y)(z)", "nothing here"));
  EXPECT_EQ(m.SubmatchCount(), 0);

  // Out of range on either index gives the empty text.
  ASSERT_TRUE(m.Create("(a)", "a"));
  for (auto [match, group] : {std::pair{0, 1}, {1, 0}, {2, 1}, {1, 2}, {-1, 1}, {1, -1}, {INT32_MIN, 1},
                              {1, INT32_MIN}, {INT32_MAX, 1}, {1, INT32_MAX}}) {
    SCOPED_TRACE(testing::Message() << match << "," << group);
    EXPECT_EQ(m.SubmatchText(match, group), Text());
  }
  EXPECT_EQ(m.MatchText(0), Text());
  EXPECT_EQ(m.MatchText(-3), Text());
  EXPECT_EQ(m.MatchText(INT32_MIN), Text());
}

TEST(RegexMatcher, Positions) {
  struct Case {
    const char* name;
    Text subject;
    const char* pattern;
    int32_t match;
    int32_t group;  // 0: the whole match
    int32_t want;
  };
  const Case kCases[] = {
      // Two two-byte characters then "ab": the match starts at character
      // 3, and the search from byte position 3 finds "b" at byte 6.
      {"after two-byte characters", Gbk("中文ab"), "b", 1, 0, 5},
      // "a$" matches the second "a" (character 1), but the search from
      // byte position 1 finds the first.
      {"same text one byte earlier", "aa", "a$", 1, 0, 0},
      {"group inside the match", Gbk("中x中y"), "(x).(y)", 1, 2, 5},
      {"second match", "ab ab", "(b)", 2, 1, 4},
      {"missing match, empty text found at once", "abc", "b", 5, 0, 0},
      {"missing group", "abc", "(b)", 1, 4, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RegexMatcher m;
    ASSERT_TRUE(m.Create(c.pattern, c.subject));
    int32_t position = 99;
    if (c.group == 0) {
      m.MatchText(c.match, &position);
    } else {
      m.SubmatchText(c.match, c.group, &position);
    }
    EXPECT_EQ(position, c.want);
  }
}

// Positions asked out of order still count characters from the start.
// The matches start at characters 1, 3 and 5; searching from those byte
// positions finds the "x" at byte offsets 2, 2 and 8.
TEST(RegexMatcher, PositionsInAnyOrder) {
  RegexMatcher m;
  ASSERT_TRUE(m.Create("x", Gbk("中x中x中x")));
  for (auto [match, want] : {std::pair{3, 8}, {1, 2}, {2, 2}, {3, 8}}) {
    int32_t position = 0;
    m.MatchText(match, &position);
    EXPECT_EQ(position, want) << match;
  }
}

TEST(RegexMatcher, ReplaceUsesTheStoredSubject) {
  struct Case {
    const char* name;
    const char* pattern;
    std::optional<bool> global;
    Text replacement;
    Text want;
  };
  const Case kCases[] = {
      {"every match", "(b)", std::nullopt, "[\\1]", Gbk("a[b]中[b]")},
      {"first match only", "(b)", false, "[\\0]", Gbk("a[b]中b")},
      {"replacement in gbk", "b", std::nullopt, Gbk("文"), Gbk("a文中文")},
      {"group the pattern lacks", "(b)", std::nullopt, "\\2", ""},
      {"stray backslash", "b", std::nullopt, "\\x", ""},
      {"no match leaves the subject", "q", std::nullopt, "x", Gbk("ab中b")},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RegexMatcher m;
    ASSERT_TRUE(m.Create(c.pattern, Gbk("ab中b"), std::nullopt, std::nullopt, c.global));
    EXPECT_EQ(m.Replace(c.replacement), c.want);
  }
}

TEST(RegexMatcher, RowPatternPicksRows) {
  const Text page = Gbk((std::string("<html><table>\r\n") +
                         Row("ABC-123 中文名", "1.2 GB", "magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567") +
                         "\r\n" + Row("<b>x</b> &amp;", "700 MB", "magnet:?xt=urn:btih:2") + Row("n3", "3 KB", "m3") +
                         "\r\n</table></html>")
                            .c_str());
  for (const char* pattern : {kRowPattern, kRowPatternForEngine}) {
    SCOPED_TRACE(pattern);
    RegexMatcher m;
    ASSERT_TRUE(CreateRows(m, page, pattern));
    ASSERT_EQ(m.MatchCount(), 3);
    EXPECT_EQ(m.SubmatchCount(), 4);
    EXPECT_EQ(m.SubmatchText(1, 1), Gbk("ABC-123 中文名"));
    EXPECT_EQ(m.SubmatchText(1, 2), Text("1.2 GB"));
    EXPECT_EQ(m.SubmatchText(1, 4), Text("magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567"));
    EXPECT_EQ(m.SubmatchText(2, 1), Text("<b>x</b> &amp;"));
    EXPECT_EQ(m.SubmatchText(2, 2), Text("700 MB"));
    EXPECT_EQ(m.SubmatchText(3, 3), Text("/td><td><a href=\"/d/1\">"));
    EXPECT_EQ(m.SubmatchText(3, 4), Text("m3"));
  }
}

TEST(RegexMatcher, RowPatternEdgeRows) {
  const std::string good = Row("n", "s", "m");
  struct Case {
    const char* name;
    std::string page;
    int32_t count;
  };
  std::string capitals = good;
  for (const char* word : {"<tr>", "<td class=\"name\">", "</td>", "<td class=\"size\">", "Detail", "<a href="}) {
    for (size_t at = capitals.find(word); at != std::string::npos; at = capitals.find(word, at + 1)) {
      for (size_t k = at; k < at + std::strlen(word); ++k) capitals[k] = static_cast<char>(std::toupper(capitals[k]));
    }
  }
  std::string split = good;
  split.insert(split.find("</td><td class=\"size\""), "\n");
  std::string splitCr = good;
  splitCr.insert(splitCr.find("</td><td class=\"size\""), "\r");
  const Case kCases[] = {
      {"row in capitals", capitals, 1},
      {"line feed inside a row", split, 0},
      {"line feed inside a row, good row after", split + "\n" + good, 1},
      {"carriage return inside a row", splitCr, 1},
      {"cut after the link opening", good.substr(0, good.find("m\" title")) + "\r\n" + good, 1},
  };
  for (const char* pattern : {kRowPattern, kRowPatternForEngine}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(testing::Message() << c.name << " / " << pattern);
      RegexMatcher m;
      ASSERT_TRUE(CreateRows(m, Text(c.page), pattern));
      EXPECT_EQ(m.MatchCount(), c.count);
      if (c.count == 1) {
        EXPECT_EQ(m.SubmatchText(1, 4), Text("m"));
      }
    }
  }
}

// Hostile pages: a long line of rows that never close, then one good row
// on the same line or on the next. On the same line the first broken row's
// match runs on lazily into the good row; on the next, the good row is
// matched by itself.
TEST(RegexMatcher, GoodRowFoundAfterBrokenOnes) {
  const std::string good = Row("good", "s", "magnet:?good");
  const std::string opening = "<tr><td class=\"name\">x</td><td class=\"size\">1</td><td>";
  const std::string cutLink = good.substr(0, good.find("magnet"));
  struct Case {
    const char* name;
    std::string piece;
    const char* separator;
    const char* wantName;
  };
  const Case kCases[] = {
      {"openings without Detail, same line", opening, "", "x"},
      {"links cut off, same line", cutLink, "", "good"},
      {"openings without Detail, next line", opening, "\r\n", "good"},
      {"links cut off, next line", cutLink, "\r\n", "good"},
  };
  for (const char* pattern : {kRowPattern, kRowPatternForEngine}) {
    for (const auto& c : kCases) {
      SCOPED_TRACE(testing::Message() << c.name << " / " << pattern);
      std::string page;
      for (int i = 0; i < 3000; ++i) page += c.piece;
      page += c.separator + good;
      RegexMatcher m;
      ASSERT_TRUE(CreateRows(m, Text(page), pattern));
      ASSERT_EQ(m.MatchCount(), 1);
      EXPECT_EQ(m.SubmatchText(1, 1), Text(c.wantName));
      const std::string whole = m.MatchText(1).str();
      const std::string end = "<a href=\"magnet:?good\" title=\"";
      ASSERT_GE(whole.size(), end.size());
      EXPECT_EQ(whole.substr(whole.size() - end.size()), end);
    }
  }
}

}  // namespace
}  // namespace zarvo
