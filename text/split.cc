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
  // Count the pieces first so the array is allocated once: growing it while
  // the pieces are being allocated costs more than this extra pass.
  size_t count = 1;
  for (size_t at = 0; (at = gbk::FindAligned(s, at, delimiter.view(), false)) != std::string_view::npos;
       at += delimiter.size()) {
    ++count;
  }
  pieces.reserve(count);
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
