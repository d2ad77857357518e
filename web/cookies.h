// Cookie merging: folding the cookies a response returned into the cookie
// text a caller keeps and sends with its requests.
//
// A cookie item is "name=value"; its name is the text before its first "="
// (trimmed), or the whole item when it has none. A cookie text is items
// separated by ";" with any spaces; merged texts separate items by "; " with
// no trailing separator. Names compare respecting case.
#ifndef ZARVO_WEB_COOKIES_H_
#define ZARVO_WEB_COOKIES_H_

#include "text/text_array.h"
#include "text/text_value.h"

namespace zarvo {

// MergeCookies()
//
// Removes every space from `*sent` and `*received` (both written back), then
// merges: the received items in order, then the sent items whose names were
// not received (nor appended before them), leaving out items ending in
// "=deleted" (case respected; shorter items compared whole) and exact
// duplicates. Writes the merged text into `*sent` and returns a copy of it.
// A null pointer reads as the empty text and is not written.
//
// Example:
//   Text sent = "a=1; c=3", received = "a=9; ";
//   MergeCookies(&sent, &received) == "a=9; c=3"   // and sent == "a=9; c=3",
//                                                   // received == "a=9;"
Text MergeCookies(Text* sent, Text* received);

// CookieName()
//
// The trimmed text before the first "=", or the whole item trimmed.
// Example: CookieName(" sid =x=y") == "sid"; CookieName("flag") == "flag"
Text CookieName(const Text& item);

// HasCookieName()
//
// True iff some item's CookieName equals `name` exactly (case respected).
// Example: HasCookieName({"A=1"}, "a") == false
bool HasCookieName(const TextArray& items, const Text& name);

// JoinDistinct()
//
// Splits `text` at `separator`, drops each piece equal to an earlier one,
// and joins the rest with `separator`, without a trailing one.
// Example: JoinDistinct("a; b; a; ", "; ") == "a; b"
Text JoinDistinct(const Text& text, const Text& separator);

// ContainsText()
//
// True iff some element equals `text` exactly.
// Example: ContainsText({"a", ""}, "") == true
bool ContainsText(const TextArray& items, const Text& text);

}  // namespace zarvo

#endif  // ZARVO_WEB_COOKIES_H_
