// The actions on a listed result: the pop-up menu over the result list and
// its three items, which copy, open or play the selected row's magnet link.
#ifndef ZARVO_APP_RESULT_ACTIONS_H_
#define ZARVO_APP_RESULT_ACTIONS_H_

namespace zarvo {

class MainWindow;

// Shows the menu at the mouse cursor (double click or right-button release).
void ShowResultMenu(MainWindow& window);

// Item "复制": puts the selected row's link on the clipboard.
void CopyMagnetLink(MainWindow& window);

// Item "下载": hands the selected row's link to the desktop.
void OpenMagnetLink(MainWindow& window);

// Item "播放": plays the selected row's link in the browser tab.
void PlayMagnetLink(MainWindow& window);

}  // namespace zarvo

#endif  // ZARVO_APP_RESULT_ACTIONS_H_
