// Character stepping over GBK text, shared by the character-aligned
// operations. Reading from a character start, a byte of 0x80 or more and the
// byte after it form one character; a lead byte in the last place is a lone
// lead byte and forms a character by itself.
#ifndef ZARVO_TEXT_GBK_SCAN_H_
#define ZARVO_TEXT_GBK_SCAN_H_

#include <cstddef>
#include <string_view>

namespace zarvo::gbk {

inline bool IsLeadByte(char c) { return static_cast<unsigned char>(c) >= 0x80; }

// Folds the ASCII letters A to Z to a to z; every other byte is unchanged.
inline unsigned char FoldAscii(char c) {
  auto b = static_cast<unsigned char>(c);
  return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b + 0x20) : b;
}

// True iff `a` and `b` (same length) are equal with A to Z folded.
bool EqualFolded(const char* a, const char* b, size_t n);

// Offset of the first occurrence of `needle` (not empty) in `hay` that
// begins at a character start, scanning characters from `from`, which
// counts as a character start. Compares byte for byte, or with A to Z folded
// on every compared byte when `foldCase`. Returns npos when there is none.
//
// Runs in time linear in the scanned bytes for a fixed needle: candidates
// come from memmem/memchr, and each is checked for alignment by looking back
// only as far as the last point known to start a character.
//
// Example: FindAligned("\xB0\xA1\xA1\xA1", 0, "\xA1\xA1", false) == 2.
size_t FindAligned(std::string_view hay, size_t from, std::string_view needle, bool foldCase);

}  // namespace zarvo::gbk

#endif  // ZARVO_TEXT_GBK_SCAN_H_
