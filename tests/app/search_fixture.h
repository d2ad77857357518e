// What the search and result-action tests share: a real window whose index
// and playback hosts are loopback servers of the test's own, pages in the
// index site's row format, and waiting for what happens outside the process
// (another program reading the clipboard, the desktop's opener).
#ifndef ZARVO_TESTS_APP_SEARCH_FIXTURE_H_
#define ZARVO_TESTS_APP_SEARCH_FIXTURE_H_

#include <gtest/gtest.h>

#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QLineEdit>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/hosts.h"
#include "app/main_window.h"
#include "tests/support/loopback_server.h"
#include "text/encoding.h"
#include "text/text.h"

namespace zarvo::testing {

// Long enough for a page load in the browser or a process start on a busy
// machine; the waits end as soon as the condition holds.
inline constexpr int kWaitMs = 20000;

// `utf8` in GBK, as every Text of the program holds it.
inline std::string Gbk(const std::string& utf8) { return Utf8TextToGbk(Text(utf8)).str(); }

// A complete HTTP answer with `body`.
inline std::string HttpReply(const std::string& body,
                             const std::string& contentType = "text/html; charset=utf-8") {
  return "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// One result row on one line, in the index site's format.
inline std::string Row(const std::string& name, const std::string& size, const std::string& link) {
  return "<tr><td class=\"name\">" + name + "</td><td class=\"size\">" + size +
         "</td><td class=\"links\"><a href=\"/detail/1\">Detail</a><a href=\"" + link +
         "\" title=\"magnet\">Magnet</a></td></tr>\n";
}

// A result page around `rows`.
inline std::string ResultPage(const std::string& rows) {
  return "<html><head><title>results</title></head><body>\n<table>\n"
         "<tr><th>name</th><th>size</th><th>links</th></tr>\n" +
         rows + "</table>\n</body></html>\n";
}

inline const std::string kPlaybackReply =
    HttpReply("<html><body><p>playback</p></body></html>", "text/html; charset=utf-8");

// The cells of one list row.
struct ListRow {
  std::string name;
  std::string size;
  std::string link;
  friend bool operator==(const ListRow&, const ListRow&) = default;
  friend std::ostream& operator<<(std::ostream& out, const ListRow& r) {
    return out << "{" << r.name << " | " << r.size << " | " << r.link << "}";
  }
};

// A shown window whose index host answers with `indexReplies` (the last one
// repeats) and whose playback host answers every request with a small page.
class SearchWindowTest : public ::testing::Test {
 protected:
  void OpenWindow(std::vector<ScriptedReply> indexReplies) {
    index_ = std::make_unique<LoopbackServer>(std::move(indexReplies));
    OpenWindowOn(Text(index_->Address("")));
  }

  void OpenWindowOn(const Text& indexHost) {
    playback_ = std::make_unique<LoopbackServer>(std::vector<ScriptedReply>{{.bytes = kPlaybackReply}});
    Hosts().indexHost = indexHost;
    Hosts().playbackHost = Text(playback_->Address(""));
    window_ = std::make_unique<MainWindow>();
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  // Types `code` (UTF-8) into 编辑框1 and clicks "搜索"; the search has
  // ended when this returns.
  void Search(const std::string& code) {
    window_->编辑框1->setText(QString::fromStdString(code));
    QTest::mouseClick(window_->按钮1, Qt::LeftButton);
  }

  std::vector<ListRow> Rows() const {
    std::vector<ListRow> rows;
    for (int r = 0; r < window_->RowCount(); ++r) {
      rows.push_back({window_->CellText(r, 0).str(), window_->CellText(r, 1).str(),
                      window_->CellText(r, 2).str()});
    }
    return rows;
  }

  std::unique_ptr<LoopbackServer> index_;
  std::unique_ptr<LoopbackServer> playback_;
  std::unique_ptr<MainWindow> window_;
};

// Waits, with events running, until `done` holds; false on time-out.
inline bool WaitUntil(const std::function<bool()>& done, int timeoutMs = kWaitMs) {
  return QTest::qWaitFor(done, timeoutMs);
}

// Runs `program` to its end with events running (so this process can answer
// a clipboard request meanwhile) and returns its standard output.
inline std::string RunAndRead(const QString& program, const QStringList& arguments,
                              const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
  QProcess process;
  process.setProcessEnvironment(environment);
  process.start(program, arguments);
  if (!process.waitForStarted()) return "<" + program.toStdString() + " did not start>";
  WaitUntil([&] { return process.state() == QProcess::NotRunning; });
  if (process.state() != QProcess::NotRunning) {
    process.kill();
    process.waitForFinished();
    return "<" + program.toStdString() + " did not finish>";
  }
  return process.readAllStandardOutput().toStdString();
}

}  // namespace zarvo::testing

#endif  // ZARVO_TESTS_APP_SEARCH_FIXTURE_H_
