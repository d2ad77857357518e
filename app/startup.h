// Start-up of the program: what has to be in place before the application
// object exists, and the check that the window really came up.
#ifndef ZARVO_APP_STARTUP_H_
#define ZARVO_APP_STARTUP_H_

class QWidget;

namespace zarvo {

// PrepareApplication()
//
// Sets what the embedded browser needs before the application object is
// created: its sandbox off when the process runs as root (the browser's
// helper processes refuse to start otherwise), drawing in software, no
// background network traffic, and shared graphics contexts.
void PrepareApplication();

// WindowCameUp()
//
// True iff `window` has a window of the platform behind it after show().
bool WindowCameUp(const QWidget& window);

// ShowStartupError()
//
// The fatal start-up message box: "运行时出错!", two line breaks,
// "错误信息：载入启动窗口失败" and one line break.
void ShowStartupError();

// The exit code after ShowStartupError().
inline constexpr int kStartupFailedExitCode = -1;

}  // namespace zarvo

#endif  // ZARVO_APP_STARTUP_H_
