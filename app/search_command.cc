#include "app/search_command.h"

#include "app/main_window.h"

namespace zarvo {

void RunSearch(MainWindow&) {}

void AdvanceProgress(MainWindow&) {}

}  // namespace zarvo
