// The program: one window, and the event loop until it is closed.
#include <QApplication>

#include "app/main_window.h"
#include "app/startup.h"

int main(int argc, char** argv) {
  zarvo::PrepareApplication();
  // The program takes no command line; Qt sees the program name only.
  int qtArgc = argc > 0 ? 1 : 0;
  char* qtArgv[] = {argc > 0 ? argv[0] : nullptr, nullptr};
  QApplication application(qtArgc, qtArgv);

  zarvo::MainWindow window;
  window.show();
  window.activateWindow();
  if (!zarvo::WindowCameUp(window)) {
    zarvo::ShowStartupError();
    return zarvo::kStartupFailedExitCode;
  }
  return application.exec();
}
