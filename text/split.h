// Splitting a text at a delimiter.
#ifndef ZARVO_TEXT_SPLIT_H_
#define ZARVO_TEXT_SPLIT_H_

#include "text/text_array.h"
#include "text/text_value.h"

namespace zarvo {

// SplitText()
//
// The pieces of `text` between occurrences of `delimiter`, matched byte for
// byte at character starts (stepping over two-byte GBK characters). No limit
// on the number of pieces. A leading delimiter or two adjacent ones give an
// empty piece; a delimiter at the very end gives no empty last piece. The
// empty text gives no pieces; an empty delimiter gives one piece, the text.
//
// Example:
//   SplitText("a,,b", ",")  -> {"a", "", "b"}
//   SplitText("a,b,", ",")  -> {"a", "b"}
//   SplitText(",", ",")     -> {""}
TextArray SplitText(const Text& text, const Text& delimiter);

}  // namespace zarvo

#endif  // ZARVO_TEXT_SPLIT_H_
