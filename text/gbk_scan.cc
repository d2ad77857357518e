#include "text/gbk_scan.h"

#include <cstring>

namespace zarvo::gbk {

bool EqualFolded(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

namespace {

// Tracks the alignment of candidates that arrive in increasing order.
// `known` is always a character start. A byte below 0x80 always ends a
// character (it is either a one-byte character or a trail byte), so the byte
// after it starts one; between such a point and a candidate every byte is a
// lead or trail byte, and they pair up, so the parity of their number tells
// whether the candidate starts a character.
class AlignmentTracker {
 public:
  AlignmentTracker(std::string_view hay, size_t from) : hay_(hay), known_(from) {}

  bool StartsCharacter(size_t candidate) {
    size_t j = candidate;
    while (j > known_ && IsLeadByte(hay_[j - 1])) --j;
    bool aligned = (candidate - j) % 2 == 0;
    known_ = aligned ? candidate : candidate + 1;
    return aligned;
  }

  // The next character start after the character at `aligned`.
  size_t NextStart(size_t aligned) const { return aligned + (IsLeadByte(hay_[aligned]) ? 2 : 1); }

 private:
  std::string_view hay_;
  size_t known_;
};

// Needles this short are found with memchr on their first byte and a compare
// of the rest: memmem's set-up costs more than the search when a text is
// split into many short pieces, and a compare of at most this many bytes per
// candidate keeps the scan linear.
constexpr size_t kShortNeedle = 4;

size_t FindExact(std::string_view hay, size_t from, std::string_view needle) {
  AlignmentTracker tracker(hay, from);
  const size_t n = needle.size();
  size_t pos = from;
  while (pos + n <= hay.size()) {
    const void* hit = n <= kShortNeedle ? memchr(hay.data() + pos, needle[0], hay.size() - pos - n + 1)
                                        : memmem(hay.data() + pos, hay.size() - pos, needle.data(), n);
    if (hit == nullptr) return std::string_view::npos;
    size_t candidate = static_cast<const char*>(hit) - hay.data();
    if ((n > kShortNeedle || memcmp(hay.data() + candidate + 1, needle.data() + 1, n - 1) == 0) &&
        tracker.StartsCharacter(candidate)) {
      return candidate;
    }
    pos = candidate + 1;
  }
  return std::string_view::npos;
}

size_t FindFolded(std::string_view hay, size_t from, std::string_view needle) {
  const unsigned char first = FoldAscii(needle[0]);
  const size_t last = hay.size() - needle.size();  // last candidate that fits
  size_t pos = from;
  while (pos <= last) {
    if (FoldAscii(hay[pos]) == first && EqualFolded(hay.data() + pos + 1, needle.data() + 1, needle.size() - 1)) {
      return pos;
    }
    pos += IsLeadByte(hay[pos]) ? 2 : 1;
  }
  return std::string_view::npos;
}

}  // namespace

size_t FindAligned(std::string_view hay, size_t from, std::string_view needle, bool foldCase) {
  if (needle.empty() || from > hay.size() || hay.size() - from < needle.size()) return std::string_view::npos;
  return foldCase ? FindFolded(hay, from, needle) : FindExact(hay, from, needle);
}

}  // namespace zarvo::gbk
