// Numbers and single characters: parsing and printing decimal integers,
// building a one-byte text from its code, and bitwise OR. All integers are
// 32-bit signed.
#ifndef ZARVO_TEXT_NUMBER_H_
#define ZARVO_TEXT_NUMBER_H_

#include <cstdint>

#include "text/text_value.h"

namespace zarvo {

// TextToInt()
//
// Folds full-width forms first (A3 A1..A3 FE to 0x21..0x7E, the full-width
// space A1 A1 to a space, A1 AB to '~', the stars A1 EE and A1 EF to '*';
// a lone lead byte is dropped), then skips leading white space (0x09..0x0D,
// 0x20), takes one optional sign and reads decimal digits up to the first
// other byte. The value accumulates in 32-bit two's complement with no
// overflow test, so it wraps modulo 2^32. No digits gives 0.
//
// Example:
//   TextToInt("  42abc") == 42; TextToInt("- 5") == 0
//   TextToInt("\xA3\xB8\xA3\xB0") == 80          // full-width "80"
//   TextToInt("4294967297") == 1                 // wraps
int32_t TextToInt(const Text& text);

// IntToText()
//
// The signed decimal form, with '-' for negative values and no padding.
// Example: IntToText(-5) == "-5"
Text IntToText(int32_t value);

// CharFromCode()
//
// The one-byte text of `code` (taken modulo 256); code 0 gives the empty text.
// Example: CharFromCode(0x41) == "A"
Text CharFromCode(int32_t code);

// BitOr()
//
// The bitwise OR of two integers.
// Example: BitOr(0x10, 0x80000000) == static_cast<int32_t>(0x80000010)
int32_t BitOr(int32_t a, int32_t b);

}  // namespace zarvo

#endif  // ZARVO_TEXT_NUMBER_H_
