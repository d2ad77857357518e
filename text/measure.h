// Measuring and cutting texts. These work on raw bytes and may cut a
// two-byte GBK character in half. Counts out of range give the empty text.
#ifndef ZARVO_TEXT_MEASURE_H_
#define ZARVO_TEXT_MEASURE_H_

#include <cstdint>

#include "text/text_value.h"

namespace zarvo {

// TextLength()
//
// The number of bytes before the terminator; 0 for the empty text.
// Example: TextLength("ab") == 2
int32_t TextLength(const Text& text);

// TextLeft()
//
// The first min(count, length) bytes; empty when count <= 0.
// Example: TextLeft("abc", 2) == "ab"; TextLeft("abc", 9) == "abc"
Text TextLeft(const Text& text, int32_t count);

// TextRight()
//
// The last min(count, length) bytes; empty when count <= 0.
// Example: TextRight("abc", 2) == "bc"
Text TextRight(const Text& text, int32_t count);

// TextMid()
//
// The bytes from 1-based position `start` on, min(count, length - start + 1)
// of them; empty when start < 1, start > length or count <= 0.
// Example: TextMid("abcdef", 3, 2) == "cd"; TextMid("abcdef", 5, 10) == "ef"
Text TextMid(const Text& text, int32_t start, int32_t count);

// BlankText()
//
// A text of `count` ASCII spaces; empty when count <= 0.
// Example: BlankText(3) == "   "
Text BlankText(int32_t count);

}  // namespace zarvo

#endif  // ZARVO_TEXT_MEASURE_H_
