// Picking values out of header lines and addresses: the text between two
// markers, and the value after a colon.
#ifndef ZARVO_TEXT_BETWEEN_H_
#define ZARVO_TEXT_BETWEEN_H_

#include <cstdint>
#include <optional>

#include "text/text_value.h"

namespace zarvo {

// "#引号" in GBK: in a marker or pattern it stands for one double quote.
inline constexpr char kQuotePlaceholder[] = "#\xD2\xFD\xBA\xC5";

// TextBetween()
//
// The bytes strictly between the first `startMarker` found from `start` on
// (omitted: the whole text) and the first `endMarker` after it; empty when
// either is missing. Every "#引号" in a marker stands for '"'. The markers
// match without regard to ASCII case unless `caseSensitive` is true (omitted:
// false). The result is not trimmed.
//
// Example:
//   TextBetween("User-Agent: X\r\nA: b", "user-agent:", "\r\n") == " X"
//   TextBetween("a=\"v\"", "a=#引号", "#引号") == "v"      // markers in GBK
Text TextBetween(const Text& text, const Text& startMarker, const Text& endMarker,
                 std::optional<int32_t> start = std::nullopt, std::optional<bool> caseSensitive = std::nullopt);

// ValueAfterColon()
//
// The trimmed text after the first colon; empty when there is no colon.
// Example: ValueAfterColon("Location: a:b") == "a:b"
Text ValueAfterColon(const Text& text);

}  // namespace zarvo

#endif  // ZARVO_TEXT_BETWEEN_H_
