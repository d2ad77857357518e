// Rewriting texts: replacing, trimming, removing spaces and lowering case.
// All are character-aligned: they step over two-byte GBK characters as
// units. Spaces are the ASCII space 0x20 and the full-width space A1 A1
// only; tab, CR and LF are not spaces.
//
// Note the sense of the case flag: `caseSensitive` true asks for an exact
// comparison (the opposite of FindText's `ignoreCase`).
#ifndef ZARVO_TEXT_REWRITE_H_
#define ZARVO_TEXT_REWRITE_H_

#include "text/text_value.h"

namespace zarvo {

// ReplaceText()
//
// Replaces every occurrence of `find` in `text` by `replacement`, left to
// right, without overlaps; inserted text is never searched again. An empty
// `text` or `find` gives a copy of `text`. With `caseSensitive` false the
// comparison folds A to Z.
//
// Example:
//   ReplaceText("aaa", "aa", "b", true) == "ba"
//   ReplaceText("aXbxc", "x", "-", false) == "a-b-c"
Text ReplaceText(const Text& text, const Text& find, const Text& replacement, bool caseSensitive);

// TrimText()
//
// The text without leading and trailing spaces. When the scan meets a lone
// lead byte at the end, the result ends just before it and any spaces
// before it remain.
//
// Example: TrimText(" \xA1\xA1x \t") == "x \t"; TrimText("x \xB0") == "x "
Text TrimText(const Text& text);

// RemoveSpaces()
//
// Every character except the spaces, in order; a lone lead byte is left out.
// Example: RemoveSpaces(" a b\tc ") == "ab\tc"
Text RemoveSpaces(const Text& text);

// ToLowerCase()
//
// Changes each one-byte character A to Z to a to z; two-byte characters
// (both bytes) and a lone lead byte pass unchanged.
// Example: ToLowerCase("AbC\x81\x41") == "abc\x81\x41"
Text ToLowerCase(const Text& text);

}  // namespace zarvo

#endif  // ZARVO_TEXT_REWRITE_H_
