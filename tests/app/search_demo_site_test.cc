// The demo site that scripts/run serves on, with the real window: its pages
// must fit the row pattern, and its playback page must show the hash.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <filesystem>
#include <memory>
#include <string>

#include "app/result_actions.h"
#include "tests/app/search_fixture.h"

namespace zarvo::testing {
namespace {

const std::filesystem::path kDemoSite =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "tools" / "demo_site.py";

// The demo site on a port of its own, for the life of the test.
class DemoSiteTest : public SearchWindowTest {
 protected:
  void SetUp() override {
    site_.setProcessChannelMode(QProcess::SeparateChannels);
    site_.start("python3", {QString::fromStdString(kDemoSite.string()), "--port", "0", "--quiet"});
    ASSERT_TRUE(site_.waitForStarted());
    // It prints "demo_site: serving on http://127.0.0.1:PORT/" once it listens.
    const QRegularExpression serving("serving on http://([0-9.:]+)/");
    ASSERT_TRUE(WaitUntil([&] {
      output_ += site_.readAllStandardOutput().toStdString();
      host_ = serving.match(QString::fromStdString(output_)).captured(1).toStdString();
      return !host_.empty();
    })) << output_ << site_.readAllStandardError().toStdString();
  }

  void TearDown() override {
    site_.kill();
    site_.waitForFinished();
  }

  QProcess site_;
  std::string output_;
  std::string host_;
};

TEST_F(DemoSiteTest, SearchFindsTheCatalogueRowsWithTheirChineseNames) {
  const struct {
    const char* code;
    int rows;
    std::string firstName;
  } cases[] = {
      {"ABP-101", 2, Gbk("ABP-101 春日樱花下的约定【高清】")},
      {"abp-1", 3, Gbk("ABP-101 春日樱花下的约定【高清】")},
      {"测试", 1, Gbk("测试-001 中文番号的示例条目【高清】")},
      {"NO-SUCH-CODE", 0, ""},
  };
  const QRegularExpression magnet("^magnet:\\?xt=urn:btih:[0-9A-F]{40}&dn=\\S+$");
  OpenWindowOn(Text(host_));
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    Search(c.code);
    ASSERT_EQ(window_->RowCount(), c.rows);
    EXPECT_EQ(window_->StatusText(1),
              Text(Gbk(c.rows > 0 ? "状态:搜索完成." : "状态:无资源,或者请重新搜索.")));
    if (c.rows == 0) continue;
    EXPECT_EQ(window_->CellText(0, 0).str(), c.firstName);
    for (int r = 0; r < c.rows; ++r) {
      EXPECT_TRUE(magnet.match(QString::fromStdString(window_->CellText(r, 2).str())).hasMatch())
          << window_->CellText(r, 2);
    }
  }
}

TEST_F(DemoSiteTest, PlaybackPageShowsTheHashOfThePlayedLink) {
  OpenWindowOn(Text(host_));
  Hosts().playbackHost = Text(host_);
  Search("ZEX-900");
  ASSERT_EQ(window_->RowCount(), 1);
  window_->超级列表框1->selectRow(0);
  const std::string link = window_->CellText(0, 2).str();
  const std::string hash = link.substr(std::string("magnet:?xt=urn:btih:").size(), 40);

  PlayMagnetLink(*window_);

  // The page's text arrives in a callback, which may come after the wait;
  // one request at a time.
  struct Shown {
    std::string text;
    bool asking = false;
  };
  auto shown = std::make_shared<Shown>();
  EXPECT_TRUE(WaitUntil([&] {
    if (!shown->asking) {
      shown->asking = true;
      window_->超文本浏览框1->page()->toPlainText([shown](const QString& text) {
        shown->text = text.toStdString();
        shown->asking = false;
      });
    }
    return shown->text.find(hash) != std::string::npos;
  })) << "the page shows: " << shown->text;
}

}  // namespace
}  // namespace zarvo::testing
