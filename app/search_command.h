// The search command: the handler of the button "搜索" and the timer's tick
// handler that moves the progress bar on.
#ifndef ZARVO_APP_SEARCH_COMMAND_H_
#define ZARVO_APP_SEARCH_COMMAND_H_

namespace zarvo {

class MainWindow;

// Fetches the result page for the code in 编辑框1 and fills the result list.
void RunSearch(MainWindow& window);

// Moves the progress bar on by one and lets waiting events run.
void AdvanceProgress(MainWindow& window);

}  // namespace zarvo

#endif  // ZARVO_APP_SEARCH_COMMAND_H_
