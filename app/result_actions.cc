#include "app/result_actions.h"

#include "app/main_window.h"

namespace zarvo {

void ShowResultMenu(MainWindow&) {}

void CopyMagnetLink(MainWindow&) {}

void OpenMagnetLink(MainWindow&) {}

void PlayMagnetLink(MainWindow&) {}

}  // namespace zarvo
