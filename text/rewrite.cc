#include "text/rewrite.h"

#include "text/gbk_scan.h"

namespace zarvo {
namespace {

constexpr unsigned char kFullWidthSpaceByte = 0xA1;  // A1 A1 is the full-width space

// Length of the space at `i` (1 or 2), or 0 when the character there is not one.
size_t SpaceAt(std::string_view s, size_t i) {
  if (s[i] == ' ') return 1;
  if (static_cast<unsigned char>(s[i]) == kFullWidthSpaceByte && i + 1 < s.size() &&
      static_cast<unsigned char>(s[i + 1]) == kFullWidthSpaceByte) {
    return 2;
  }
  return 0;
}

bool IsLoneLead(std::string_view s, size_t i) { return gbk::IsLeadByte(s[i]) && i + 1 == s.size(); }

}  // namespace

Text ReplaceText(const Text& text, const Text& find, const Text& replacement, bool caseSensitive) {
  if (text.empty() || find.empty()) return text;
  const std::string_view hay = text.view();
  std::string out;
  out.reserve(hay.size());
  size_t scan = 0;
  for (;;) {
    size_t at = gbk::FindAligned(hay, scan, find.view(), !caseSensitive);
    if (at == std::string_view::npos) break;
    out.append(hay.substr(scan, at - scan));
    out.append(replacement.view());
    scan = at + find.size();
  }
  out.append(hay.substr(scan));
  return Text(std::move(out));
}

Text TrimText(const Text& text) {
  const std::string_view s = text.view();
  size_t i = 0;
  while (i < s.size()) {
    size_t space = SpaceAt(s, i);
    if (space == 0) break;
    i += space;
  }
  const size_t begin = i;
  // Only the tail decides where the result ends. A byte below 0x80 other
  // than the space ends a character that is not a space (it is a one-byte
  // character or a trail byte), so the scan for the final run of spaces can
  // start right after the last such byte instead of at `begin`.
  for (size_t k = s.size(); k > begin; --k) {
    const char c = s[k - 1];
    if (!gbk::IsLeadByte(c) && c != ' ') {
      i = k;
      break;
    }
  }
  size_t runStart = std::string_view::npos;  // start of the latest unbroken run of spaces
  while (i < s.size()) {
    if (IsLoneLead(s, i)) return Text(s.substr(begin, i - begin));
    size_t space = SpaceAt(s, i);
    if (space != 0) {
      if (runStart == std::string_view::npos) runStart = i;
      i += space;
    } else {
      runStart = std::string_view::npos;
      i += gbk::IsLeadByte(s[i]) ? 2 : 1;
    }
  }
  const size_t end = runStart == std::string_view::npos ? s.size() : runStart;
  return Text(s.substr(begin, end - begin));
}

Text RemoveSpaces(const Text& text) {
  const std::string_view s = text.view();
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (IsLoneLead(s, i)) break;
    size_t space = SpaceAt(s, i);
    if (space != 0) {
      i += space;
      continue;
    }
    size_t width = gbk::IsLeadByte(s[i]) ? 2 : 1;
    out.append(s.substr(i, width));
    i += width;
  }
  return Text(std::move(out));
}

Text ToLowerCase(const Text& text) {
  std::string out(text.view());
  size_t i = 0;
  while (i < out.size()) {
    if (gbk::IsLeadByte(out[i])) {
      i += 2;
      continue;
    }
    out[i] = static_cast<char>(gbk::FoldAscii(out[i]));
    ++i;
  }
  return Text(std::move(out));
}

}  // namespace zarvo
