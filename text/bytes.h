// Byte buffers: building, measuring, cutting, searching, joining and
// comparing. These work on raw bytes with no regard to characters.
#ifndef ZARVO_TEXT_BYTES_H_
#define ZARVO_TEXT_BYTES_H_

#include <cstdint>
#include <string>

#include "text/byte_buffer.h"
#include "text/text_value.h"

namespace zarvo {

// TextToBytes()
//
// The bytes of `text`, without the terminator.
// Example: TextToBytes("ab") holds 61 62
ByteBuffer TextToBytes(const Text& text);

// BytesToText()
//
// The bytes of `buffer` up to, not including, its first zero byte.
// Example: BytesToText(61 62 00 63) == "ab"
Text BytesToText(const ByteBuffer& buffer);

// BlankBytes()
//
// A buffer of `count` zero bytes; empty when count <= 0.
// Example: BlankBytes(2) holds 00 00
ByteBuffer BlankBytes(int32_t count);

// BytesLength()
//
// The number of bytes.
// Example: BytesLength(ByteBuffer()) == 0
int32_t BytesLength(const ByteBuffer& buffer);

// BytesLeft()
//
// The first min(count, length) bytes; empty when count <= 0.
// Example: BytesLeft(61 62 63, 2) holds 61 62
ByteBuffer BytesLeft(const ByteBuffer& buffer, int32_t count);

// FindBytes()
//
// 1-based position of the first occurrence of `needle`, comparing raw bytes
// at every offset (a match may begin inside a two-byte character). -1 when
// `needle` is empty, longer than `haystack`, or absent.
// Example: FindBytes(B0 41 42, 41) == 2
int32_t FindBytes(const ByteBuffer& haystack, const ByteBuffer& needle);

// ConcatBytes()
//
// The bytes of all arguments in order.
// Example: ConcatBytes(a, b, c) holds a's bytes, then b's, then c's
template <typename... Buffers>
ByteBuffer ConcatBytes(const ByteBuffer& first, const Buffers&... rest) {
  std::string out;
  out.reserve((first.size() + ... + rest.size()));
  out.append(first.view());
  (out.append(rest.view()), ...);
  return ByteBuffer(std::move(out));
}

// CompareBytes()
//
// 0 when both buffers hold the same bytes, non-zero otherwise.
// Example: CompareBytes(ByteBuffer(), ByteBuffer("")) == 0
int32_t CompareBytes(const ByteBuffer& a, const ByteBuffer& b);

}  // namespace zarvo

#endif  // ZARVO_TEXT_BYTES_H_
