// The encoding engine: conversions between UTF-8, UTF-16 and GBK on ICU,
// shaped for the conversion functions and the pattern matcher. Internal to
// text/; other code uses text/encoding.h.
//
// GBK is the Windows code page 936 table (ICU "windows-936"). Every function
// converts its whole input, zero bytes and zero units included, and never
// fails:
//   - a malformed UTF-8 sequence decodes to U+FFFD (one per maximal subpart);
//   - a byte sequence that GBK does not define decodes to U+FFFD;
//   - an unpaired surrogate or a character that GBK lacks encodes to one '?'
//     (one U+FFFD in UTF-8).
// The converters are opened once per thread and reused.
#ifndef ZARVO_TEXT_ICU_CODEC_H_
#define ZARVO_TEXT_ICU_CODEC_H_

#include <string>
#include <string_view>

namespace zarvo::codec {

// The UTF-16 units of `utf8`. Example: "\xE4\xB8\xAD" gives u"\u4E2D".
std::u16string Utf8ToUtf16(std::string_view utf8);

// The UTF-8 bytes of `units`. Example: u"\u4E2D" gives "\xE4\xB8\xAD".
std::string Utf16ToUtf8(std::u16string_view units);

// The UTF-16 units of the GBK bytes `gbk`. Example: "\xD6\xD0" gives u"\u4E2D".
std::u16string GbkToUtf16(std::string_view gbk);

// The GBK bytes of `units`. Example: u"\u4E2D\u0E01" gives "\xD6\xD0?".
std::string Utf16ToGbk(std::u16string_view units);

// The UTF-8 bytes of the GBK bytes `gbk`, decoded exactly as GbkToUtf16
// decodes them but straight to UTF-8, with a table read off the converter
// once per process. Example: "a\xD6\xD0" gives "a\xE4\xB8\xAD".
std::string GbkToUtf8(std::string_view gbk);

// The GBK bytes of the UTF-8 bytes `utf8`; ASCII is copied as it stands.
// Example: "a\xE4\xB8\xAD" gives "a\xD6\xD0".
std::string Utf8ToGbk(std::string_view utf8);

// The GBK bytes of the UTF-8 bytes `utf8`, where a base character followed
// by a combining mark that has a precomposed form converts as the
// precomposed character (repeatedly, so a base may take several marks).
// Nothing else is normalised: no reordering, no singleton mapping. Streams
// through a small UTF-16 buffer, never holding the whole text in UTF-16.
// Example: "e\xCC\x81x" gives "\xA8\xA6x"; "\xEF\xA4\xAC" (U+F92C) gives
// "\xFD\x9C", not the GBK form of its canonical equivalent.
std::string Utf8ToGbkComposed(std::string_view utf8);

}  // namespace zarvo::codec

#endif  // ZARVO_TEXT_ICU_CODEC_H_
