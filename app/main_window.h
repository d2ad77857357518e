// MainWindow: the program's one window and every control in it. The search
// command and the result-list actions reach the controls through the public
// members (named as the controls are named, which is also their Qt
// objectName) and through the operations below.
//
// Every text that crosses these operations is a GBK `Text`; conversion to and
// from Qt's strings happens inside this class and nowhere else. List rows and
// columns, status panels and tab pages count from 0.
//
// Example:
//   MainWindow w;
//   w.show();
//   int r = w.AppendRow();             // 0
//   w.SetCellText(r, 2, "magnet:?xt=urn:btih:...");
//   w.CellText(r, 2);                  // "magnet:?xt=urn:btih:..."
//   w.CellText(-1, 2);                 // ""
#ifndef ZARVO_APP_MAIN_WINDOW_H_
#define ZARVO_APP_MAIN_WINDOW_H_

#include <QMargins>
#include <QPoint>
#include <QUrl>
#include <QWidget>

#include "text/text.h"

class QAction;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QStatusBar;
class QTableView;
class QTabWidget;
class QTimer;
class QWebEngineProfile;
class QWebEngineView;

namespace zarvo {

class ResultListModel;

class MainWindow : public QWidget {
  Q_OBJECT

 public:
  // Builds the window with all its controls at the centred place, without
  // showing it. The browser starts loading the playback page right after the
  // window's first paint.
  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  // The controls. The window owns them; callers never delete them.
  QMenu* 菜单 = nullptr;                      // items "复制", "下载", "播放"
  QProgressBar* 进度条1 = nullptr;
  QWebEngineView* 超文本浏览框1 = nullptr;    // on page 1, "播放"
  QTableView* 超级列表框1 = nullptr;          // on page 0, "搜索"
  QTimer* 时钟1 = nullptr;
  QStatusBar* 状态条1 = nullptr;
  QPushButton* 按钮1 = nullptr;
  QLineEdit* 编辑框1 = nullptr;
  QPlainTextEdit* 超级编辑框1 = nullptr;      // never shown
  QTabWidget* 选择夹1 = nullptr;
  QLabel* 标签1 = nullptr;

  // SetStatusText()
  //
  // Replaces the text of status panel `panel` (0, 1 or 2). Any other index
  // changes nothing.
  // Example: SetStatusText(1, "状态:待搜索"); SetStatusText(3, "x") does nothing.
  void SetStatusText(int panel, const Text& text);

  // StatusText()
  //
  // The text of status panel `panel`; the empty text for an index outside 0..2.
  // Example: StatusText(0) == "数量：0" right after start-up.
  Text StatusText(int panel) const;

  // ProcessPendingEvents()
  //
  // Dispatches the events that are waiting, in order, with their handlers
  // running inside this call, then returns. Once the application has been
  // asked to quit it dispatches nothing more, so the quit reaches the main
  // loop.
  void ProcessPendingEvents();

  // ClearRows() removes every row of the result list; RowCount() is the
  // number of rows.
  void ClearRows();
  int RowCount() const;

  // AppendRow()
  //
  // Adds a row of empty cells after the last one and returns its index.
  // Example: on an empty list AppendRow() == 0, then 1.
  int AppendRow();

  // SetCellText()
  //
  // Sets the text of cell (row, column); a row or column that does not exist
  // is ignored.
  void SetCellText(int row, int column, const Text& text);

  // CellText()
  //
  // The whole text of cell (row, column), however long; the empty text when
  // the row or column does not exist (row -1 included).
  // Example: CellText(-1, 2) == ""
  Text CellText(int row, int column) const;

  // SelectedRow()
  //
  // The index of the selected row, or -1 when no row is selected.
  int SelectedRow() const;

  // ShowPopupMenu()
  //
  // Shows the items of 菜单 with their top-left corner 3 pixels right of and
  // below the mouse cursor, and returns when the menu has closed. The chosen
  // item's handler runs later, as an event of its own, once the caller has
  // returned to the event loop; a dismissed menu runs nothing.
  void ShowPopupMenu();

  // Caption of the window. Example: SetCaption("Zarvo") sets the title bar.
  void SetCaption(const Text& caption);

  // The text of 编辑框1 exactly as typed, as GBK.
  Text EditText() const;

  // Content of 超级编辑框1: plain text; reading gives back the text last
  // written with every line break (CR LF, lone LF, lone CR) as CR LF.
  // Example: SetBoxContent("a\nb\rc"); BoxContent() == "a\r\nb\r\nc"
  void SetBoxContent(const Text& content);
  const Text& BoxContent() const;

  // Position of 进度条1. Writing stores the value clamped to 0..32767 and
  // shows it clamped to 0..100; reading gives the stored value.
  // Example: SetProgressPosition(150); ProgressPosition() == 150 (full bar)
  void SetProgressPosition(int position);
  int ProgressPosition() const;

  // Period of 时钟1 in milliseconds. A negative period counts as 0; the
  // current period changes nothing (a running countdown goes on); any other
  // restarts the timer, or stops it at 0.
  // Example: SetTimerPeriod(200) ticks every 200 ms; SetTimerPeriod(-1) stops.
  void SetTimerPeriod(int milliseconds);
  int TimerPeriod() const;

  // Makes 超文本浏览框1 start loading `address` and returns at once.
  void SetBrowserAddress(const Text& address);

  // True iff the browser has its page: from just after the window's first
  // paint on, or from the first SetBrowserAddress() or SetCurrentPage(1)
  // if that comes sooner. Until then nothing may ask 超文本浏览框1 for its
  // page or address, which would give it a page without its settings.
  bool BrowserStarted() const;

  // Selects page `index` of 选择夹1, clamped to 0..1.
  // Example: SetCurrentPage(2) shows "播放"; SetCurrentPage(-1) shows "搜索".
  void SetCurrentPage(int index);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void CreateSearchRow();
  void CreateTabs();
  void CreateStatusBar();
  void CreateHiddenControls();
  void ConnectHandlers();
  void HandleWindowCreated();
  void StartBrowser(const QUrl& address);
  void FitOuterSize();
  void SetOuterGeometry(QPoint outerTopLeft, QMargins frame);
  void PlaceStatusBar();
  void PlacePageControl(QWidget* page);
  bool IsInWindow(QObject* object) const;

  class QuitGate;

  ResultListModel* rows_ = nullptr;
  QuitGate* quitGate_ = nullptr;
  QLabel* panels_[3] = {};
  QAction* items_[3] = {};
  QWebEngineProfile* browserProfile_ = nullptr;
  QUrl initialAddress_;
  bool browserScheduled_ = false;
  Text boxContent_;
  int progressPosition_ = 0;
  int timerPeriod_ = 0;
  QMargins frameForSize_;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace zarvo

#endif  // ZARVO_APP_MAIN_WINDOW_H_
