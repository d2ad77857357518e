#include "text/icu_codec.h"

#include <unicode/ucnv.h>
#include <unicode/unorm2.h>
#include <unicode/utf16.h>

#include <algorithm>
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

// Notes whether a character that GBK lacks is a combining mark that may
// compose with the character before it. No such mark is in GBK (the tests
// check this), so every one reaches this callback.
struct MarkWatch {
  const UNormalizer2* nfc = nullptr;
  bool seen = false;
};

void WatchForMarks(const void* context, UConverterFromUnicodeArgs* args, const UChar* units, int32_t length,
                   UChar32 codePoint, UConverterCallbackReason reason, UErrorCode* error) {
  auto* watch = static_cast<MarkWatch*>(const_cast<void*>(context));
  if ((reason == UCNV_UNASSIGNED || reason == UCNV_ILLEGAL) && !unorm2_hasBoundaryBefore(watch->nfc, codePoint)) {
    watch->seen = true;
  }
  UCNV_FROM_U_CALLBACK_SUBSTITUTE(nullptr, args, units, length, codePoint, reason, error);
}

// The converters of the calling thread, opened on first use. A converter
// carries state between calls, so each thread needs its own.
struct Converters {
  Converters()
      : utf8(OpenConverter(kUtf8ConverterName)),
        gbk(OpenGbk()),
        gbkWatchingMarks(OpenGbk()) {
    UErrorCode error = U_ZERO_ERROR;
    markWatch.nfc = unorm2_getNFCInstance(&error);
    if (U_FAILURE(error)) {
      gbkWatchingMarks.reset();
    } else if (gbkWatchingMarks) {
      ucnv_setFromUCallBack(gbkWatchingMarks.get(), WatchForMarks, &markWatch, nullptr, nullptr, &error);
    }
  }
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;

  static ConverterPtr OpenGbk() {
    ConverterPtr c = OpenConverter(kGbkConverterName);
    if (c) {
      UErrorCode error = U_ZERO_ERROR;
      ucnv_setSubstChars(c.get(), kGbkSubstitute, 1, &error);
    }
    return c;
  }

  ConverterPtr utf8;
  ConverterPtr gbk;
  MarkWatch markWatch;  // the context of gbkWatchingMarks' callback
  ConverterPtr gbkWatchingMarks;
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

// Writes `c` at `at`, returning the index after it.
size_t Put(UChar* units, size_t at, UChar32 c) {
  if (U_IS_BMP(c)) {
    units[at] = static_cast<UChar>(c);
    return at + 1;
  }
  units[at] = U16_LEAD(c);
  units[at + 1] = U16_TRAIL(c);
  return at + 2;
}

// Composes base + mark pairs within units[0, n) in place and returns the
// new length. A composite is never longer than its two parts, so writing
// never overtakes reading.
size_t ComposeInPlace(const UNormalizer2* nfc, const ComposingMarks& marks, UChar* units, size_t n) {
  size_t first = 1;
  while (first < n && !marks.MayCompose(units[first])) ++first;
  if (first >= n) return n;

  // Start at the character before the first candidate (a whole character:
  // the scan stops at any surrogate).
  size_t read = first - 1;
  size_t written = read;
  size_t baseStart = SIZE_MAX;
  UChar32 base = 0;
  while (read < n) {
    if (!marks.MayCompose(units[read])) {
      baseStart = written;
      base = units[read];
      units[written++] = units[read++];
      continue;
    }
    UChar32 c;
    U16_NEXT(units, read, n, c);
    if (baseStart != SIZE_MAX && !unorm2_hasBoundaryBefore(nfc, c)) {
      const UChar32 composite = unorm2_composePair(nfc, base, c);
      if (composite >= 0) {
        base = composite;
        written = Put(units, baseStart, composite);
        continue;
      }
    }
    baseStart = written;
    base = c;
    written = Put(units, written, c);
  }
  return written;
}

// ICU's decoding of GBK as a table, for decoding pages to UTF-8 without
// a round through UTF-16. The table is read off the converter itself, so
// it decodes every byte sequence exactly as the converter does: ASCII as
// itself, 80 and FF as single characters, and for each lead byte 81..FE
// and each following byte either the pair's character (U+FFFD for a pair
// the table lacks) or, where the second byte cannot follow a lead, U+FFFD
// for the lead alone with the second byte decoded afresh.
class GbkTable {
 public:
  // The table of the process, built on first use; null when the converter
  // behaves in a way the table cannot express, and ICU is used directly.
  static const GbkTable* Get() {
    static const std::unique_ptr<GbkTable> table = Build();
    return table.get();
  }

  std::string ToUtf8(std::string_view gbk) const {
    const auto* in = reinterpret_cast<const unsigned char*>(gbk.data());
    const size_t n = gbk.size();
    // Grown on demand; markup is mostly ASCII.
    std::string out(n + n / 2 + 16, '\0');
    size_t w = 0;
    size_t i = 0;
    while (i < n) {
      size_t j = i;
      while (j + 8 <= n) {
        uint64_t word;
        std::memcpy(&word, in + j, 8);
        if ((word & 0x8080808080808080u) != 0) break;
        j += 8;
      }
      while (j < n && in[j] < 0x80) ++j;
      if (out.size() < w + (j - i) + 3) out.resize(std::max(out.size() * 2, w + (j - i) + 3));
      std::memcpy(out.data() + w, in + i, j - i);
      w += j - i;
      i = j;
      if (i == n) break;

      const unsigned char b = in[i];
      uint16_t c;
      if (b < kFirstLead || b > kLastLead) {
        c = single_[b - 0x80];
        i += 1;
      } else if (i + 1 == n) {
        c = kReplacement;
        i += 1;
      } else {
        c = pairs_[(b - kFirstLead) * 256 + in[i + 1]];
        if (c == kLeadAlone) {
          c = kReplacement;
          i += 1;
        } else {
          i += 2;
        }
      }
      char* o = out.data() + w;
      if (c < 0x800) {
        o[0] = static_cast<char>(0xC0 | (c >> 6));
        o[1] = static_cast<char>(0x80 | (c & 0x3F));
        w += 2;
      } else {
        o[0] = static_cast<char>(0xE0 | (c >> 12));
        o[1] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        o[2] = static_cast<char>(0x80 | (c & 0x3F));
        w += 3;
      }
    }
    out.resize(w);
    return out;
  }

 private:
  static constexpr unsigned char kFirstLead = 0x81;
  static constexpr unsigned char kLastLead = 0xFE;
  static constexpr uint16_t kReplacement = 0xFFFD;
  // A noncharacter, never a decoding: marks a lead byte decoded alone.
  static constexpr uint16_t kLeadAlone = 0xFFFF;

  static char Separator(int second) { return second == '\n' ? '\r' : '\n'; }

  // Decodes every pair "lead, second byte" followed by a separator in one
  // call, and reads the table off the result. The separator is a line feed,
  // or a carriage return after a line feed: neither can be the second byte
  // of a character, so each ends its piece.
  static std::unique_ptr<GbkTable> Build() {
    auto table = std::make_unique<GbkTable>();
    std::string probe;
    for (int b = 0; b < 0x80; ++b) probe += static_cast<char>(b);
    probe += "\x80\n\xFF\n";
    for (int lead = kFirstLead; lead <= kLastLead; ++lead) {
      for (int second = 0; second < 256; ++second) {
        probe += static_cast<char>(lead);
        probe += static_cast<char>(second);
        probe += Separator(second);
      }
    }
    const std::u16string units = GbkToUtf16(probe);
    size_t at = 0;
    // Everything below 80 must stand for itself.
    for (char16_t b = 0; b < 0x80; ++b) {
      if (at >= units.size() || units[at++] != b) return nullptr;
    }
    // Reads one piece up to its line feed; false when it is not one BMP
    // character or a lead alone followed by one more character.
    auto piece = [&](uint16_t* c, int second) {
      const size_t end = units.find(static_cast<char16_t>(Separator(second)), at);
      if (end == std::u16string::npos) return false;
      const size_t length = end - at;
      bool ok = false;
      if (length == 1 && !U16_IS_SURROGATE(units[at])) {
        *c = units[at];
        ok = *c != kLeadAlone;
      } else if (length == 2 && units[at] == kReplacement) {
        *c = kLeadAlone;
        ok = true;
      }
      at = end + 1;
      return ok;
    };
    if (!piece(&table->single_[0], 0) || !piece(&table->single_[0x7F], 0)) return nullptr;
    if (table->single_[0] == kLeadAlone || table->single_[0x7F] == kLeadAlone) return nullptr;
    for (size_t k = 0; k < table->pairs_.size(); ++k) {
      if (!piece(&table->pairs_[k], static_cast<int>(k % 256))) return nullptr;
    }
    return table;
  }

  std::array<uint16_t, 0x80> single_{};  // 80..FF; only 80 and FF are read
  std::array<uint16_t, (kLastLead - kFirstLead + 1) * 256> pairs_{};
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
  if (const GbkTable* table = GbkTable::Get()) return table->ToUtf8(gbk);
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

std::string Utf8ToGbkComposed(std::string_view utf8) {
  if (IsAscii(utf8)) return std::string(utf8);
  Converters& c = ThreadConverters();
  if (c.utf8 == nullptr || c.gbkWatchingMarks == nullptr) return std::string();

  // Nearly every text holds no combining mark: convert directly, and only
  // when a mark turned up do it again composing.
  c.markWatch.seen = false;
  std::string direct = Convert(c.gbkWatchingMarks.get(), c.utf8.get(), utf8, utf8.size());
  if (!c.markWatch.seen) return direct;

  const UNormalizer2* nfc = c.markWatch.nfc;
  static const ComposingMarks kMarks(nfc);
  ucnv_resetToUnicode(c.utf8.get());
  ucnv_resetFromUnicode(c.gbk.get());
  // No UTF-8 sequence becomes longer in GBK, composed or not.
  std::string out(utf8.size() + 16, '\0');
  char* target = out.data();
  std::array<UChar, kPivotUnits> pivot;
  size_t carried = 0;  // units kept from the last round at the pivot's start
  const char* source = utf8.data();
  const char* sourceLimit = utf8.data() + utf8.size();
  for (;;) {
    UChar* decoded = pivot.data() + carried;
    UErrorCode error = U_ZERO_ERROR;
    ucnv_toUnicode(c.utf8.get(), &decoded, pivot.data() + pivot.size(), &source, sourceLimit, nullptr, true, &error);
    const bool last = error != U_BUFFER_OVERFLOW_ERROR;
    size_t n = ComposeInPlace(nfc, kMarks, pivot.data(), static_cast<size_t>(decoded - pivot.data()));
    // The last character may take a mark that has not been decoded yet.
    size_t keep = 0;
    if (!last && n > 0) keep = (n >= 2 && U16_IS_SURROGATE_TRAIL(pivot[n - 1]) && U16_IS_LEAD(pivot[n - 2])) ? 2 : 1;
    const UChar* encoded = pivot.data();
    error = U_ZERO_ERROR;
    ucnv_fromUnicode(c.gbk.get(), &target, out.data() + out.size(), &encoded, pivot.data() + n - keep, nullptr, last,
                     &error);
    if (last) break;
    std::copy(pivot.data() + n - keep, pivot.data() + n, pivot.data());
    carried = keep;
  }
  out.resize(static_cast<size_t>(target - out.data()));
  return out;
}

}  // namespace zarvo::codec
