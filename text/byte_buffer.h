// ByteBuffer: a counted sequence of raw bytes that may hold zero bytes.
// An absent buffer is the empty buffer. UTF-16 data travels in a buffer as
// little-endian 16-bit units without a byte-order mark.
//
// Example:
//   ByteBuffer b(std::string("a\0b", 3));   // three bytes
//   b.view().size();                          // 3
#ifndef ZARVO_TEXT_BYTE_BUFFER_H_
#define ZARVO_TEXT_BYTE_BUFFER_H_

#include <ostream>
#include <string>
#include <string_view>

namespace zarvo {

class ByteBuffer {
 public:
  ByteBuffer() = default;
  explicit ByteBuffer(std::string bytes) : bytes_(std::move(bytes)) {}
  explicit ByteBuffer(std::string_view bytes) : bytes_(bytes) {}

  std::string_view view() const { return bytes_; }
  const std::string& str() const { return bytes_; }
  const char* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }

  // Appends raw bytes; growth is amortised, so appending pieces one by one
  // costs time proportional to the bytes appended.
  void Append(std::string_view more) { bytes_.append(more); }
  void Reserve(size_t n) { bytes_.reserve(n); }
  std::string Release() { return std::move(bytes_); }

  friend bool operator==(const ByteBuffer&, const ByteBuffer&) = default;
  friend std::ostream& operator<<(std::ostream& out, const ByteBuffer& b) { return out << b.bytes_; }

 private:
  std::string bytes_;
};

}  // namespace zarvo

#endif  // ZARVO_TEXT_BYTE_BUFFER_H_
