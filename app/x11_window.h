// Window-manager hints that Qt offers no call for, set on the window's X11
// window directly. On any other windowing system they do nothing.
#ifndef ZARVO_APP_X11_WINDOW_H_
#define ZARVO_APP_X11_WINDOW_H_

class QWidget;

namespace zarvo {

// HideFromTaskbar()
//
// Asks the window manager to give `window` no task-bar button
// (_NET_WM_STATE_SKIP_TASKBAR). Call it after the native window exists and
// before the window is first shown. Returns true iff the hint was set.
bool HideFromTaskbar(QWidget& window);

}  // namespace zarvo

#endif  // ZARVO_APP_X11_WINDOW_H_
