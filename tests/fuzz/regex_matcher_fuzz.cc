// Runs the row pattern over arbitrary subjects. Every group text must be a
// piece of the subject as the matcher sees it (GBK read through UTF-16 and
// back), and a well-formed row on its own line after any bytes is found.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "text/encoding.h"
#include "text/regex_matcher.h"
#include "text/text.h"

namespace {

// The search command's row pattern (91 characters).
constexpr char kRowPattern[] =
    "<tr><td class=\"name\">(.*?)</td><td class=\"size\">(.*?)<(.*?)Detail</a><a href=\"(.*?)\" title=";

constexpr char kGoodRow[] =
    "<tr><td class=\"name\">good</td><td class=\"size\">1GB</td><td>Detail</a><a href=\"magnet:?xt=urn:btih:"
    "0123456789abcdef0123456789abcdef01234567\" title=\"x\"></tr>";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zarvo;
  using fuzz::Check;
  if (size > 64 * 1024) return 0;
  const Text page(std::string_view(reinterpret_cast<const char*>(data), size));
  // Two line breaks: a lead byte may take the first as its second byte.
  const Text subject = ConcatText(page, "\n\n", kGoodRow);
  const Text seen = Utf16BytesToText(TextToUtf16Bytes(subject, 936), 936);

  RegexMatcher matcher;
  Check(matcher.Create(kRowPattern, subject, false, true, true, true), "row pattern accepted");
  const int32_t n = matcher.MatchCount();
  Check(n >= 1, "the good row is found");
  for (int32_t i = 1; i <= n; ++i) {
    const Text whole = matcher.MatchText(i);
    Check(seen.view().find(whole.view()) != std::string_view::npos, "match is a piece of the subject");
    for (int32_t g = 1; g <= 4; ++g) {
      int32_t position = 0;
      const Text group = matcher.SubmatchText(i, g, &position);
      Check(whole.view().find(group.view()) != std::string_view::npos, "group is a piece of its match");
      Check(position >= -2 && position < static_cast<int32_t>(subject.size()) + 1, "position in range");
    }
  }
  Check(matcher.SubmatchText(n, 1) == Text("good"), "last row's name");
  Check(matcher.SubmatchText(n, 4) == Text("magnet:?xt=urn:btih:0123456789abcdef0123456789abcdef01234567"),
        "last row's link");
  Check(matcher.SubmatchText(n + 1, 1).empty() && matcher.SubmatchText(1, 5).empty(), "out of range is empty");
  return 0;
}
