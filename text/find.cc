#include "text/find.h"

#include <algorithm>

#include "text/gbk_scan.h"

namespace zarvo {

int32_t FindText(const Text& text, const Text& find, std::optional<int32_t> start, bool ignoreCase) {
  const int64_t length = static_cast<int64_t>(text.size());
  const int64_t first = start ? std::max<int64_t>(*start, 1) : 1;
  const bool rangeEmpty = first > length;
  if (find.empty()) return rangeEmpty ? -1 : 1;
  if (rangeEmpty) return -1;
  size_t at = gbk::FindAligned(text.view(), static_cast<size_t>(first - 1), find.view(), ignoreCase);
  return at == std::string_view::npos ? -1 : static_cast<int32_t>(at + 1);
}

int32_t FindTextReverse(const Text& text, const Text& find, bool ignoreCase) {
  if (find.empty()) return text.empty() ? -1 : 1;
  const std::string_view hay = text.view();
  size_t last = std::string_view::npos;
  size_t from = 0;
  for (;;) {
    size_t at = gbk::FindAligned(hay, from, find.view(), ignoreCase);
    if (at == std::string_view::npos) break;
    last = at;
    from = at + (gbk::IsLeadByte(hay[at]) ? 2 : 1);
  }
  return last == std::string_view::npos ? -1 : static_cast<int32_t>(last + 1);
}

}  // namespace zarvo
