#include "text/encoding.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "text/icu_codec.h"

namespace zarvo {
namespace {

enum class CodePage { kGbk, kUtf8, kUnknown };

CodePage Resolve(std::optional<int32_t> codePage, int32_t fallback) {
  switch (codePage.value_or(fallback)) {
    case kCodePageAnsi:
    case kCodePageGbk:
      return CodePage::kGbk;
    case kCodePageUtf8:
      return CodePage::kUtf8;
    default:
      return CodePage::kUnknown;
  }
}

// Little-endian bytes of `units`.
ByteBuffer UnitsToBytes(std::u16string_view units) {
  std::string bytes(units.size() * 2, '\0');
  if constexpr (std::endian::native == std::endian::little) {
    if (!units.empty()) std::memcpy(bytes.data(), units.data(), bytes.size());
  } else {
    for (size_t i = 0; i < units.size(); ++i) {
      bytes[2 * i] = static_cast<char>(units[i] & 0xFF);
      bytes[2 * i + 1] = static_cast<char>(units[i] >> 8);
    }
  }
  return ByteBuffer(std::move(bytes));
}

// The units of little-endian `bytes`; an odd last byte is ignored.
std::u16string BytesToUnits(std::string_view bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  if constexpr (std::endian::native == std::endian::little) {
    if (!units.empty()) std::memcpy(units.data(), bytes.data(), units.size() * 2);
  } else {
    for (size_t i = 0; i < units.size(); ++i) {
      units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
  }
  return units;
}

}  // namespace

ByteBuffer Utf8ToUtf16Bytes(const ByteBuffer& utf8) {
  return UnitsToBytes(codec::Utf8ToUtf16(utf8.view()));
}

ByteBuffer Utf8ToGbkBytes(const ByteBuffer& utf8) {
  return ByteBuffer(codec::Utf8ToGbkComposed(utf8.view()));
}

ByteBuffer TextToUtf16Bytes(const Text& text, std::optional<int32_t> codePage) {
  std::u16string units;
  switch (Resolve(codePage, kCodePageUtf8)) {
    case CodePage::kGbk:
      units = codec::GbkToUtf16(text.view());
      break;
    case CodePage::kUtf8:
      units = codec::Utf8ToUtf16(text.view());
      break;
    case CodePage::kUnknown:
      return ByteBuffer();
  }
  units.push_back(u'\0');
  return UnitsToBytes(units);
}

Text Utf16BytesToText(const ByteBuffer& units, std::optional<int32_t> codePage) {
  std::u16string all = BytesToUnits(units.view());
  std::u16string_view upToZero(all);
  upToZero = upToZero.substr(0, upToZero.find(u'\0'));
  switch (Resolve(codePage, kCodePageAnsi)) {
    case CodePage::kGbk:
      return Text(codec::Utf16ToGbk(upToZero));
    case CodePage::kUtf8:
      return Text(codec::Utf16ToUtf8(upToZero));
    case CodePage::kUnknown:
      break;
  }
  return Text();
}

Text Utf8TextToGbk(const Text& text) {
  // A Text holds no zero byte, so the round trip through UTF-16 and its
  // terminator comes down to one direct conversion.
  return Text(codec::Utf8ToGbk(text.view()));
}

namespace {

// Length of the UTF-8 sequence that `lead` starts, 0 for a byte that cannot
// start one (a continuation byte, C0, C1, F5 to FF).
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead < 0xC2) return 0;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF5) return 4;
  return 0;
}

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = p + bytes.size();
  while (p < end) {
    // Pages are mostly ASCII markup: step over eight such bytes at a time.
    if (end - p >= 8) {
      uint64_t word;
      std::memcpy(&word, p, sizeof word);
      if ((word & 0x8080808080808080ULL) == 0) {
        p += 8;
        continue;
      }
    }
    const int length = SequenceLength(*p);
    if (length == 0 || end - p < length) return false;
    for (int i = 1; i < length; ++i) {
      if (!IsContinuation(p[i])) return false;
    }
    // The second byte's range rules out overlong forms (E0, F0), the
    // surrogates (ED) and code points above U+10FFFF (F4).
    if (*p == 0xE0 && p[1] < 0xA0) return false;
    if (*p == 0xED && p[1] > 0x9F) return false;
    if (*p == 0xF0 && p[1] < 0x90) return false;
    if (*p == 0xF4 && p[1] > 0x8F) return false;
    p += length;
  }
  return true;
}

}  // namespace zarvo
