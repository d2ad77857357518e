#include "text/literal_chain.h"

#include <gtest/gtest.h>
#include <re2/re2.h>

#include <cctype>
#include <random>
#include <string>
#include <vector>

namespace zarvo {
namespace {

using Span = LiteralChain::Span;

constexpr char kRowPattern[] =
    "<tr><td class=\"name\">(.*?)</td><td class=\"size\">(.*?)<(.*?)Detail</a><a href=\"(.*?)\" title=\"";

TEST(LiteralChain, ParsesOnlyLiteralRunsAndLazyGroups) {
  struct Case {
    const char* pattern;
    bool chain;
    size_t groups;
  };
  static const Case kCases[] = {
      {kRowPattern, true, 4},      {"a", true, 0},          {"a(.*?)(.*?)b(.*?)", true, 3},
      {"(.*?)a", false, 0},        {"", false, 0},          {"a(.*)b", false, 0},
      {"a(.+?)b", false, 0},       {"a.b", false, 0},       {"a\\.b", false, 0},
      {"^a", false, 0},            {"a|b", false, 0},       {"a{2}", false, 0},
      {"a\tb", false, 0},          {"\xE4\xB8\xAD", false, 0},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.pattern);
    auto chain = LiteralChain::Parse(c.pattern, true);
    ASSERT_EQ(chain.has_value(), c.chain);
    if (chain) {
      EXPECT_EQ(chain->GroupCount(), c.groups);
    }
  }
}

TEST(LiteralChain, NotUsableWhereTheEngineFoldsMore) {
  struct Case {
    const char* name;
    const char* pattern;
    bool ignoreCase;
    const char* text;
    bool usable;
  };
  static const Case kCases[] = {
      {"kelvin sign against k", "k(.*?)x", true, "\xE2\x84\xAA", false},
      {"long s against s", "s(.*?)x", true, "a\xC5\xBF", false},
      {"kelvin sign, no k in the pattern", "a(.*?)x", true, "\xE2\x84\xAA", true},
      {"case counts", "k(.*?)x", false, "\xE2\x84\xAA", true},
      {"plain text", kRowPattern, true, "<tr>", true},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(LiteralChain::Parse(c.pattern, c.ignoreCase)->UsableOn(c.text), c.usable);
  }
}

// The engine's answer: every match and all its groups, as spans.
std::vector<std::vector<Span>> EngineMatches(const RE2& re, std::string_view text) {
  std::vector<std::vector<Span>> out;
  std::vector<re2::StringPiece> groups(static_cast<size_t>(re.NumberOfCapturingGroups()) + 1);
  size_t from = 0;
  while (from <= text.size() &&
         re.Match(text, from, text.size(), RE2::UNANCHORED, groups.data(), static_cast<int>(groups.size()))) {
    std::vector<Span> spans;
    for (const auto& g : groups) spans.push_back({static_cast<size_t>(g.data() - text.data()), g.size()});
    out.push_back(spans);
    from = spans[0].begin + spans[0].size;
  }
  return out;
}

std::vector<std::vector<Span>> ChainMatches(const LiteralChain& chain, std::string_view text) {
  std::vector<std::vector<Span>> out;
  for (Span m : chain.FindAll(text, true)) out.push_back(chain.Groups(text, m));
  return out;
}

// Texts built at random: half of the time the pattern's next literal run
// (in either case), otherwise a piece from the case's list (other case,
// line breaks, fragments, Chinese characters). The chain must agree with the
// engine on every one.
TEST(LiteralChain, AgreesWithTheEngine) {
  struct Case {
    const char* pattern;
    bool ignoreCase;
    std::vector<std::string> pieces;
  };
  const Case kCases[] = {
      {kRowPattern,
       true,
       {"<tr>", "<td class=\"name\">", "</td>", "<", "Detail</a>", "<a href=\"", "\" title=\"", "x", "\xE4\xB8\xAD",
        "\n", "\r", "\"", "\xE4\xB8\xAD\n"}},
      {"a(.*?)b(.*?)(.*?)ab", true, {"a", "A", "b", "B", "ab", "\n", "\xE4\xB8\xAD", "c"}},
      {"aa(.*?)a", false, {"a", "A", "aa", "\n", "b"}},
      {"<b>(.*?)</B>", true, {"<b>", "</b>", "<B>", "</B>", "<", ">", "b", "/", "\n"}},
  };
  std::mt19937 random(20261211);
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.pattern);
    RE2::Options options;
    options.set_case_sensitive(!c.ignoreCase);
    RE2 re(std::string("(?m)") + c.pattern, options);
    ASSERT_TRUE(re.ok());
    auto chain = LiteralChain::Parse(c.pattern, c.ignoreCase);
    ASSERT_TRUE(chain.has_value());

    std::vector<std::string> runs;
    std::string rest = c.pattern;
    for (size_t at; (at = rest.find("(.*?)")) != std::string::npos; rest.erase(0, at + 5)) {
      runs.push_back(rest.substr(0, at));
    }
    runs.push_back(rest);

    std::uniform_int_distribution<size_t> piece(0, c.pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 40);
    std::uniform_int_distribution<int> coin(0, 3);
    size_t matched = 0;
    for (int round = 0; round < 3000; ++round) {
      std::string text;
      size_t next = 0;
      for (int n = length(random); n > 0; --n) {
        if (coin(random) < 2) {
          std::string run = runs[next++ % runs.size()];
          if (coin(random) == 0) {
            for (char& ch : run) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
          }
          text += run;
        } else {
          text += c.pieces[piece(random)];
        }
      }
      auto want = EngineMatches(re, text);
      ASSERT_EQ(ChainMatches(*chain, text), want) << text;
      matched += want.size();
    }
    // The texts must make matches often enough for the comparison to mean
    // something.
    EXPECT_GT(matched, 300u);
  }
}

TEST(LiteralChain, FirstMatchOnly) {
  auto chain = LiteralChain::Parse("a(.*?)b", true);
  std::vector<Span> all = chain->FindAll("a1b a2b", true);
  std::vector<Span> first = chain->FindAll("a1b a2b", false);
  ASSERT_EQ(all.size(), 2u);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_EQ(first[0], all[0]);
}

}  // namespace
}  // namespace zarvo
