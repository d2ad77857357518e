// The search command: the handler of the button "搜索", which fetches the
// index site's result page for the code in 编辑框1 and fills the result list,
// and the timer's tick handler, which moves the progress bar on.
//
// A search ends in one of three ways, told in status panel 1:
//   "状态:搜索完成."                 rows found; the bar is full
//   "状态:无资源,或者请重新搜索."     the page held no row (or never came)
//   "状态:严重错误"                  the matcher rejected the row pattern
// Panel 0 reads "数量:" and the row count once the list has been cleared,
// and again after it has been filled.
#ifndef ZARVO_APP_SEARCH_COMMAND_H_
#define ZARVO_APP_SEARCH_COMMAND_H_

#include <string_view>

#include "text/byte_buffer.h"
#include "text/text_value.h"

namespace zarvo {

class MainWindow;

// RunSearch()
//
// Resets the progress bar, starts the timer (200 ms), writes "状态:搜索中"
// and lets waiting events run once (a click waiting there runs a complete
// search of its own). Then, with no event dispatched until it returns: GETs
// the index host, "/search/", the code as typed and "/", turns a UTF-8 page
// into GBK (a page already in GBK is kept as it is), clears the list and
// adds one row per match of the row pattern, in page order, with the name,
// the size and the magnet link exactly as the page has them.
//
// Example: a page with three rows leaves three rows, "数量:3",
// "状态:搜索完成." and a full bar; the timer is stopped.
void RunSearch(MainWindow& window);

// RunSearch() with a row pattern
//
// The same search with `rowPattern` in place of the built-in row pattern. A
// pattern that the matcher rejects ends the search in "状态:严重错误",
// which the built-in pattern never does; tests reach that ending this way.
void RunSearch(MainWindow& window, const Text& rowPattern);

// AdvanceProgress()
//
// The tick handler: moves the progress bar's stored position on by one and
// lets waiting events run.
//
// Example: position 7 becomes 8; 150 becomes 151 (the bar stays full).
void AdvanceProgress(MainWindow& window);

// PageText()
//
// The page text that RunSearch scrapes, made from the fetched body: its
// bytes up to the first zero byte, converted from UTF-8 to GBK when, and
// only when, they are valid UTF-8. A body that the fetch has already
// converted to GBK, or that came in GBK, is returned unchanged, so its names
// are not turned into question marks by a second conversion.
//
// Example, for bodies holding these bytes: E4 B8 AD gives the text D6 D0;
// D6 D0 gives D6 D0; 61 62 00 63 gives "ab".
Text PageText(ByteBuffer body);

}  // namespace zarvo

#endif  // ZARVO_APP_SEARCH_COMMAND_H_
