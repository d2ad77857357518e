// Searching texts. Both searches are character-aligned: a match is only
// tested at character starts, stepping over two-byte GBK characters as
// units, and a lone lead byte at the end ends the search. Positions are
// 1-based byte positions in the whole text; -1 means not found.
//
// Case: with `ignoreCase` true, every compared byte in A to Z (0x41-0x5A) is
// folded to a to z before comparing, the second byte of a two-byte character
// included. No other byte is folded.
#ifndef ZARVO_TEXT_FIND_H_
#define ZARVO_TEXT_FIND_H_

#include <cstdint>
#include <optional>

#include "text/text_value.h"

namespace zarvo {

// FindText()
//
// Position of the first occurrence of `find` in `text` at or after `start`.
// The range runs from max(start, 1) to the end (the whole text when `start`
// is omitted) and is empty when start > length. An empty `find` gives 1 when
// the range is not empty and -1 when it is.
//
// Example:
//   FindText("abcabc", "abc", 2) == 4
//   FindText("ABC", "b", std::nullopt, true) == 2
//   FindText("\xB0\xA1\xA1\xA1", "\xA1\xA1") == 3   // not 2: aligned
int32_t FindText(const Text& text, const Text& find, std::optional<int32_t> start = std::nullopt,
                 bool ignoreCase = false);

// FindTextReverse()
//
// Position of the last occurrence of `find` in the whole `text`, visiting
// the same candidates as FindText. An empty `find` gives 1 on a non-empty
// text and -1 on the empty text.
//
// Example: FindTextReverse("a:b:c", ":") == 4
int32_t FindTextReverse(const Text& text, const Text& find, bool ignoreCase = false);

}  // namespace zarvo

#endif  // ZARVO_TEXT_FIND_H_
