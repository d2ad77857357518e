#include "text/icu_codec.h"

#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace zarvo::codec {
namespace {

// ICU's name for the Windows code page 936 table. Opening it reports
// U_AMBIGUOUS_ALIAS_WARNING, which is only a warning.
constexpr char kGbkConverterName[] = "windows-936";
constexpr char kUtf8ConverterName[] = "UTF-8";
constexpr char kGbkSubstitute[] = "?";

// Intermediate UTF-16 buffer of the direct byte-to-byte conversions.
constexpr size_t kPivotUnits = 16 * 1024;

struct ConverterCloser {
  void operator()(UConverter* c) const { ucnv_close(c); }
};
using ConverterPtr = std::unique_ptr<UConverter, ConverterCloser>;

ConverterPtr OpenConverter(const char* name) {
  UErrorCode error = U_ZERO_ERROR;
  ConverterPtr c(ucnv_open(name, &error));
  if (U_FAILURE(error)) return nullptr;
  return c;
}

// The converters of the calling thread, opened on first use. A converter
// carries state between calls, so each thread needs its own.
struct Converters {
  Converters() : utf8(OpenConverter(kUtf8ConverterName)), gbk(OpenConverter(kGbkConverterName)) {
    if (gbk) {
      UErrorCode error = U_ZERO_ERROR;
      ucnv_setSubstChars(gbk.get(), kGbkSubstitute, 1, &error);
    }
  }
  ConverterPtr utf8;
  ConverterPtr gbk;
};

Converters& ThreadConverters() {
  thread_local Converters converters;
  return converters;
}

// Decodes all of `in` with `c`, growing the output when it runs short.
// `estimate` is a first guess of the unit count.
std::u16string Decode(UConverter* c, std::string_view in, size_t estimate) {
  std::u16string out;
  if (c == nullptr || in.empty()) return out;
  ucnv_resetToUnicode(c);
  out.resize(estimate + 16);
  const char* source = in.data();
  const char* sourceLimit = in.data() + in.size();
  size_t written = 0;
  for (;;) {
    UChar* target = reinterpret_cast<UChar*>(out.data()) + written;
    UChar* targetLimit = reinterpret_cast<UChar*>(out.data()) + out.size();
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(c, &target, targetLimit, &source, sourceLimit, nullptr, true, &error);
    written = static_cast<size_t>(target - reinterpret_cast<UChar*>(out.data()));
    if (error != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
  }
  out.resize(written);
  return out;
}

// Encodes all of `in` with `c`, growing the output when it runs short.
std::string Encode(UConverter* c, std::u16string_view in, size_t estimate) {
  std::string out;
  if (c == nullptr || in.empty()) return out;
  ucnv_resetFromUnicode(c);
  out.resize(estimate + 16);
  const UChar* source = reinterpret_cast<const UChar*>(in.data());
  const UChar* sourceLimit = source + in.size();
  size_t written = 0;
  for (;;) {
    char* target = out.data() + written;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_fromUnicode(c, &target, out.data() + out.size(), &source, sourceLimit, nullptr, true, &error);
    written = static_cast<size_t>(target - out.data());
    if (error != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
  }
  out.resize(written);
  return out;
}

// Converts all of `in` from `from` to `to` through a small UTF-16 pivot.
std::string Convert(UConverter* to, UConverter* from, std::string_view in, size_t estimate) {
  std::string out;
  if (to == nullptr || from == nullptr || in.empty()) return out;
  std::array<UChar, kPivotUnits> pivot;
  UChar* pivotSource = pivot.data();
  UChar* pivotTarget = pivot.data();
  out.resize(estimate + 16);
  const char* source = in.data();
  const char* sourceLimit = in.data() + in.size();
  size_t written = 0;
  bool reset = true;
  for (;;) {
    char* target = out.data() + written;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_convertEx(to, from, &target, out.data() + out.size(), &source, sourceLimit, pivot.data(), &pivotSource,
                   &pivotTarget, pivot.data() + pivot.size(), reset, true, &error);
    reset = false;
    written = static_cast<size_t>(target - out.data());
    if (error != U_BUFFER_OVERFLOW_ERROR) break;
    out.resize(out.size() * 2);
  }
  out.resize(written);
  return out;
}

// True iff every byte is below 0x80; such bytes mean the same in UTF-8
// and GBK.
bool IsAscii(std::string_view bytes) {
  size_t i = 0;
  for (; i + 8 <= bytes.size(); i += 8) {
    uint64_t word;
    std::memcpy(&word, bytes.data() + i, 8);
    if ((word & 0x8080808080808080u) != 0) return false;
  }
  for (; i < bytes.size(); ++i) {
    if (static_cast<unsigned char>(bytes[i]) >= 0x80) return false;
  }
  return true;
}

// One bit per BMP code point that may compose with the character before
// it; everything else is skipped without asking the normaliser.
class ComposingMarks {
 public:
  explicit ComposingMarks(const UNormalizer2* nfc) {
    for (uint32_t c = 0; c < 0x10000; ++c) {
      if (!U16_IS_SURROGATE(c) && !unorm2_hasBoundaryBefore(nfc, static_cast<UChar32>(c))) {
        bits_[c >> 6] |= uint64_t{1} << (c & 63);
      }
    }
  }
  // Surrogates answer true so that supplementary characters take the slow path.
  bool MayCompose(char16_t unit) const {
    return U16_IS_SURROGATE(unit) || ((bits_[unit >> 6] >> (unit & 63)) & 1) != 0;
  }

 private:
  std::array<uint64_t, 0x10000 / 64> bits_{};
};

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  // One UTF-8 byte never yields more than one unit.
  return Decode(ThreadConverters().utf8.get(), utf8, utf8.size());
}

std::string Utf16ToUtf8(std::u16string_view units) {
  return Encode(ThreadConverters().utf8.get(), units, units.size() * 3);
}

std::u16string GbkToUtf16(std::string_view gbk) {
  return Decode(ThreadConverters().gbk.get(), gbk, gbk.size());
}

std::string Utf16ToGbk(std::u16string_view units) {
  return Encode(ThreadConverters().gbk.get(), units, units.size() * 2);
}

std::string GbkToUtf8(std::string_view gbk) {
  if (IsAscii(gbk)) return std::string(gbk);
  Converters& c = ThreadConverters();
  // Mostly ASCII markup with some two-byte characters that become three.
  return Convert(c.utf8.get(), c.gbk.get(), gbk, gbk.size() + gbk.size() / 2);
}

std::string Utf8ToGbk(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  Converters& c = ThreadConverters();
  // No UTF-8 sequence becomes longer in GBK.
  return Convert(c.gbk.get(), c.utf8.get(), utf8, utf8.size());
}

void ComposePairs(std::u16string& units) {
  UErrorCode error = U_ZERO_ERROR;
  const UNormalizer2* nfc = unorm2_getNFCInstance(&error);
  if (U_FAILURE(error)) return;
  static const ComposingMarks kMarks(nfc);

  // Skip the leading stretch in which no unit can compose with another.
  size_t first = 1;
  while (first < units.size() && !kMarks.MayCompose(units[first])) ++first;
  if (first >= units.size()) return;

  std::u16string out(units, 0, first - 1);
  out.reserve(units.size());
  size_t i = first - 1;
  size_t baseStart = std::u16string::npos;  // where the last character written starts
  UChar32 base = 0;
  const size_t n = units.size();
  while (i < n) {
    UChar32 c;
    U16_NEXT(units.data(), i, n, c);
    if (baseStart != std::u16string::npos && !unorm2_hasBoundaryBefore(nfc, c)) {
      UChar32 composite = unorm2_composePair(nfc, base, c);
      if (composite >= 0) {
        out.resize(baseStart);
        base = composite;
        if (U_IS_BMP(composite)) {
          out.push_back(static_cast<char16_t>(composite));
        } else {
          out.push_back(static_cast<char16_t>(U16_LEAD(composite)));
          out.push_back(static_cast<char16_t>(U16_TRAIL(composite)));
        }
        continue;
      }
    }
    baseStart = out.size();
    base = c;
    if (U_IS_BMP(c)) {
      out.push_back(static_cast<char16_t>(c));
    } else {
      out.push_back(static_cast<char16_t>(U16_LEAD(c)));
      out.push_back(static_cast<char16_t>(U16_TRAIL(c)));
    }
  }
  units = std::move(out);
}

}  // namespace zarvo::codec
