#include "app/startup.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QMessageBox>
#include <QWidget>
#include <QWindow>

namespace zarvo {
namespace {

// The browser engine's switches: software drawing (there may be no GPU, and
// under a virtual display there is none) and no traffic of its own.
constexpr char kBrowserSwitches[] = "--disable-gpu --disable-background-networking --disable-quic";

}  // namespace

void PrepareApplication() {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", kBrowserSwitches);
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

bool WindowCameUp(const QWidget& window) {
  return window.windowHandle() != nullptr && window.windowHandle()->handle() != nullptr;
}

void ShowStartupError() {
  QMessageBox::critical(nullptr, QString(),
                        QStringLiteral("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"));
}

}  // namespace zarvo
