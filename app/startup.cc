#include "app/startup.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QLoggingCategory>
#include <QMessageBox>
#include <QQuickWindow>
#include <QSGRendererInterface>
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
  // The browser's view draws in software too. Drawn on the GPU it would
  // make Qt rebuild the whole window the moment the browser starts (after
  // the first paint, see MainWindow), and its helper processes run without
  // a GPU anyway.
  QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
  // The engine reports its set-up on every start; only its warnings matter.
  QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
}

bool WindowCameUp(const QWidget& window) {
  return window.windowHandle() != nullptr && window.windowHandle()->handle() != nullptr;
}

void ShowStartupError() {
  QMessageBox::critical(nullptr, QString(),
                        QStringLiteral("运行时出错!\r\n\r\n错误信息：载入启动窗口失败\r\n"));
}

}  // namespace zarvo
