#include "text/split.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(SplitText, Table) {
  static const struct {
    const char* name;
    const char* text;
    const char* delimiter;
    std::vector<Text> want;
  } kCases[] = {
      {"adjacent delimiters", "a,,b", ",", {"a", "", "b"}},
      {"trailing delimiter", "a,b,", ",", {"a", "b"}},
      {"leading delimiter", ",a", ",", {"", "a"}},
      {"delimiter only", ",", ",", {""}},
      {"empty text", "", ",", {}},
      {"empty delimiter", "abc", "", {"abc"}},
      {"header lines", "A: 1\r\nB: 2\r\n\r\n", "\r\n", {"A: 1", "B: 2", ""}},
      {"case counts", "aXbxc", "x", {"aXb", "c"}},
      {"aligned", "\xB0,\xA1,,x", ",", {"\xB0,\xA1,", "x"}},
      {"lone lead byte ends the scan", "a,\xB0", ",", {"a", "\xB0"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(SplitText(c.text, c.delimiter).elements(), c.want);
  }
}

}  // namespace
}  // namespace zarvo
