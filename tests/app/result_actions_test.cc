// The result list actions end to end: the clipboard read by another program,
// the desktop's opener with a magnet handler of the test's own, and the
// browser loading the playback page from a loopback server.
#include "app/result_actions.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLockFile>
#include <QMenu>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <string>
#include <vector>

#include "app/hosts.h"
#include "tests/app/search_fixture.h"

namespace zarvo::testing {
namespace {

const std::string kHash = "0123456789ABCDEF0123456789ABCDEF01234567";
const std::string kLink = "magnet:?xt=urn:btih:" + kHash + "&dn=ABC-001";

TEST(PlaybackAddress, TakesFortyBytesAfterThePrefixAnyCaseAnywhere) {
  Hosts().playbackHost = "127.0.0.1:8964";
  const std::string page = "http://127.0.0.1:8964/api.html?url=";
  const struct {
    const char* what;
    std::string link;
    std::string address;
  } cases[] = {
      {"prefix, 40-digit hash, parameters", kLink, page + kHash},
      {"prefix in capitals", "MAGNET:?XT=URN:BTIH:" + kHash + "&dn=x", page + kHash},
      {"prefix in mixed case", "Magnet:?Xt=Urn:Btih:" + kHash, page + kHash},
      {"32-character hash takes 8 more bytes", "magnet:?xt=urn:btih:ABCDEFGHIJKLMNOPQRSTUVWXYZ234567&dn=abcdefgh",
       page + "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567&dn=abcd"},
      {"no prefix", "http://example.invalid/" + kHash, page + "http://example.invalid/0123456789ABCDEF0"},
      {"shorter than 40 after the prefix", "magnet:?xt=urn:btih:SHORT", page + "SHORT"},
      {"prefix removed wherever it stands", "x" + std::string("magnet:?xt=urn:btih:") + "y", page + "xy"},
      {"no link", "", page},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PlaybackAddress(Text(c.link)).str(), c.address);
  }
}

TEST(IsMagnetLink, AcceptsOnlyTheMagnetSchemeInAnyCase) {
  const struct {
    std::string link;
    bool magnet;
  } cases[] = {
      {kLink, true},
      {"MAGNET:?xt=urn:btih:AB", true},
      {"magnet:", true},
      {"", false},
      {"magnet", false},
      {" magnet:?xt=urn:btih:AB", false},
      {"file:///bin/sh", false},
      {"http://example.invalid/magnet:?xt=", false},
      {"javascript:alert(1)", false},
      {"/usr/bin/xterm", false},
      {"\xB4\xC5magnet:?xt=urn:btih:AB", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link);
    EXPECT_EQ(IsMagnetLink(Text(c.link)), c.magnet);
  }
}

// A window whose list holds the given links in column 2, as a search leaves
// them.
class ResultActionsTest : public SearchWindowTest {
 protected:
  void OpenWindowWithLinks(const std::vector<std::string>& links) {
    OpenWindowOn("127.0.0.1:1");
    for (const std::string& link : links) {
      const int row = window_->AppendRow();
      window_->SetCellText(row, 0, Text("name " + std::to_string(row)));
      window_->SetCellText(row, 1, "1 GB");
      window_->SetCellText(row, 2, Text(link));
    }
  }

  QPoint RowCenter(int row) const {
    QTableView* list = window_->超级列表框1;
    return list->visualRect(list->model()->index(row, 0)).center();
  }

  // Selects `row` with a click, or clears the selection for -1.
  void Select(int row) {
    if (row < 0) {
      window_->超级列表框1->clearSelection();
    } else {
      QTest::mouseClick(window_->超级列表框1->viewport(), Qt::LeftButton, {}, RowCenter(row));
    }
    ASSERT_EQ(window_->SelectedRow(), row);
  }

  // The X clipboard is one for the whole display, and tests may run side by
  // side: a test that writes and reads it holds this lock meanwhile.
  void LockClipboard() {
    ASSERT_TRUE(clipboardLock_.tryLock(kWaitMs * 3)) << "clipboard lock held elsewhere";
  }

  // The clipboard as another program sees it.
  static std::string ClipboardOfXclip() {
    return RunAndRead("xclip", {"-selection", "clipboard", "-o"});
  }

 private:
  QLockFile clipboardLock_{QDir::tempPath() + "/zarvo-clipboard-test.lock"};
};

TEST_F(ResultActionsTest, CopyLeavesExactlyTheLinkForOtherPrograms) {
  const std::string longLink = kLink + "&dn=" + Gbk("中文名称") + "&tr=" + std::string(2000, 't');
  OpenWindowWithLinks({kLink, longLink});
  LockClipboard();

  Select(1);
  CopyMagnetLink(*window_);
  EXPECT_EQ(ClipboardOfXclip(), kLink + "&dn=中文名称&tr=" + std::string(2000, 't'));

  Select(0);
  CopyMagnetLink(*window_);
  EXPECT_EQ(ClipboardOfXclip(), kLink);

  Select(-1);
  CopyMagnetLink(*window_);
  EXPECT_EQ(ClipboardOfXclip(), "");
}

// A desktop of the test's own: xdg-open (behind a wrapper that logs what it
// is given) with a magnet handler registered through xdg-mime in temporary
// XDG folders. The handler writes each link it receives to a file.
class DesktopOpenerTest : public ResultActionsTest {
 protected:
  // The desktop is set up once per process, because the window system
  // integration finds the opener once and keeps it; each test starts with
  // empty logs.
  void SetUp() override {
    static const bool ready = PrepareDesktop();
    ASSERT_TRUE(ready);
    QFile::remove(QString::fromStdString(OpenerLog()));
    QFile::remove(QString::fromStdString(HandlerLog()));
  }

  static std::string OpenerLog() { return (Folder().path() + "/opener.log").toStdString(); }
  static std::string HandlerLog() { return (Folder().path() + "/handler.log").toStdString(); }

  static std::string ReadAll(const std::string& path) {
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return "";
    return file.readAll().toStdString();
  }

 private:
  static QTemporaryDir& Folder() {
    static QTemporaryDir folder;
    return folder;
  }

  static bool PrepareDesktop() {
    const QString root = Folder().path();
    if (!Folder().isValid() || !QDir().mkpath(root + "/data/applications") || !QDir().mkpath(root + "/config") ||
        !QDir().mkpath(root + "/bin")) {
      return false;
    }
    const bool written =
        WriteFile(root + "/bin/xdg-open",
                  "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" + OpenerLog() + "'\nexec /usr/bin/xdg-open \"$@\"\n", true) &&
        WriteFile(root + "/magnet-handler", "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + HandlerLog() + "'\n", true) &&
        WriteFile(root + "/data/applications/zarvo-test-magnet.desktop",
                  "[Desktop Entry]\nType=Application\nName=Test magnet handler\nExec=" + root.toStdString() +
                      "/magnet-handler %u\nMimeType=x-scheme-handler/magnet;\nNoDisplay=true\n",
                  false);
    if (!written) return false;

    // A plain desktop, so that xdg-open goes by the XDG settings.
    qputenv("XDG_DATA_HOME", (root + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + "/config").toUtf8());
    qputenv("PATH", (root + "/bin:").toUtf8() + qgetenv("PATH"));
    for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION", "GNOME_DESKTOP_SESSION_ID",
                             "BROWSER", "DEFAULT_BROWSER"}) {
      qunsetenv(name);
    }
    RunAndRead("xdg-mime", {"default", "zarvo-test-magnet.desktop", "x-scheme-handler/magnet"});
    return RunAndRead("xdg-mime", {"query", "default", "x-scheme-handler/magnet"}) == "zarvo-test-magnet.desktop\n";
  }

  static bool WriteFile(const QString& path, const std::string& content, bool executable) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly)) return false;
    file.write(content.data(), static_cast<qint64>(content.size()));
    file.close();
    return !executable || QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }
};

TEST_F(DesktopOpenerTest, OpenHandsTheMagnetLinkToTheRegisteredHandler) {
  OpenWindowWithLinks({"magnet:?xt=urn:btih:other", kLink});
  Select(1);

  OpenMagnetLink(*window_);

  EXPECT_TRUE(WaitUntil([&] { return !ReadAll(HandlerLog()).empty(); }));
  EXPECT_EQ(ReadAll(HandlerLog()), kLink + "\n");
}

// Only magnet links leave for the desktop: a page could otherwise have it
// open a file or a program's address.
TEST_F(DesktopOpenerTest, OpenHandsNothingButMagnetLinks) {
  const std::vector<std::string> refused = {"file:///bin/sh", "/usr/bin/xterm", "http://127.0.0.1:1/x",
                                            "javascript:alert(1)", " magnet:?xt=urn:btih:AB"};
  std::vector<std::string> links = refused;
  links.push_back(kLink);
  OpenWindowWithLinks(links);

  for (int row = 0; row < static_cast<int>(refused.size()); ++row) {
    Select(row);
    OpenMagnetLink(*window_);
  }
  Select(-1);
  OpenMagnetLink(*window_);
  // A magnet link last: once it has arrived, anything handed over before it
  // would have reached the opener too.
  Select(static_cast<int>(refused.size()));
  OpenMagnetLink(*window_);

  EXPECT_TRUE(WaitUntil([&] { return !ReadAll(HandlerLog()).empty(); }));
  EXPECT_EQ(ReadAll(OpenerLog()), kLink + "\n");
}

TEST_F(ResultActionsTest, PlayLoadsThePlaybackPageForTheHashAndShowsIt) {
  const struct {
    const char* what;
    std::string link;  // empty: no row selected
    std::string target;
  } cases[] = {
      {"40-digit hash", kLink, "/api.html?url=" + kHash},
      {"prefix in capitals", "MAGNET:?XT=URN:BTIH:" + kHash + "&dn=x", "/api.html?url=" + kHash},
      {"32-character hash", "magnet:?xt=urn:btih:ABCDEFGHIJKLMNOPQRSTUVWXYZ234567&dn=abcdefgh",
       "/api.html?url=ABCDEFGHIJKLMNOPQRSTUVWXYZ234567&dn=abcd"},
      {"no prefix", "ZZ" + kHash, "/api.html?url=ZZ" + kHash.substr(0, 38)},
      {"short link", "magnet:?xt=urn:btih:SHORT", "/api.html?url=SHORT"},
      {"no selection", "", "/api.html?url="},
  };
  std::vector<std::string> links;
  for (const auto& c : cases) {
    if (!c.link.empty()) links.push_back(c.link);
  }
  OpenWindowWithLinks(links);

  auto timesRequested = [&](const std::string& target) {
    int n = 0;
    for (const std::string& request : playback_->Requests()) {
      if (request.rfind("GET " + target + " HTTP/1.1\r\n", 0) == 0) ++n;
    }
    return n;
  };
  int row = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    window_->SetCurrentPage(0);
    Select(c.link.empty() ? -1 : row++);
    const int before = timesRequested(c.target);

    PlayMagnetLink(*window_);

    EXPECT_EQ(window_->选择夹1->currentIndex(), 1);
    EXPECT_TRUE(WaitUntil([&] { return timesRequested(c.target) > before; }))
        << "the playback server never saw GET " << c.target;
  }
}

// The menu's item acts on the row under the mouse, selected by the press
// that came before the event, not on a row selected earlier.
TEST_F(ResultActionsTest, MenuOverARowActsOnThatRow) {
  const std::vector<std::string> links = {"magnet:?xt=urn:btih:ROW0", "magnet:?xt=urn:btih:ROW1",
                                          "magnet:?xt=urn:btih:ROW2"};
  const struct {
    const char* what;
    int row;
    bool doubleClick;
  } cases[] = {{"right-button release", 2, false}, {"double click", 1, true}};
  OpenWindowWithLinks(links);
  LockClipboard();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Select(0);
    QApplication::clipboard()->clear();
    // Chooses "复制" once the menu is up; gives up after a while so that a
    // menu that never shows cannot hold the test.
    bool menuShown = false;
    int attempts = 0;
    QTimer chooser;
    QObject::connect(&chooser, &QTimer::timeout, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu || !menu->isVisible()) {
        if (++attempts > 500) chooser.stop();
        return;
      }
      chooser.stop();
      menuShown = true;
      QAction* copy = menu->actions().value(0);
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(copy).center());
    });
    chooser.start(10);

    QWidget* viewport = window_->超级列表框1->viewport();
    if (c.doubleClick) {
      // The first click of the pair selects the row, the second is the
      // double click.
      QTest::mouseClick(viewport, Qt::LeftButton, {}, RowCenter(c.row));
      QTest::mouseDClick(viewport, Qt::LeftButton, {}, RowCenter(c.row));
    } else {
      QTest::mousePress(viewport, Qt::RightButton, {}, RowCenter(c.row));
      QTest::mouseRelease(viewport, Qt::RightButton, {}, RowCenter(c.row));
    }

    EXPECT_TRUE(menuShown);
    EXPECT_EQ(window_->SelectedRow(), c.row);
    // The item's handler runs as an event of its own, after the menu.
    EXPECT_TRUE(WaitUntil([&] { return QApplication::clipboard()->text().toStdString() == links[c.row]; }));
    EXPECT_EQ(ClipboardOfXclip(), links[c.row]);
  }
}

}  // namespace
}  // namespace zarvo::testing
