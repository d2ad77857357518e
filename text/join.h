// Joining and comparing texts, on raw bytes.
#ifndef ZARVO_TEXT_JOIN_H_
#define ZARVO_TEXT_JOIN_H_

#include <cstdint>
#include <string>

#include "text/text_value.h"

namespace zarvo {

namespace internal {
inline std::string_view TextPiece(const Text& t) { return t.view(); }
inline std::string_view TextPiece(const char* s) { return s ? std::string_view(s) : std::string_view(); }
}  // namespace internal

// ConcatText()
//
// The arguments joined in order into a new text; takes texts and literals.
// Example: ConcatText("a", Text("b"), "c") == "abc"
template <typename... Parts>
Text ConcatText(const Parts&... parts) {
  std::string out;
  out.reserve((size_t{0} + ... + internal::TextPiece(parts).size()));
  (out.append(internal::TextPiece(parts)), ...);
  return Text(std::move(out));
}

// CompareText()
//
// Compares the bytes as unsigned values up to the first difference: -1 when
// `a` sorts first, 1 when `b` does, 0 when equal. A text that begins a longer
// one sorts first.
// Example: CompareText("ab", "abc") == -1; CompareText("\xB0", "a") == 1
int32_t CompareText(const Text& a, const Text& b);

}  // namespace zarvo

#endif  // ZARVO_TEXT_JOIN_H_
