#include "text/split.h"

#include "text/gbk_scan.h"

namespace zarvo {

TextArray SplitText(const Text& text, const Text& delimiter) {
  TextArray pieces;
  if (text.empty()) return pieces;
  if (delimiter.empty()) {
    pieces.push_back(text);
    return pieces;
  }
  const std::string_view s = text.view();
  size_t segment = 0;
  for (;;) {
    size_t at = gbk::FindAligned(s, segment, delimiter.view(), false);
    if (at == std::string_view::npos) break;
    pieces.push_back(Text(s.substr(segment, at - segment)));
    segment = at + delimiter.size();
  }
  if (segment < s.size()) pieces.push_back(Text(s.substr(segment)));
  return pieces;
}

}  // namespace zarvo
