#include "text/bytes.h"

#include <cstring>

namespace zarvo {

ByteBuffer TextToBytes(const Text& text) { return ByteBuffer(text.view()); }

Text BytesToText(const ByteBuffer& buffer) { return Text(buffer.view()); }

ByteBuffer BlankBytes(int32_t count) {
  if (count <= 0) return ByteBuffer();
  return ByteBuffer(std::string(static_cast<size_t>(count), '\0'));
}

int32_t BytesLength(const ByteBuffer& buffer) { return static_cast<int32_t>(buffer.size()); }

ByteBuffer BytesLeft(const ByteBuffer& buffer, int32_t count) {
  if (count <= 0) return ByteBuffer();
  return ByteBuffer(buffer.view().substr(0, static_cast<size_t>(count)));
}

int32_t FindBytes(const ByteBuffer& haystack, const ByteBuffer& needle) {
  if (needle.empty() || needle.size() > haystack.size()) return -1;
  const void* hit = memmem(haystack.data(), haystack.size(), needle.data(), needle.size());
  return hit == nullptr ? -1 : static_cast<int32_t>(static_cast<const char*>(hit) - haystack.data() + 1);
}

int32_t CompareBytes(const ByteBuffer& a, const ByteBuffer& b) { return a.view() == b.view() ? 0 : 1; }

}  // namespace zarvo
