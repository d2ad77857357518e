#include "app/main_window.h"

#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QElapsedTimer>
#include <QEvent>
#include <QFont>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUrl>
#include <QPaintEvent>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>
#include <algorithm>
#include <cstring>
#include <limits>
#include <string>

#include "app/hosts.h"
#include "app/qt_text.h"
#include "app/result_actions.h"
#include "app/result_list_model.h"
#include "app/search_command.h"
#include "app/silent_web_page.h"
#include "app/window_icon.h"
#include "app/x11_window.h"
#include "text/encoding.h"

namespace zarvo {
namespace {

// The window's outer size, frame and title bar included.
constexpr int kOuterWidth = 652;
constexpr int kOuterHeight = 485;

// Frame a tool window usually gets; the real one replaces it once the window
// manager has framed the window.
constexpr QMargins kFrameGuess(1, 20, 1, 1);

// The users' chat group, shown in the caption.
constexpr int kChatGroupNumber = 528174;

// Right edges of the three status panels, and their texts at start-up.
constexpr int kPanelRightEdges[3] = {100, 280, 640};
const char* const kInitialPanelTexts[3] = {"数量：0", "状态：", "进度："};
constexpr int kStatusBarHeight = 20;

// The progress bar lies over the third panel, right of its text.
constexpr int kProgressLeft = 318;
constexpr int kProgressWidth = 312;
constexpr int kProgressHeight = 10;
constexpr int kProgressShownMax = 100;
constexpr int kProgressStoredMax = 32767;

// Places inside 选择夹1 of the control on each page (relative to the tab
// control's own top-left corner, not to the page).
constexpr QRect kListPlace(5, 22, 638, 375);
constexpr QRect kBrowserPlace(5, 24, 636, 371);

constexpr int kColumnWidths[ResultListModel::kColumns] = {100, 80, 450};

// ProcessPendingEvents goes on while events keep arriving, but no longer
// than this, so a page that never stops posting cannot hold it forever.
constexpr int kDispatchBudgetMs = 100;

bool IsUserEvent(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::Timer:
    case QEvent::MetaCall:
      return true;
    default:
      return false;
  }
}

// The window is a window to a screen reader, not a mere pane.
QAccessibleInterface* WindowAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String("zarvo::MainWindow") || !object->isWidgetType()) return nullptr;
  return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Window);
}

}  // namespace

// Watches every event of the application for the request to quit. While
// ProcessPendingEvents runs, nothing of the window's runs behind that
// request any more: the main loop ends there, as it would have.
class MainWindow::QuitGate : public QObject {
 public:
  explicit QuitGate(MainWindow* window) : QObject(window), window_(window) {
    qApp->installEventFilter(this);
  }

  bool quitRequested = false;
  int dispatchDepth = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Quit) {
      quitRequested = true;
      return false;
    }
    return quitRequested && dispatchDepth > 0 && IsUserEvent(event->type()) &&
           window_->IsInWindow(watched);
  }

 private:
  MainWindow* window_;
};

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  setObjectName(QStringLiteral("MainWindow"));
  static bool accessibleFactoryInstalled = false;
  if (!accessibleFactoryInstalled) {
    QAccessible::installFactory(WindowAccessible);
    accessibleFactoryInstalled = true;
  }
  setWindowIcon(WindowIcon());
  // A tool window does not end the program when it closes unless told to;
  // this one is the program.
  setAttribute(Qt::WA_QuitOnClose, true);
  setBackgroundRole(QPalette::Window);
  setAutoFillBackground(true);

  CreateSearchRow();
  CreateTabs();
  CreateStatusBar();
  CreateHiddenControls();
  ConnectHandlers();

  // Place the window for the frame it will most likely get; FitOuterSize()
  // corrects this once the window manager has framed it.
  QScreen* where = screen() ? screen() : QGuiApplication::primaryScreen();
  QRect area = where ? where->geometry() : QRect(0, 0, kOuterWidth, kOuterHeight);
  QPoint outerTopLeft(area.x() + (area.width() - kOuterWidth) / 2,
                      area.y() + (area.height() - kOuterHeight) / 2);
  winId();
  SetOuterGeometry(outerTopLeft, kFrameGuess);
  HideFromTaskbar(*this);
  windowHandle()->installEventFilter(this);

  quitGate_ = new QuitGate(this);

  HandleWindowCreated();
}

MainWindow::~MainWindow() {
  // Pages must go before the profile they were made in.
  delete 超文本浏览框1;
  超文本浏览框1 = nullptr;
  delete browserProfile_;
}

void MainWindow::CreateSearchRow() {
  标签1 = new QLabel(QStringLiteral("请输入番号："), this);
  标签1->setObjectName(QStringLiteral("标签1"));
  标签1->setTextFormat(Qt::PlainText);
  标签1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  标签1->setGeometry(16, 8, 80, 32);

  编辑框1 = new QLineEdit(this);
  编辑框1->setObjectName(QStringLiteral("编辑框1"));
  编辑框1->setMaxLength(std::numeric_limits<int>::max());
  编辑框1->setGeometry(96, 9, 136, 23);

  按钮1 = new QPushButton(QStringLiteral("搜索"), this);
  按钮1->setObjectName(QStringLiteral("按钮1"));
  按钮1->setAutoDefault(false);
  按钮1->setDefault(false);
  按钮1->setGeometry(248, 8, 88, 24);
}

void MainWindow::CreateTabs() {
  选择夹1 = new QTabWidget(this);
  选择夹1->setObjectName(QStringLiteral("选择夹1"));
  选择夹1->setFocusPolicy(Qt::NoFocus);
  选择夹1->tabBar()->setFocusPolicy(Qt::NoFocus);
  选择夹1->setGeometry(-1, 35, 649, 400);

  auto* searchPage = new QWidget;
  auto* playPage = new QWidget;
  searchPage->installEventFilter(this);
  playPage->installEventFilter(this);

  rows_ = new ResultListModel(this);
  超级列表框1 = new QTableView(searchPage);
  超级列表框1->setObjectName(QStringLiteral("超级列表框1"));
  超级列表框1->setModel(rows_);
  超级列表框1->setShowGrid(true);
  超级列表框1->setSelectionBehavior(QAbstractItemView::SelectRows);
  超级列表框1->setSelectionMode(QAbstractItemView::SingleSelection);
  超级列表框1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  超级列表框1->setSortingEnabled(false);
  超级列表框1->setWordWrap(false);
  超级列表框1->setTabKeyNavigation(false);
  QHeaderView* header = 超级列表框1->horizontalHeader();
  header->setSectionsClickable(false);
  header->setHighlightSections(false);
  header->setStretchLastSection(false);
  header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  for (int column = 0; column < ResultListModel::kColumns; ++column) {
    超级列表框1->setColumnWidth(column, kColumnWidths[column]);
  }
  QHeaderView* rowHeader = 超级列表框1->verticalHeader();
  rowHeader->hide();
  rowHeader->setSectionResizeMode(QHeaderView::Fixed);
  rowHeader->setDefaultSectionSize(超级列表框1->fontMetrics().height() + 4);
  // The selection disappears while the list does not have the focus.
  QPalette listPalette = 超级列表框1->palette();
  listPalette.setColor(QPalette::Inactive, QPalette::Highlight,
                       listPalette.color(QPalette::Inactive, QPalette::Base));
  listPalette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                       listPalette.color(QPalette::Inactive, QPalette::Text));
  超级列表框1->setPalette(listPalette);
  超级列表框1->viewport()->installEventFilter(this);

  // The view is cheap; its page, which starts the browser engine, comes
  // with StartBrowser().
  超文本浏览框1 = new QWebEngineView(playPage);
  超文本浏览框1->setObjectName(QStringLiteral("超文本浏览框1"));
  initialAddress_ =
      QUrl(ToQString(ConcatText("http://", Hosts().playbackHost, "/api.html")), QUrl::TolerantMode);

  选择夹1->addTab(searchPage, QStringLiteral("搜索"));
  选择夹1->addTab(playPage, QStringLiteral("播放"));
  选择夹1->setCurrentIndex(0);
}

void MainWindow::CreateStatusBar() {
  状态条1 = new QStatusBar(this);
  状态条1->setObjectName(QStringLiteral("状态条1"));
  状态条1->setSizeGripEnabled(false);
  状态条1->setFocusPolicy(Qt::NoFocus);
  int left = 0;
  for (int panel = 0; panel < 3; ++panel) {
    panels_[panel] = new QLabel(QString::fromUtf8(kInitialPanelTexts[panel]), 状态条1);
    panels_[panel]->setObjectName(QStringLiteral("状态条1.%1").arg(panel));
    panels_[panel]->setTextFormat(Qt::PlainText);
    panels_[panel]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panels_[panel]->setIndent(2);
    panels_[panel]->setGeometry(left, 0, kPanelRightEdges[panel] - left, kStatusBarHeight);
    left = kPanelRightEdges[panel];
  }

  进度条1 = new QProgressBar(this);
  进度条1->setObjectName(QStringLiteral("进度条1"));
  进度条1->setRange(0, kProgressShownMax);
  进度条1->setValue(0);
  进度条1->setTextVisible(false);
  进度条1->setFocusPolicy(Qt::NoFocus);
  PlaceStatusBar();
}

void MainWindow::CreateHiddenControls() {
  时钟1 = new QTimer(this);
  时钟1->setObjectName(QStringLiteral("时钟1"));

  超级编辑框1 = new QPlainTextEdit(this);
  超级编辑框1->setObjectName(QStringLiteral("超级编辑框1"));
  超级编辑框1->setGeometry(768, 408, 48, 24);
  超级编辑框1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  超级编辑框1->setFont(QFont(QStringLiteral("宋体"), 9));
  超级编辑框1->hide();

  菜单 = new QMenu(QStringLiteral("菜单"), this);
  菜单->setObjectName(QStringLiteral("菜单"));
  items_[0] = 菜单->addAction(QStringLiteral("复制"));
  items_[1] = 菜单->addAction(QStringLiteral("下载"));
  items_[2] = 菜单->addAction(QStringLiteral("播放"));
}

void MainWindow::ConnectHandlers() {
  connect(按钮1, &QPushButton::clicked, this, [this] { RunSearch(*this); });
  connect(时钟1, &QTimer::timeout, this, [this] { AdvanceProgress(*this); });
}

void MainWindow::HandleWindowCreated() {
  SetCaption(ConcatText(Utf8TextToGbk("Zarvo种子搜索器 V1.1 群号:"), IntToText(kChatGroupNumber)));
  SetStatusText(1, Utf8TextToGbk("状态:待搜索"));
}

void MainWindow::SetStatusText(int panel, const Text& text) {
  if (panel < 0 || panel > 2) return;
  panels_[panel]->setText(ToQString(text));
}

Text MainWindow::StatusText(int panel) const {
  if (panel < 0 || panel > 2) return Text();
  return FromQString(panels_[panel]->text());
}

void MainWindow::ProcessPendingEvents() {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
  if (!dispatcher) return;
  ++quitGate_->dispatchDepth;
  QElapsedTimer clock;
  clock.start();
  while (!quitGate_->quitRequested && dispatcher->processEvents(QEventLoop::AllEvents)) {
    if (clock.elapsed() > kDispatchBudgetMs) break;
  }
  --quitGate_->dispatchDepth;
}

void MainWindow::ClearRows() { rows_->Clear(); }

int MainWindow::RowCount() const { return rows_->Rows(); }

int MainWindow::AppendRow() { return rows_->AppendRow(); }

void MainWindow::SetCellText(int row, int column, const Text& text) { rows_->SetCell(row, column, text); }

Text MainWindow::CellText(int row, int column) const { return rows_->Cell(row, column); }

int MainWindow::SelectedRow() const {
  const QModelIndexList selected = 超级列表框1->selectionModel()->selectedRows();
  return selected.isEmpty() ? -1 : selected.first().row();
}

void MainWindow::ShowPopupMenu() {
  QAction* chosen = 菜单->exec(QCursor::pos() + QPoint(3, 3));
  // The item's handler is an event of its own: it runs once whoever showed
  // the menu has returned to the event loop.
  void (*handler)(MainWindow&) = nullptr;
  if (chosen == items_[0]) handler = CopyMagnetLink;
  if (chosen == items_[1]) handler = OpenMagnetLink;
  if (chosen == items_[2]) handler = PlayMagnetLink;
  if (handler) {
    QMetaObject::invokeMethod(this, [this, handler] { handler(*this); }, Qt::QueuedConnection);
  }
}

void MainWindow::SetCaption(const Text& caption) { setWindowTitle(ToQString(caption)); }

Text MainWindow::EditText() const { return FromQString(编辑框1->text()); }

void MainWindow::SetBoxContent(const Text& content) {
  // Kept as text, not laid out in the hidden control: a page of several
  // megabytes passes through in one copy. Every line break comes back as
  // CR LF, as a rich-text box gives it. CR and LF never occur inside a
  // two-byte GBK character, so the bytes can be scanned as they are.
  std::string_view in = content.view();
  const char* at = in.data();
  const char* end = at + in.size();
  auto next = [end](const char* from, char c) {
    const void* found = std::memchr(from, c, static_cast<size_t>(end - from));
    return found ? static_cast<const char*>(found) : end;
  };
  std::string out;
  out.reserve(in.size() + in.size() / 16);
  const char* nextCr = next(at, '\r');
  const char* nextLf = next(at, '\n');
  while (at < end) {
    const char* lineEnd = std::min(nextCr, nextLf);
    out.append(at, lineEnd);
    if (lineEnd == end) break;
    out += "\r\n";
    at = lineEnd + 1;
    if (*lineEnd == '\r' && at < end && *at == '\n') ++at;
    if (nextCr < at) nextCr = next(at, '\r');
    if (nextLf < at) nextLf = next(at, '\n');
  }
  boxContent_ = Text(std::move(out));
}

const Text& MainWindow::BoxContent() const { return boxContent_; }

void MainWindow::SetProgressPosition(int position) {
  progressPosition_ = std::clamp(position, 0, kProgressStoredMax);
  进度条1->setValue(std::min(progressPosition_, kProgressShownMax));
}

int MainWindow::ProgressPosition() const { return progressPosition_; }

void MainWindow::SetTimerPeriod(int milliseconds) {
  milliseconds = std::max(milliseconds, 0);
  if (milliseconds == timerPeriod_) return;
  时钟1->stop();
  timerPeriod_ = milliseconds;
  if (timerPeriod_ > 0) 时钟1->start(timerPeriod_);
}

int MainWindow::TimerPeriod() const { return timerPeriod_; }

void MainWindow::SetBrowserAddress(const Text& address) {
  QUrl url(ToQString(address), QUrl::TolerantMode);
  if (!BrowserStarted()) {
    StartBrowser(url);
    return;
  }
  超文本浏览框1->setUrl(url);
}

bool MainWindow::BrowserStarted() const { return browserProfile_ != nullptr; }

void MainWindow::StartBrowser(const QUrl& address) {
  if (BrowserStarted()) return;
  // A profile of our own that keeps nothing on disk and never serves a page
  // from its cache.
  browserProfile_ = new QWebEngineProfile;
  browserProfile_->setHttpCacheType(QWebEngineProfile::NoCache);
  browserProfile_->setPersistentCookiesPolicy(QWebEngineProfile::NoPersistentCookies);
  超文本浏览框1->setPage(new SilentWebPage(browserProfile_, 超文本浏览框1));
  超文本浏览框1->setUrl(address);
}

void MainWindow::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  // Starting the browser engine takes longer than everything else at
  // start-up; it starts right after the window's first paint, so the window
  // shows at once and the browser loads its first page meanwhile.
  if (!browserScheduled_) {
    browserScheduled_ = true;
    QTimer::singleShot(0, this, [this] { StartBrowser(initialAddress_); });
  }
}

void MainWindow::SetCurrentPage(int index) {
  // The browser's page never shows without its settings.
  if (index > 0) StartBrowser(initialAddress_);
  选择夹1->setCurrentIndex(std::clamp(index, 0, 选择夹1->count() - 1));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == windowHandle()) {
    // The window manager frames the window before it shows it; from the
    // first exposure on, the frame that the outer size includes is known.
    if (event->type() == QEvent::Expose || event->type() == QEvent::Move) FitOuterSize();
    return false;
  }
  if (event->type() == QEvent::Resize && 选择夹1 && watched->parent() &&
      watched->parent()->parent() == 选择夹1) {
    PlacePageControl(static_cast<QWidget*>(watched));
    return false;
  }
  if (超级列表框1 && watched == 超级列表框1->viewport()) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    switch (event->type()) {
      case QEvent::MouseButtonPress:
        // A press below the last row leaves no row selected.
        if (!超级列表框1->indexAt(mouse->position().toPoint()).isValid()) {
          超级列表框1->clearSelection();
        }
        break;
      case QEvent::MouseButtonDblClick:
        if (mouse->button() == Qt::LeftButton) ShowResultMenu(*this);
        break;
      case QEvent::MouseButtonRelease:
        if (mouse->button() == Qt::RightButton) ShowResultMenu(*this);
        break;
      default:
        break;
    }
  }
  return false;
}

void MainWindow::mousePressEvent(QMouseEvent* event) {
  // Presses that the label, the progress bar or the bare background do not
  // take arrive here; they move the window as the title bar would.
  QWidget* under = childAt(event->position().toPoint());
  bool movable = under == nullptr || under == 标签1 || under == 进度条1;
  if (event->button() != Qt::LeftButton || !movable) {
    QWidget::mousePressEvent(event);
    return;
  }
  event->accept();
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  // No window manager move: follow the mouse ourselves.
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - pos();
}

void MainWindow::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  move(event->globalPosition().toPoint() - dragOffset_);
}

void MainWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceStatusBar();
}

void MainWindow::FitOuterSize() {
  if (!windowHandle() || !windowHandle()->isExposed()) return;
  QMargins frame = windowHandle()->frameMargins();
  if (frame == frameForSize_) return;
  QPoint outerTopLeft = geometry().topLeft() - QPoint(frameForSize_.left(), frameForSize_.top());
  SetOuterGeometry(outerTopLeft, frame);
}

void MainWindow::SetOuterGeometry(QPoint outerTopLeft, QMargins frame) {
  frameForSize_ = frame;
  QSize client(kOuterWidth - frame.left() - frame.right(), kOuterHeight - frame.top() - frame.bottom());
  setFixedSize(client);
  setGeometry(QRect(outerTopLeft + QPoint(frame.left(), frame.top()), client));
}

void MainWindow::PlaceStatusBar() {
  if (!状态条1) return;
  状态条1->setGeometry(0, height() - kStatusBarHeight, width(), kStatusBarHeight);
  进度条1->setGeometry(kProgressLeft, 状态条1->y() + (kStatusBarHeight - kProgressHeight) / 2,
                       kProgressWidth, kProgressHeight);
  进度条1->raise();
}

void MainWindow::PlacePageControl(QWidget* page) {
  QPoint pageOrigin = page->mapTo(选择夹1, QPoint(0, 0));
  if (超级列表框1 && 超级列表框1->parentWidget() == page) {
    超级列表框1->setGeometry(kListPlace.translated(-pageOrigin));
  } else if (超文本浏览框1 && 超文本浏览框1->parentWidget() == page) {
    超文本浏览框1->setGeometry(kBrowserPlace.translated(-pageOrigin));
  }
}

bool MainWindow::IsInWindow(QObject* object) const {
  for (; object; object = object->parent()) {
    if (object == this) return true;
  }
  return false;
}

}  // namespace zarvo
