// The actions on a listed result: the pop-up menu over the result list and
// its three items, which copy, open or play the magnet link in column 2 of
// the selected row. None of them tells the user anything; with no row
// selected the link is the empty text.
#ifndef ZARVO_APP_RESULT_ACTIONS_H_
#define ZARVO_APP_RESULT_ACTIONS_H_

#include "text/text_value.h"

namespace zarvo {

class MainWindow;

// ShowResultMenu()
//
// The handler of a double click and of a right-button release on the list:
// shows the menu 3 pixels right of and below the mouse cursor. The chosen
// item's handler runs after the menu has closed.
void ShowResultMenu(MainWindow& window);

// CopyMagnetLink()
//
// Item "复制": the clipboard holds exactly the selected row's link, as
// Unicode text converted from GBK, with no line break added; an empty text
// when no row is selected.
//
// Example: a row whose link is "magnet:?xt=urn:btih:AB" leaves exactly
// "magnet:?xt=urn:btih:AB" on the clipboard.
void CopyMagnetLink(MainWindow& window);

// IsMagnetLink()
//
// OpenMagnetLink()'s test of what may go to the desktop: true iff `link`
// begins with the scheme "magnet:", its letters in any case.
//
// Example: IsMagnetLink("MAGNET:?xt=urn:btih:AB") == true;
// IsMagnetLink("file:///bin/sh") == false; IsMagnetLink("") == false
bool IsMagnetLink(const Text& link);

// OpenMagnetLink()
//
// Item "下载": hands the selected row's link to the desktop's opener for its
// scheme (xdg-open, through QDesktopServices), which starts the program
// registered for magnet links, and returns at once. Only a magnet link is
// handed over: a page could otherwise make the desktop open a file or some
// other program's address. Anything else, the empty text included, is
// dropped without a word.
void OpenMagnetLink(MainWindow& window);

// PlaybackAddress()
//
// The playback page for `link`: "http://", the playback host,
// "/api.html?url=", then the first 40 bytes of `link` after every
// "magnet:?xt=urn:btih:" in it (any case) has been removed; fewer when less
// is left. The bytes are appended as they stand, without escaping.
//
// Example, with the playback host "127.0.0.1:8964":
//   PlaybackAddress("MAGNET:?XT=URN:BTIH:" + 40 hex digits + "&dn=x")
//       == "http://127.0.0.1:8964/api.html?url=" + the 40 hex digits
//   PlaybackAddress("") == "http://127.0.0.1:8964/api.html?url="
Text PlaybackAddress(const Text& link);

// PlayMagnetLink()
//
// Item "播放": loads PlaybackAddress() of the selected row's link into the
// browser and brings the page "播放" to the front.
void PlayMagnetLink(MainWindow& window);

}  // namespace zarvo

#endif  // ZARVO_APP_RESULT_ACTIONS_H_
