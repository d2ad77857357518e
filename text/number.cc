#include "text/number.h"

#include <string>

#include "text/gbk_scan.h"

namespace zarvo {
namespace {

// The one-byte form of a two-byte full-width character, or 0 when it has none.
char FoldFullWidth(unsigned char lead, unsigned char trail) {
  if (lead == 0xA3 && trail >= 0xA1 && trail <= 0xFE) return static_cast<char>(trail - 0x80);
  if (lead == 0xA1) {
    if (trail == 0xA1) return ' ';
    if (trail == 0xAB) return '~';
    if (trail == 0xEE || trail == 0xEF) return '*';
  }
  return 0;
}

std::string FoldFullWidthForms(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (!gbk::IsLeadByte(s[i])) {
      out.push_back(s[i++]);
      continue;
    }
    if (i + 1 == s.size()) break;  // lone lead byte: dropped
    char folded = FoldFullWidth(static_cast<unsigned char>(s[i]), static_cast<unsigned char>(s[i + 1]));
    if (folded != 0) {
      out.push_back(folded);
    } else {
      out.append(s.substr(i, 2));
    }
    i += 2;
  }
  return out;
}

}  // namespace

int32_t TextToInt(const Text& text) {
  const std::string s = FoldFullWidthForms(text.view());
  size_t i = 0;
  while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  uint32_t value = 0;  // unsigned: wraps modulo 2^32 by definition
  while (i < s.size() && s[i] >= '0' && s[i] <= '9') value = value * 10u + static_cast<uint32_t>(s[i++] - '0');
  if (negative) value = 0u - value;
  return static_cast<int32_t>(value);
}

Text IntToText(int32_t value) { return Text(std::to_string(value)); }

Text CharFromCode(int32_t code) { return Text(std::string(1, static_cast<char>(code & 0xFF))); }

int32_t BitOr(int32_t a, int32_t b) { return a | b; }

}  // namespace zarvo
