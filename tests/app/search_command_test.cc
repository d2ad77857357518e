// The search command end to end: the real window, a real index server on
// 127.0.0.1, a click on "搜索".
#include "app/search_command.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/app/search_fixture.h"

namespace zarvo::testing {
namespace {

const std::string kLinkA = "magnet:?xt=urn:btih:0123456789ABCDEF0123456789ABCDEF01234567&dn=a";
const std::string kLinkB = "magnet:?xt=urn:btih:89ABCDEF0123456789ABCDEF0123456789ABCDEF&dn=b";
const std::string kLinkC = "magnet:?xt=urn:btih:FEDCBA9876543210FEDCBA9876543210FEDCBA98";

using SearchTest = SearchWindowTest;

TEST_F(SearchTest, FillsTheListWithEveryRowInPageOrder) {
  const std::string page = ResultPage(Row("第一 ABC-001", "1.2 GB", kLinkA) + Row("第二 ABC-002", "700 MB", kLinkB) +
                                      Row("第三 ABC-003", "3 GB", kLinkC));
  OpenWindow({{.bytes = HttpReply(page)}});
  Search("ABC");

  // The hidden box holds the page in GBK with every line break as CR LF.
  std::string crlfPage;
  for (char c : Gbk(page)) crlfPage += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(window_->BoxContent().str(), crlfPage);

  EXPECT_EQ(Rows(), (std::vector<ListRow>{{Gbk("第一 ABC-001"), "1.2 GB", kLinkA},
                                          {Gbk("第二 ABC-002"), "700 MB", kLinkB},
                                          {Gbk("第三 ABC-003"), "3 GB", kLinkC}}));
  EXPECT_EQ(window_->StatusText(0), Text(Gbk("数量:3")));
  EXPECT_EQ(window_->StatusText(1), Text(Gbk("状态:搜索完成.")));
  EXPECT_EQ(window_->ProgressPosition(), 100);
  EXPECT_EQ(window_->TimerPeriod(), 0);
}

// Pages whose rows are found, and exactly what each row shows.
TEST_F(SearchTest, ShowsCellTextsExactlyAsBetweenTheMarkers) {
  struct Case {
    const char* what;
    std::string rows;
    std::vector<ListRow> expected;
  };
  const Case cases[] = {
      {"markers in capitals",
       "<TR><TD CLASS=\"NAME\">Big</TD><TD CLASS=\"SIZE\">1 GB</TD><TD><A HREF=\"/d\">DETAIL</A><A HREF=\"" +
           kLinkA + "\" TITLE=\"m\">M</A></TD></TR>\n",
       {{"Big", "1 GB", kLinkA}}},
      {"markup and entities in the name",
       Row("<b>Tom &amp; Jerry</b> &lt;HD&gt;", " 2 GB ", kLinkB),
       {{"<b>Tom &amp; Jerry</b> &lt;HD&gt;", " 2 GB ", kLinkB}}},
      {"size cell up to the next tag",
       "<tr><td class=\"name\">n</td><td class=\"size\">5 MB<i>x</i></td><td><a href=\"/d\">Detail</a>"
       "<a href=\"" + kLinkC + "\" title=\"m\">M</a></td></tr>\n",
       {{"n", "5 MB", kLinkC}}},
      {"a row spread over two lines is not found, the next one is",
       "<tr><td class=\"name\">split</td><td class=\"size\">1 GB</td>\n<td><a href=\"/d\">Detail</a>"
       "<a href=\"" + kLinkA + "\" title=\"m\">M</a></td></tr>\n" + Row("whole", "2 GB", kLinkB),
       {{"whole", "2 GB", kLinkB}}},
      {"rows next to each other on one line",
       "<tr><td class=\"name\">one</td><td class=\"size\">1</td><td><a href=\"/d\">Detail</a><a href=\"" +
           kLinkA + "\" title=\"m\"></a></td></tr><tr><td class=\"name\">two</td><td class=\"size\">2</td>"
           "<td><a href=\"/d\">Detail</a><a href=\"" + kLinkB + "\" title=\"m\"></a></td></tr>\n",
       {{"one", "1", kLinkA}, {"two", "2", kLinkB}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenWindow({{.bytes = HttpReply(ResultPage(c.rows))}});
    Search("x");
    EXPECT_EQ(Rows(), c.expected);
    EXPECT_EQ(window_->StatusText(1), Text(Gbk("状态:搜索完成.")));
  }
}

// A page that reaches the list in GBK whatever its encoding: converted once,
// never twice, so Chinese names survive.
TEST_F(SearchTest, ConvertsThePageToGbkExactlyOnce) {
  struct Case {
    const char* what;
    std::string body;
    std::string contentType;
  };
  const std::string utf8Page = ResultPage(Row("中文名称 测试", "大小 1GB", kLinkA));
  const Case cases[] = {
      {"UTF-8 declared in the header (the fetch converts)", utf8Page, "text/html; charset=utf-8"},
      {"UTF-8 declared near the top of the page (the fetch converts)",
       "<meta charset=utf-8>" + utf8Page, "text/html"},
      {"UTF-8 without a declaration (the search converts)", utf8Page, "text/html"},
      {"GBK (nothing converts)", Gbk(utf8Page), "text/html; charset=gbk"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenWindow({{.bytes = HttpReply(c.body, c.contentType)}});
    Search("x");
    EXPECT_EQ(Rows(), (std::vector<ListRow>{{Gbk("中文名称 测试"), Gbk("大小 1GB"), kLinkA}}));
  }
}

// Every way to a page without rows ends alike, and leaves no row of the
// search before.
TEST_F(SearchTest, EndsWithNothingFoundAndAnEmptyList) {
  struct Case {
    const char* what;
    std::string reply;  // empty: nothing listens on the index host
  };
  const Case cases[] = {
      {"a page without rows", HttpReply(ResultPage(""))},
      {"an empty body", HttpReply("")},
      {"a connection closed without an answer", "-"},
      {"no server at all", ""},
      {"a row cut off before its link", HttpReply(ResultPage(
           "<tr><td class=\"name\">n</td><td class=\"size\">1</td><td><a href=\"/d\">Detail</a><a href=\""))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    if (c.reply.empty()) {
      OpenWindowOn(Text("127.0.0.1:" + std::to_string(RefusedLoopbackPort())));
    } else {
      OpenWindow({{.bytes = c.reply == "-" ? "" : c.reply}});
    }
    window_->SetCellText(window_->AppendRow(), 0, "earlier row");
    window_->SetProgressPosition(100);

    Search("x");

    EXPECT_EQ(window_->RowCount(), 0);
    EXPECT_EQ(window_->StatusText(0), Text(Gbk("数量:0")));
    EXPECT_EQ(window_->StatusText(1), Text(Gbk("状态:无资源,或者请重新搜索.")));
    EXPECT_EQ(window_->ProgressPosition(), 0);
    EXPECT_EQ(window_->TimerPeriod(), 0);
  }
}

TEST_F(SearchTest, SecondSearchThatFindsNothingClearsTheList) {
  OpenWindow({{.bytes = HttpReply(ResultPage(Row("found", "1 GB", kLinkA)))},
              {.bytes = HttpReply(ResultPage(""))}});
  Search("ABC-001");
  ASSERT_EQ(window_->RowCount(), 1);

  Search("NOTHING");

  EXPECT_EQ(window_->RowCount(), 0);
  EXPECT_EQ(window_->StatusText(0), Text(Gbk("数量:0")));
  EXPECT_EQ(window_->StatusText(1), Text(Gbk("状态:无资源,或者请重新搜索.")));
}

TEST_F(SearchTest, RejectedRowPatternEndsInSevereError) {
  OpenWindow({{.bytes = HttpReply(ResultPage(Row("found", "1 GB", kLinkA)))}});
  window_->SetCellText(window_->AppendRow(), 0, "earlier row");

  RunSearch(*window_, "(unbalanced");

  EXPECT_EQ(window_->RowCount(), 0);
  EXPECT_EQ(window_->StatusText(0), Text(Gbk("数量:0")));
  EXPECT_EQ(window_->StatusText(1), Text(Gbk("状态:严重错误")));
  EXPECT_EQ(window_->ProgressPosition(), 0);
  EXPECT_EQ(window_->TimerPeriod(), 0);
  EXPECT_EQ(index_->ConnectionCount(), 1u);  // the page was still fetched
}

// The request carries the code byte for byte as typed, in GBK; only what
// would break the request line (here the spaces) is escaped.
TEST_F(SearchTest, RequestsTheSearchPathWithTheDefaultHeaders) {
  struct Case {
    const char* what;
    std::string code;
    std::string path;
  };
  const Case cases[] = {
      {"an empty edit box", "", "/search//"},
      {"spaces, capitals and Chinese", " Ab C 中文 ", "/search/%20Ab%20C%20" + Gbk("中文") + "%20/"},
      {"letters and signs kept", "abc-123_X.Y", "/search/abc-123_X.Y/"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    OpenWindow({{.bytes = HttpReply(ResultPage(""))}});
    Search(c.code);

    const std::string host = index_->Address("");
    ASSERT_EQ(index_->Requests().size(), 1u);
    EXPECT_EQ(index_->Requests()[0],
              "GET " + c.path + " HTTP/1.1\r\n"
              "Host: " + host + "\r\n"
              "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KQ9ZT; .NET CLR 2.0.50727; "
              ".NET CLR 3.0.04506.648; .NET CLR 3.5.21022)\r\n"
              "Referer: " + host + c.path + "\r\n"
              "Accept: */*\r\n"
              "Accept-Language: zh-cn\r\n"
              "Content-Type: application/x-www-form-urlencoded\r\n"
              "\r\n");
  }
}

// What the window shows while the request is under way: the events that
// wait when the search starts run with the new state in place.
TEST_F(SearchTest, ShowsSearchingBeforeTheRequestWithThePreviousRows) {
  OpenWindow({{.bytes = HttpReply(ResultPage(Row("new", "1 GB", kLinkB)))}});
  window_->SetCellText(window_->AppendRow(), 0, "previous");
  window_->SetProgressPosition(100);

  struct Seen {
    Text status;
    int progress = -1;
    int timer = -1;
    int rows = -1;
    size_t requests = 99;
  } seen;
  QTimer::singleShot(0, window_.get(), [&] {
    seen = {window_->StatusText(1), window_->ProgressPosition(), window_->TimerPeriod(), window_->RowCount(),
            index_->ConnectionCount()};
  });
  Search("x");

  EXPECT_EQ(seen.status, Text(Gbk("状态:搜索中")));
  EXPECT_EQ(seen.progress, 0);
  EXPECT_EQ(seen.timer, 200);
  EXPECT_EQ(seen.rows, 1);
  EXPECT_EQ(seen.requests, 0u);
  EXPECT_EQ(Rows(), (std::vector<ListRow>{{"new", "1 GB", kLinkB}}));
}

// A second click that waits while the first search starts runs a whole
// search inside it; then the first goes on with its own fetch, so the list
// ends with the rows of the last fetch.
TEST_F(SearchTest, DoubleClickOnTheButtonFetchesTwice) {
  OpenWindow({{.bytes = HttpReply(ResultPage(Row("first fetch", "1", kLinkA)))},
              {.bytes = HttpReply(ResultPage(Row("second fetch", "2", kLinkB) + Row("more", "3", kLinkC)))}});
  window_->编辑框1->setText("ABC");
  QTimer::singleShot(0, window_.get(), [&] { QTest::mouseClick(window_->按钮1, Qt::LeftButton); });
  QTest::mouseClick(window_->按钮1, Qt::LeftButton);

  EXPECT_EQ(index_->ConnectionCount(), 2u);
  EXPECT_EQ(Rows(), (std::vector<ListRow>{{"second fetch", "2", kLinkB}, {"more", "3", kLinkC}}));
  EXPECT_EQ(window_->StatusText(0), Text(Gbk("数量:2")));
  EXPECT_EQ(window_->StatusText(1), Text(Gbk("状态:搜索完成.")));
  EXPECT_EQ(window_->TimerPeriod(), 0);
}

TEST_F(SearchTest, TickMovesTheStoredProgressOnByOne) {
  OpenWindowOn("127.0.0.1:1");
  const struct {
    int before;
    int after;
  } cases[] = {{0, 1}, {99, 100}, {150, 151}, {32767, 32767}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.before);
    window_->SetProgressPosition(c.before);
    AdvanceProgress(*window_);
    EXPECT_EQ(window_->ProgressPosition(), c.after);
  }
}

}  // namespace
}  // namespace zarvo::testing
