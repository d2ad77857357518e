#include "text/between.h"

#include "text/find.h"
#include "text/measure.h"
#include "text/rewrite.h"

namespace zarvo {

Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker, std::optional<int32_t> start,
                 std::optional<bool> caseSensitive) {
  const Text startQuoted = ReplaceText(startMarker, kQuotePlaceholder, "\"", true);
  const Text endQuoted = ReplaceText(endMarker, kQuotePlaceholder, "\"", true);
  const bool ignoreCase = !caseSensitive.value_or(false);
  int32_t p = FindText(text, startQuoted, start.value_or(0), ignoreCase);
  if (p != -1) p += TextLength(startQuoted);
  int32_t q = FindText(text, endQuoted, p, ignoreCase);
  if (p == -1 || q == -1) return Text();
  return TextMid(text, p, q - p);
}

Text ValueAfterColon(const Text& text) {
  int32_t k = FindText(text, ":", std::nullopt, false);
  if (k == -1) return Text();
  return TrimText(TextRight(text, TextLength(text) - k));
}

}  // namespace zarvo
