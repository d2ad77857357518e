// The main window on a real X display: its start-up state, its place and
// frame, the control operations' edge rules, the pop-up menu's order of
// events, keys that must do nothing, and dragging the window by its body.
#include "app/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QWindow>
#include <functional>
#include <memory>
#include <string>

#include "app/hosts.h"
#include "app/qt_text.h"
#include "app/silent_web_page.h"
#include "tests/support/loopback_server.h"
#include "text/encoding.h"

namespace zarvo {
namespace {

constexpr int kWaitMs = 10000;

Text Gbk(const char* utf8) { return Utf8TextToGbk(Text(utf8)); }

// Runs xdotool with `arguments` to its end while the window keeps handling
// events, so that what xdotool does reaches the window as real input.
void RunXdotool(const QStringList& arguments) {
  QProcess xdotool;
  xdotool.start(QStringLiteral("xdotool"), arguments);
  ASSERT_TRUE(xdotool.waitForStarted(kWaitMs));
  ASSERT_TRUE(QTest::qWaitFor([&] { return xdotool.state() == QProcess::NotRunning; }, kWaitMs));
  ASSERT_EQ(xdotool.exitCode(), 0) << xdotool.readAllStandardError().toStdString();
}

// The X11 properties of `window`, as xprop prints them.
std::string XProperties(const QWidget& window) {
  QProcess xprop;
  xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.winId())});
  xprop.waitForFinished(kWaitMs);
  return xprop.readAllStandardOutput().toStdString();
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window_ = std::make_unique<MainWindow>();
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get(), kWaitMs));
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_->BrowserStarted(); }, kWaitMs));
  }

  MainWindow& window() { return *window_; }

  // Fills the list with `rows` rows whose link column reads "link<i>".
  void FillRows(int rows) {
    for (int i = 0; i < rows; ++i) {
      int row = window().AppendRow();
      window().SetCellText(row, 2, Text("link" + std::to_string(i)));
    }
  }

  std::unique_ptr<MainWindow> window_;
};

TEST_F(MainWindowTest, StartsWithTheInitialStateOfEveryControl) {
  EXPECT_EQ(window().StatusText(0), Gbk("数量：0"));
  EXPECT_EQ(window().StatusText(1), Gbk("状态:待搜索"));
  EXPECT_EQ(window().StatusText(2), Gbk("进度："));
  EXPECT_EQ(window().RowCount(), 0);
  EXPECT_EQ(window().SelectedRow(), -1);
  EXPECT_EQ(window().选择夹1->currentIndex(), 0);
  EXPECT_EQ(window().选择夹1->tabText(0), QStringLiteral("搜索"));
  EXPECT_EQ(window().选择夹1->tabText(1), QStringLiteral("播放"));
  EXPECT_TRUE(window().超级列表框1->isVisible());
  EXPECT_FALSE(window().超文本浏览框1->isVisible());
  EXPECT_EQ(window().ProgressPosition(), 0);
  EXPECT_EQ(window().进度条1->value(), 0);
  EXPECT_EQ(window().TimerPeriod(), 0);
  EXPECT_FALSE(window().时钟1->isActive());
  EXPECT_TRUE(window().EditText().empty());
  EXPECT_TRUE(window().BoxContent().empty());
  EXPECT_FALSE(window().超级编辑框1->isVisible());
  EXPECT_EQ(window().标签1->text(), QStringLiteral("请输入番号："));
  EXPECT_EQ(window().按钮1->text(), QStringLiteral("搜索"));
  EXPECT_TRUE(window().windowTitle().startsWith(QStringLiteral("Zarvo种子搜索器 V1.1 群号:")));
  bool numberFollows = false;
  window().windowTitle().mid(20).toInt(&numberFollows);
  EXPECT_TRUE(numberFollows) << window().windowTitle().toStdString();

  QList<QAction*> items = window().菜单->actions();
  ASSERT_EQ(items.size(), 3);
  EXPECT_EQ(items[0]->text(), QStringLiteral("复制"));
  EXPECT_EQ(items[1]->text(), QStringLiteral("下载"));
  EXPECT_EQ(items[2]->text(), QStringLiteral("播放"));
  EXPECT_FALSE(window().菜单->isVisible());
}

TEST_F(MainWindowTest, ControlsSitAtTheirPlacesWithTheirNames) {
  struct Place {
    const char* name;
    QRect rect;
  };
  static const Place kPlaces[] = {
      {"标签1", QRect(16, 8, 80, 32)},    {"编辑框1", QRect(96, 9, 136, 23)},
      {"按钮1", QRect(248, 8, 88, 24)},   {"选择夹1", QRect(-1, 35, 649, 400)},
      {"超级编辑框1", QRect(768, 408, 48, 24)},
  };
  for (const Place& place : kPlaces) {
    SCOPED_TRACE(place.name);
    auto* control = window().findChild<QWidget*>(QString::fromUtf8(place.name));
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->geometry(), place.rect);
  }
  // The page controls are placed relative to the tab control itself.
  QWidget* tabs = window().选择夹1;
  QTableView* list = window().超级列表框1;
  EXPECT_EQ(QRect(list->mapTo(tabs, QPoint(0, 0)), list->size()), QRect(5, 22, 638, 375));
  window().SetCurrentPage(1);
  QWidget* browser = window().超文本浏览框1;
  EXPECT_EQ(QRect(browser->mapTo(tabs, QPoint(0, 0)), browser->size()), QRect(5, 24, 636, 371));

  // The status bar spans the bottom edge; the progress bar lies in front of
  // its third panel.
  QStatusBar* status = window().状态条1;
  EXPECT_EQ(status->geometry().bottom(), window().height() - 1);
  EXPECT_EQ(status->width(), window().width());
  QRect bar = window().进度条1->geometry();
  EXPECT_EQ(bar.x(), 318);
  EXPECT_EQ(bar.width(), 312);
  EXPECT_TRUE(status->geometry().contains(bar)) << bar.y();
  EXPECT_EQ(window().childAt(bar.center()), window().进度条1);
}

TEST_F(MainWindowTest, ListIsAReportWithThreeFixedColumnsAndNoEditing) {
  QTableView* list = window().超级列表框1;
  QAbstractItemModel* model = list->model();
  static const char* const kTitles[] = {"名称", "大小", "磁性链接(迅雷下载&双击打开)"};
  static const int kWidths[] = {100, 80, 450};
  ASSERT_EQ(model->columnCount(), 3);
  for (int column = 0; column < 3; ++column) {
    SCOPED_TRACE(column);
    EXPECT_EQ(model->headerData(column, Qt::Horizontal).toString(), QString::fromUtf8(kTitles[column]));
    EXPECT_EQ(list->columnWidth(column), kWidths[column]);
  }
  EXPECT_TRUE(list->horizontalHeader()->isVisible());
  EXPECT_FALSE(list->horizontalHeader()->sectionsClickable());
  EXPECT_FALSE(list->isSortingEnabled());
  EXPECT_TRUE(list->showGrid());
  EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);

  // A click on a column header neither sorts nor selects anything.
  FillRows(3);
  QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(list->columnViewportPosition(1) + 10, 5));
  EXPECT_EQ(window().SelectedRow(), -1);
  EXPECT_EQ(window().CellText(0, 2), "link0");
}

// The outer rectangle, frame included, as the window manager has it.
QRect Outer(MainWindow& window) { return window.windowHandle()->frameGeometry(); }

TEST_F(MainWindowTest, WindowIsCentredFixedAndOuterSized) {
  QRect screen = window().screen()->geometry();
  QRect expected((screen.width() - 652) / 2, (screen.height() - 485) / 2, 652, 485);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Outer(window()) == expected; }, kWaitMs))
      << Outer(window()).x() << "," << Outer(window()).y() << " " << Outer(window()).width() << "x"
      << Outer(window()).height();
  if (screen.size() == QSize(1024, 768)) {
    EXPECT_EQ(Outer(window()).topLeft(), QPoint(186, 141));
  }
  EXPECT_EQ(window().minimumSize(), window().maximumSize());
  EXPECT_EQ(window().windowHandle()->minimumSize(), window().windowHandle()->maximumSize());
}

TEST_F(MainWindowTest, IsAToolWindowWithOnlyACloseButtonAndNoTaskbarButton) {
  Qt::WindowFlags flags = window().windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

  std::string properties = XProperties(window());
  EXPECT_NE(properties.find("_NET_WM_STATE_SKIP_TASKBAR"), std::string::npos) << properties;
  EXPECT_NE(properties.find("_NET_WM_WINDOW_TYPE_UTILITY"), std::string::npos) << properties;

  QList<QSize> iconSizes = window().windowIcon().availableSizes();
  EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));
  EXPECT_TRUE(iconSizes.contains(QSize(48, 48)));
}

TEST_F(MainWindowTest, ClosingTheWindowEndsTheEventLoop) {
  bool stuck = false;
  QTimer::singleShot(0, &window(), [&] { window().close(); });
  QTimer::singleShot(kWaitMs, qApp, [&] {
    stuck = true;
    QCoreApplication::exit(1);
  });
  EXPECT_EQ(QCoreApplication::exec(), 0);
  EXPECT_FALSE(stuck);
}

TEST_F(MainWindowTest, StatusTextIgnoresPanelsOutsideZeroToTwo) {
  for (int panel : {-1, 3, 100}) {
    SCOPED_TRACE(panel);
    window().SetStatusText(panel, "x");
    EXPECT_EQ(window().StatusText(0), Gbk("数量：0"));
    EXPECT_EQ(window().StatusText(1), Gbk("状态:待搜索"));
    EXPECT_EQ(window().StatusText(2), Gbk("进度："));
  }
  window().SetStatusText(2, Gbk("进度:50"));
  EXPECT_EQ(window().StatusText(2), Gbk("进度:50"));
  EXPECT_EQ(window().findChild<QLabel*>(QStringLiteral("状态条1.2"))->text(), QStringLiteral("进度:50"));
}

TEST_F(MainWindowTest, ProgressStoresClampedTo32767AndShowsClampedTo100) {
  struct Case {
    int written;
    int stored;
    int shown;
  };
  static const Case kCases[] = {
      {150, 150, 100}, {40000, 32767, 100}, {-5, 0, 0}, {57, 57, 57}, {100, 100, 100}, {0, 0, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.written);
    window().SetProgressPosition(c.written);
    EXPECT_EQ(window().ProgressPosition(), c.stored);
    EXPECT_EQ(window().进度条1->value(), c.shown);
  }
}

TEST_F(MainWindowTest, TimerPeriodRules) {
  QSignalSpy ticks(window().时钟1, &QTimer::timeout);
  QElapsedTimer clock;

  // Writing the running period again does not restart the countdown.
  window().SetTimerPeriod(200);
  clock.start();
  QTest::qWait(120);
  window().SetTimerPeriod(200);
  ASSERT_TRUE(QTest::qWaitFor([&] { return ticks.count() > 0; }, kWaitMs));
  EXPECT_LT(clock.elapsed(), 300);

  for (int stop : {0, -1}) {
    SCOPED_TRACE(stop);
    window().SetTimerPeriod(50);
    EXPECT_TRUE(window().时钟1->isActive());
    window().SetTimerPeriod(stop);
    EXPECT_EQ(window().TimerPeriod(), 0);
    EXPECT_FALSE(window().时钟1->isActive());
  }
}

TEST_F(MainWindowTest, TicksDueDuringABusyHandlerAreNotDeliveredOneByOne) {
  QSignalSpy ticks(window().时钟1, &QTimer::timeout);
  window().SetTimerPeriod(10);
  QElapsedTimer busy;
  busy.start();
  while (busy.elapsed() < 300) {
  }
  int before = ticks.count();
  window().ProcessPendingEvents();
  EXPECT_LE(ticks.count() - before, 1);
  window().SetTimerPeriod(0);
}

TEST_F(MainWindowTest, CurrentPageIsClamped) {
  struct Case {
    int requested;
    int current;
  };
  static const Case kCases[] = {{2, 1}, {-1, 0}, {1, 1}, {0, 0}, {7, 1}};
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.requested);
    window().SetCurrentPage(c.requested);
    EXPECT_EQ(window().选择夹1->currentIndex(), c.current);
    EXPECT_EQ(window().超级列表框1->isVisible(), c.current == 0);
    EXPECT_EQ(window().超文本浏览框1->isVisible(), c.current == 1);
  }
}

TEST_F(MainWindowTest, RowsAndCells) {
  EXPECT_EQ(window().AppendRow(), 0);
  EXPECT_EQ(window().AppendRow(), 1);
  EXPECT_EQ(window().RowCount(), 2);

  std::string longLink = "magnet:?xt=urn:btih:" + std::string(1980, 'a');
  window().SetCellText(1, 2, Text(longLink));
  EXPECT_EQ(window().CellText(1, 2).size(), 2000u);
  EXPECT_EQ(window().CellText(1, 2), Text(longLink));

  Text chinese = Gbk("春日樱花 &amp; <b>");
  window().SetCellText(0, 0, chinese);
  EXPECT_EQ(window().CellText(0, 0), chinese);
  EXPECT_EQ(window().超级列表框1->model()->index(0, 0).data().toString(),
            QStringLiteral("春日樱花 &amp; <b>"));

  struct Missing {
    int row;
    int column;
  };
  static const Missing kMissing[] = {{-1, 2}, {2, 2}, {100, 0}, {0, 3}, {0, -1}};
  for (const Missing& m : kMissing) {
    SCOPED_TRACE(::testing::Message() << m.row << "," << m.column);
    window().SetCellText(m.row, m.column, "ignored");
    EXPECT_TRUE(window().CellText(m.row, m.column).empty());
  }
  EXPECT_EQ(window().RowCount(), 2);

  window().ClearRows();
  EXPECT_EQ(window().RowCount(), 0);
  EXPECT_TRUE(window().CellText(0, 0).empty());
  EXPECT_EQ(window().AppendRow(), 0);
}

// Answers the pop-up menu as soon as it is up by pressing `keys` on it
// (Esc by default, which dismisses it); counts how often it was shown and
// where it appeared last.
class MenuDriver {
 public:
  explicit MenuDriver(QMenu* menu, QList<Qt::Key> keys = {Qt::Key_Escape}) : menu_(menu) {
    QObject::connect(menu_, &QMenu::aboutToShow, &context_, [this, keys] {
      ++shown_;
      QTimer::singleShot(0, &context_, [this, keys] {
        shownAt_ = menu_->pos();
        for (Qt::Key key : keys) QTest::keyClick(menu_, key);
      });
    });
  }
  int shown() const { return shown_; }
  QPoint shownAt() const { return shownAt_; }

 private:
  QMenu* menu_;
  QObject context_;
  int shown_ = 0;
  QPoint shownAt_;
};

TEST_F(MainWindowTest, SelectedRowFollowsClicksAndClearsBelowTheLastRow) {
  FillRows(3);
  MenuDriver closer(window().菜单);
  QTableView* list = window().超级列表框1;
  QWidget* viewport = list->viewport();
  auto rowCentre = [&](int row) { return list->visualRect(list->model()->index(row, 1)).center(); };

  QTest::mouseClick(viewport, Qt::LeftButton, {}, rowCentre(1));
  EXPECT_EQ(window().SelectedRow(), 1);
  // The right button selects the row under it before its release shows
  // the menu.
  QTest::mouseClick(viewport, Qt::RightButton, {}, rowCentre(2));
  EXPECT_EQ(window().SelectedRow(), 2);
  EXPECT_EQ(closer.shown(), 1);
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(50, viewport->height() - 5));
  EXPECT_EQ(window().SelectedRow(), -1);
  QTest::mouseDClick(viewport, Qt::LeftButton, {}, rowCentre(0));
  EXPECT_EQ(window().SelectedRow(), 0);
  EXPECT_EQ(closer.shown(), 2);
  // A right click below the rows still shows the menu, with nothing selected.
  QTest::mouseClick(viewport, Qt::RightButton, {}, QPoint(50, viewport->height() - 5));
  EXPECT_EQ(window().SelectedRow(), -1);
  EXPECT_EQ(closer.shown(), 3);
}

TEST_F(MainWindowTest, BoxContentGivesEveryLineBreakBackAsCrLf) {
  struct Case {
    std::string written;
    std::string read;
  };
  const Case kCases[] = {
      {"", ""},
      {"a\nb", "a\r\nb"},
      {"a\rb", "a\r\nb"},
      {"a\r\nb", "a\r\nb"},
      {"a\n\rb", "a\r\n\r\nb"},
      {"\r\r\n\n", "\r\n\r\n\r\n"},
      {"end\n", "end\r\n"},
      {"end\r", "end\r\n"},
      {Gbk("名称\n大小").str(), Gbk("名称\r\n大小").str()},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.written);
    window().SetBoxContent(Text(c.written));
    EXPECT_EQ(window().BoxContent(), Text(c.read));
  }
}

TEST_F(MainWindowTest, EditTextComesBackAsGbk) {
  QTest::keyClicks(window().编辑框1, QStringLiteral("ABP 101"));
  EXPECT_EQ(window().EditText(), "ABP 101");
  window().编辑框1->setText(QStringLiteral("春日"));
  EXPECT_EQ(window().EditText(), Gbk("春日"));
}

TEST_F(MainWindowTest, ProcessPendingEventsRunsWaitingHandlersInside) {
  bool ran = false;
  QMetaObject::invokeMethod(&window(), [&] { ran = true; }, Qt::QueuedConnection);
  // A click waiting in the queue runs its handler inside the call too.
  QSignalSpy clicks(window().按钮1, &QPushButton::clicked);
  QPoint centre = window().按钮1->rect().center();
  QCoreApplication::postEvent(window().按钮1, new QMouseEvent(QEvent::MouseButtonPress, centre,
                                                             window().按钮1->mapToGlobal(centre),
                                                             Qt::LeftButton, Qt::LeftButton, {}));
  QCoreApplication::postEvent(window().按钮1, new QMouseEvent(QEvent::MouseButtonRelease, centre,
                                                             window().按钮1->mapToGlobal(centre),
                                                             Qt::LeftButton, Qt::NoButton, {}));
  window().ProcessPendingEvents();
  EXPECT_TRUE(ran);
  EXPECT_EQ(clicks.count(), 1);
}

// Lets the window see a quit request, then keeps it from the application,
// which would otherwise refuse to run any event loop in this process again.
class QuitSwallower : public QObject {
 protected:
  bool eventFilter(QObject*, QEvent* event) override { return event->type() == QEvent::Quit; }
};

TEST(MainWindowQuit, ProcessPendingEventsStopsAtAQuitRequest) {
  QuitSwallower swallower;
  qApp->installEventFilter(&swallower);  // before the window: it sees the quit first
  MainWindow window;
  window.show();
  bool ranBefore = false;
  bool ranBehind = false;
  QMetaObject::invokeMethod(&window, [&] { ranBefore = true; }, Qt::QueuedConnection);
  QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
  QMetaObject::invokeMethod(&window, [&] { ranBehind = true; }, Qt::QueuedConnection);
  window.ProcessPendingEvents();
  EXPECT_TRUE(ranBefore);
  EXPECT_FALSE(ranBehind);
  window.ProcessPendingEvents();
  EXPECT_FALSE(ranBehind);
}

TEST_F(MainWindowTest, MenuItemHandlerRunsAfterTheMenuClosedAndItsCallerReturned) {
  FillRows(1);
  window().超级列表框1->selectRow(0);
  QPoint cursor = window().mapToGlobal(QPoint(200, 200));
  QCursor::setPos(cursor);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QCursor::pos() == cursor; }, kWaitMs));

  // "播放", the third item, chosen by keyboard; it shows the page "播放".
  MenuDriver driver(window().菜单, {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Return});
  int pageWhenShowReturned = -1;
  bool callerReturned = false;
  QMetaObject::invokeMethod(
      &window(),
      [&] {
        window().ShowPopupMenu();
        EXPECT_FALSE(window().菜单->isVisible());
        pageWhenShowReturned = window().选择夹1->currentIndex();
        callerReturned = true;
      },
      Qt::QueuedConnection);
  ASSERT_TRUE(QTest::qWaitFor([&] { return callerReturned; }, kWaitMs));
  EXPECT_EQ(driver.shown(), 1);
  EXPECT_EQ(driver.shownAt(), cursor + QPoint(3, 3));
  EXPECT_EQ(pageWhenShowReturned, 0);  // the item's handler had not run yet
  EXPECT_TRUE(QTest::qWaitFor([&] { return window().选择夹1->currentIndex() == 1; }, kWaitMs));
}

TEST_F(MainWindowTest, DismissedMenuRunsNothing) {
  FillRows(1);
  window().超级列表框1->selectRow(0);
  MenuDriver driver(window().菜单, {Qt::Key_Down, Qt::Key_Escape});
  window().ShowPopupMenu();
  EXPECT_EQ(driver.shown(), 1);
  bool marker = false;
  QMetaObject::invokeMethod(&window(), [&] { marker = true; }, Qt::QueuedConnection);
  ASSERT_TRUE(QTest::qWaitFor([&] { return marker; }, kWaitMs));
  EXPECT_EQ(window().选择夹1->currentIndex(), 0);
  EXPECT_EQ(window().超文本浏览框1->url().query(), QString());
}

TEST_F(MainWindowTest, EscAndEnterDoNothing) {
  QSignalSpy clicks(window().按钮1, &QPushButton::clicked);
  window().编辑框1->setFocus();
  QTest::keyClicks(window().编辑框1, QStringLiteral("ABP-101"));
  QTest::keyClick(window().编辑框1, Qt::Key_Return);
  QTest::keyClick(window().编辑框1, Qt::Key_Enter);
  QTest::keyClick(window().编辑框1, Qt::Key_Escape);
  QTest::keyClick(&window(), Qt::Key_Escape);
  EXPECT_TRUE(window().isVisible());
  EXPECT_EQ(clicks.count(), 0);
  EXPECT_EQ(window().StatusText(1), Gbk("状态:待搜索"));
  EXPECT_TRUE(window().编辑框1->hasFocus());
  EXPECT_EQ(window().EditText(), "ABP-101");
}

// Presses that move the window: on its bare background, on the label and on
// the progress bar. Presses on the edit box, the button or the list do not.
TEST_F(MainWindowTest, DragOnTheBodyMovesTheWindowButNotOnControls) {
  struct Case {
    const char* where;
    std::function<QPoint(MainWindow&)> point;  // in window coordinates
    bool moves;
  };
  const Case kCases[] = {
      {"background", [](MainWindow&) { return QPoint(450, 20); }, true},
      {"label", [](MainWindow& w) { return w.标签1->geometry().center(); }, true},
      {"progress bar", [](MainWindow& w) { return w.进度条1->geometry().center(); }, true},
      {"list", [](MainWindow& w) { return w.超级列表框1->mapTo(&w, QPoint(300, 200)); }, false},
      {"edit box", [](MainWindow& w) { return w.编辑框1->geometry().center(); }, false},
      {"button", [](MainWindow& w) { return w.按钮1->geometry().center(); }, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.where);
    QPoint before = Outer(window()).topLeft();
    QPoint from = window().mapToGlobal(c.point(window()));
    QPoint to = from + QPoint(-60, 40);
    RunXdotool({"mousemove", QString::number(from.x()), QString::number(from.y()), "mousedown", "1",
                "sleep", "0.2", "mousemove", QString::number(from.x() - 20), QString::number(from.y() + 10),
                "sleep", "0.1", "mousemove", QString::number(to.x()), QString::number(to.y()), "sleep", "0.2",
                "mouseup", "1"});
    if (c.moves) {
      EXPECT_TRUE(QTest::qWaitFor(
          [&] { return Outer(window()).topLeft() == before + QPoint(-60, 40); }, kWaitMs))
          << "now at " << Outer(window()).x() << "," << Outer(window()).y();
    } else {
      QTest::qWait(100);
      EXPECT_EQ(Outer(window()).topLeft(), before);
    }
    // Dragging never resizes it.
    EXPECT_EQ(Outer(window()).size(), QSize(652, 485));
  }
}

TEST_F(MainWindowTest, ScreenReaderSeesStatusCellsButtonAndEditBox) {
  FillRows(1);
  window().SetCellText(0, 0, Gbk("春日樱花"));
  window().SetStatusText(0, Gbk("数量:1"));
  window().编辑框1->setText(QStringLiteral("ABP-101"));

  QAccessibleInterface* frame = QAccessible::queryAccessibleInterface(&window());
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->role(), QAccessible::Window);
  EXPECT_TRUE(frame->text(QAccessible::Name).startsWith(QStringLiteral("Zarvo种子搜索器")));

  QAccessibleInterface* panel =
      QAccessible::queryAccessibleInterface(window().findChild<QLabel*>(QStringLiteral("状态条1.0")));
  ASSERT_NE(panel, nullptr);
  EXPECT_EQ(panel->text(QAccessible::Name), QStringLiteral("数量:1"));

  QAccessibleInterface* button = QAccessible::queryAccessibleInterface(window().按钮1);
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->text(QAccessible::Name), QStringLiteral("搜索"));

  QAccessibleInterface* edit = QAccessible::queryAccessibleInterface(window().编辑框1);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(QAccessible::Value), QStringLiteral("ABP-101"));

  QAccessibleInterface* label = QAccessible::queryAccessibleInterface(window().标签1);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(QAccessible::Name), QStringLiteral("请输入番号："));

  QAccessibleInterface* list = QAccessible::queryAccessibleInterface(window().超级列表框1);
  ASSERT_NE(list, nullptr);
  QAccessibleTableInterface* table = list->tableInterface();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->rowCount(), 1);
  EXPECT_EQ(table->columnCount(), 3);
  QAccessibleInterface* cell = table->cellAt(0, 0);
  ASSERT_NE(cell, nullptr);
  EXPECT_EQ(cell->text(QAccessible::Name), QStringLiteral("春日樱花"));
  QAccessibleInterface* link = table->cellAt(0, 2);
  ASSERT_NE(link, nullptr);
  EXPECT_EQ(link->text(QAccessible::Name), QStringLiteral("link0"));
}

TEST(MainWindowBrowser, LoadsThePlaybackPageFromTheNetworkEveryTime) {
  // The page says it may be cached for a day; the browser asks again anyway.
  testing::LoopbackServer server({{.bytes =
                                       "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                                       "Cache-Control: max-age=86400\r\nContent-Length: 13\r\n\r\n"
                                       "<p>player</p>"}});
  HostSettings saved = Hosts();
  Hosts().playbackHost = Text(server.Address(""));
  MainWindow window;
  Hosts() = saved;
  window.show();
  // The browser may open a connection before it writes its request (or one
  // it never uses), so count complete requests for the page, not connections.
  auto pageRequests = [&] {
    size_t n = 0;
    for (const std::string& r : server.Requests()) {
      if (r.rfind("GET /api.html HTTP/1.1\r\n", 0) == 0 && r.find("\r\n\r\n") != std::string::npos) ++n;
    }
    return n;
  };
  ASSERT_TRUE(QTest::qWaitFor([&] { return pageRequests() >= 1; }, kWaitMs));
  EXPECT_EQ(window.超文本浏览框1->url().toString(), QString::fromStdString("http://" + server.Address("/api.html")));

  ASSERT_TRUE(QTest::qWaitFor([&] { return window.超文本浏览框1->title() != window.超文本浏览框1->url().toString() ||
                                           !window.超文本浏览框1->page()->isLoading(); }, kWaitMs));
  window.SetBrowserAddress(Text("http://" + server.Address("/api.html")));
  EXPECT_TRUE(QTest::qWaitFor([&] { return pageRequests() >= 2; }, kWaitMs));
  EXPECT_EQ(window.超文本浏览框1->page()->profile()->httpCacheType(), QWebEngineProfile::NoCache);
  EXPECT_TRUE(window.超文本浏览框1->page()->profile()->isOffTheRecord());
}

TEST(MainWindowBrowser, StartsOnlyAfterTheFirstPaintOrWhenNeededSooner) {
  MainWindow shown;
  EXPECT_FALSE(shown.BrowserStarted());
  shown.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&shown, kWaitMs));
  EXPECT_TRUE(QTest::qWaitFor([&] { return shown.BrowserStarted(); }, kWaitMs));

  MainWindow addressed;
  addressed.SetBrowserAddress("http://127.0.0.1:1/api.html?url=abc");
  ASSERT_TRUE(addressed.BrowserStarted());
  EXPECT_EQ(addressed.超文本浏览框1->url().toString(), QStringLiteral("http://127.0.0.1:1/api.html?url=abc"));
  EXPECT_NE(qobject_cast<SilentWebPage*>(addressed.超文本浏览框1->page()), nullptr);

  MainWindow paged;
  paged.SetCurrentPage(1);
  EXPECT_TRUE(paged.BrowserStarted());
  EXPECT_NE(qobject_cast<SilentWebPage*>(paged.超文本浏览框1->page()), nullptr);
}

TEST(MainWindowBrowser, ShowsNoDialogOfItsOwn) {
  MainWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitFor([&] { return window.BrowserStarted(); }, kWaitMs));
  auto* page = qobject_cast<SilentWebPage*>(window.超文本浏览框1->page());
  ASSERT_NE(page, nullptr);
  page->setHtml(QStringLiteral("<script>alert('a'); confirm('b'); prompt('c', 'd');</script>"),
                QUrl(QStringLiteral("http://127.0.0.1/")));
  ASSERT_TRUE(QTest::qWaitFor([&] { return page->SwallowedDialogs() >= 3; }, kWaitMs));
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top == &window || !top->isVisible()) continue;
    ADD_FAILURE() << "a window of its own: " << top->metaObject()->className();
  }
}

}  // namespace
}  // namespace zarvo
