// Text encoding conversion between UTF-8, UTF-16 and GBK. Pages arrive in
// UTF-8 while every Text is GBK (code page 936), so these conversions sit
// at the two edges: web pages coming in, and the window's UTF-16 strings.
//
// UTF-16 travels in a ByteBuffer as little-endian 16-bit units without a
// byte-order mark; a unit count is the length divided by two, and an odd
// last byte is ignored. Code pages go by their Windows numbers:
//   936    GBK
//   65001  UTF-8
//   0      the ANSI code page, which is GBK here
// Any other number converts nothing and gives an empty result.
//
// No conversion rejects its input: a malformed UTF-8 or GBK sequence
// decodes to U+FFFD, and a character that GBK lacks (or an unpaired
// surrogate) encodes to one '?' (to U+FFFD in UTF-8). Every result is a new
// value; the functions keep no state and may run on any thread.
#ifndef ZARVO_TEXT_ENCODING_H_
#define ZARVO_TEXT_ENCODING_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/byte_buffer.h"
#include "text/text_value.h"

namespace zarvo {

// Windows numbers of the code pages we convert.
inline constexpr int32_t kCodePageAnsi = 0;
inline constexpr int32_t kCodePageGbk = 936;
inline constexpr int32_t kCodePageUtf8 = 65001;

// Utf8ToUtf16Bytes()
//
// The UTF-16 units of all the bytes of `utf8`, zero bytes included, with no
// terminating unit. Empty input gives an empty buffer.
//
// Example: Utf8ToUtf16Bytes(E4 B8 AD) holds 2D 4E
ByteBuffer Utf8ToUtf16Bytes(const ByteBuffer& utf8);

// Utf8ToGbkBytes()
//
// The GBK bytes of all the bytes of `utf8`, zero bytes included, with no
// terminating zero. A base letter followed by a combining mark that has a
// precomposed form converts as the precomposed character; only this
// conversion does that.
//
// Example:
//   Utf8ToGbkBytes(E4 B8 AD) holds D6 D0
//   Utf8ToGbkBytes("e" CC 81) holds A8 A6        // e + U+0301 as é
ByteBuffer Utf8ToGbkBytes(const ByteBuffer& utf8);

// TextToUtf16Bytes()
//
// The UTF-16 units of `text` read in `codePage` (omitted: 65001), followed
// by one zero unit. Empty for a code page we do not know.
//
// Example:
//   TextToUtf16Bytes("") holds 00 00
//   TextToUtf16Bytes("\xD6\xD0", 936) holds 2D 4E 00 00
ByteBuffer TextToUtf16Bytes(const Text& text, std::optional<int32_t> codePage = std::nullopt);

// Utf16BytesToText()
//
// The units of `units` up to the first zero unit (or all of them when there
// is none), encoded in `codePage` (omitted: 0, the ANSI code page, GBK).
// Empty for a code page we do not know.
//
// Example:
//   Utf16BytesToText(2D 4E 00 00 41 00) == "\xD6\xD0"
//   Utf16BytesToText(2D 4E, 65001) == "\xE4\xB8\xAD"
Text Utf16BytesToText(const ByteBuffer& units, std::optional<int32_t> codePage = std::nullopt);

// Utf8TextToGbk()
//
// `text`, whose bytes are UTF-8, in GBK; the same as
// Utf16BytesToText(TextToUtf16Bytes(text), 936). No composition here.
//
// Example:
//   Utf8TextToGbk("\xE4\xB8\xAD") == "\xD6\xD0"
//   Utf8TextToGbk("e\xCC\x81") == "e?"
Text Utf8TextToGbk(const Text& text);

// IsValidUtf8()
//
// True iff `bytes` is well-formed UTF-8: no stray continuation byte, no
// truncated sequence, no overlong form, no surrogate, nothing above
// U+10FFFF. The empty text is valid.
//
// Example: IsValidUtf8("\xE4\xB8\xAD") == true; IsValidUtf8("\xD6\xD0") ==
// false; IsValidUtf8("\xC0\xAF") == false
bool IsValidUtf8(std::string_view bytes);

}  // namespace zarvo

#endif  // ZARVO_TEXT_ENCODING_H_
