#include "text/between.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(TextBetween, Table) {
  static const struct {
    const char* name;
    const char* text;
    const char* startMarker;
    const char* endMarker;
    std::optional<bool> caseSensitive;
    const char* want;
  } kCases[] = {
      {"header value keeps its space", "User-Agent: X\r\nAccept: */*\r\n", "user-agent:", "\r\n", std::nullopt, " X"},
      {"case sensitive misses", "User-Agent: X\r\n", "user-agent:", "\r\n", true, ""},
      {"no start marker", "abc", "x", "c", std::nullopt, ""},
      {"no end marker after it", "abc", "b", "a", std::nullopt, ""},
      {"start marker ends the text", "abc", "c", "", std::nullopt, ""},
      {"markers adjacent", "a[]b", "[", "]", std::nullopt, ""},
      {"placeholder stands for a quote", "href=\"v\" x", "href=#\xD2\xFD\xBA\xC5", "#\xD2\xFD\xBA\xC5", std::nullopt, "v"},
      {"end looked for after the start marker", "]a[b]", "[", "]", std::nullopt, "b"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(TextBetween(c.text, c.startMarker, c.endMarker, std::nullopt, c.caseSensitive), Text(c.want));
  }
  EXPECT_EQ(TextBetween("[a][b]", "[", "]", 2), Text("b"));
}

TEST(ValueAfterColon, Table) {
  EXPECT_EQ(ValueAfterColon("Location: a:b"), Text("a:b"));
  EXPECT_EQ(ValueAfterColon("no colon"), Text());
  EXPECT_EQ(ValueAfterColon("a:"), Text());
  EXPECT_EQ(ValueAfterColon("a:\xA1\xA1v\xA1\xA1"), Text("v"));
}

}  // namespace
}  // namespace zarvo
