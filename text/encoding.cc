#include "text/encoding.h"

#include <bit>
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

}  // namespace zarvo
