// Text: a byte string in the GBK code page (936), ending at its first zero
// byte. Its length is its number of bytes; an absent text is the empty text.
//
// A byte of 0x80 or more read at a character start is a lead byte: it and
// the byte after it form one two-byte character. The searching and rewriting
// operations step over such characters as units; the cutting operations
// count raw bytes. Positions inside a text are 1-based byte positions.
//
// Text is a value: copying hands over an independent copy.
//
// Example:
//   Text t = "abc";                    // from a literal
//   Text u = std::string("a\0b", 3);   // holds "a": stops at the zero byte
//   std::string_view v = t.view();     // "abc"
#ifndef ZARVO_TEXT_TEXT_VALUE_H_
#define ZARVO_TEXT_TEXT_VALUE_H_

#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <string_view>

namespace zarvo {

class Text {
 public:
  Text() = default;
  Text(const char* bytes) : bytes_(bytes ? bytes : "") {}  // NOLINT: implicit on purpose
  Text(std::string bytes) : bytes_(std::move(bytes)) { CutAtZero(); }  // NOLINT
  explicit Text(std::string_view bytes) : bytes_(bytes) { CutAtZero(); }

  // The bytes, without the terminator.
  std::string_view view() const { return bytes_; }
  const std::string& str() const { return bytes_; }
  const char* data() const { return bytes_.data(); }
  size_t size() const { return bytes_.size(); }
  bool empty() const { return bytes_.empty(); }

  // Hands the bytes over without copying; the text is empty afterwards.
  std::string Release() { return std::move(bytes_); }

  friend bool operator==(const Text&, const Text&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Text& t) { return out << t.bytes_; }

 private:
  void CutAtZero() {
    size_t zero = bytes_.find('\0');
    if (zero != std::string::npos) bytes_.resize(zero);
  }

  std::string bytes_;
};

}  // namespace zarvo

#endif  // ZARVO_TEXT_TEXT_VALUE_H_
