#include "app/search_command.h"

#include <cstdint>
#include <utility>

#include "app/hosts.h"
#include "app/main_window.h"
#include "text/encoding.h"
#include "text/regex_matcher.h"
#include "text/text.h"
#include "web/fetch_page.h"

namespace zarvo {
namespace {

// One result row of the index site's page, all on one line. Group 1 is the
// name cell, group 2 the size cell up to the next tag, group 3 the rest of
// the row up to the detail link (unused), group 4 the magnet link's href.
constexpr char kRowPattern[] =
    R"row(<tr><td class="name">(.*?)</td><td class="size">(.*?)<(.*?)Detail</a><a href="(.*?)" title=)row";
static_assert(sizeof(kRowPattern) - 1 == 91);

constexpr int kNameGroup = 1;
constexpr int kSizeGroup = 2;
constexpr int kLinkGroup = 4;

constexpr int kNameColumn = 0;
constexpr int kSizeColumn = 1;
constexpr int kLinkColumn = 2;

constexpr int kCountPanel = 0;
constexpr int kStatePanel = 1;

constexpr char kSearchPath[] = "/search/";
constexpr char kSearchPathEnd[] = "/";

constexpr int kTickPeriodMs = 200;
constexpr int kTimerStopped = 0;
constexpr int kProgressEmpty = 0;
constexpr int kProgressFull = 100;

// The status texts, written once here in UTF-8 and turned into GBK once.
struct StatusTexts {
  Text searching = Utf8TextToGbk("状态:搜索中");
  Text done = Utf8TextToGbk("状态:搜索完成.");
  Text nothingFound = Utf8TextToGbk("状态:无资源,或者请重新搜索.");
  Text matcherFailed = Utf8TextToGbk("状态:严重错误");
  Text countLabel = Utf8TextToGbk("数量:");
};

const StatusTexts& Status() {
  static const StatusTexts texts;
  return texts;
}

void ShowRowCount(MainWindow& window) {
  window.SetStatusText(kCountPanel, ConcatText(Status().countLabel, IntToText(window.RowCount())));
}

// The two endings without rows: the bar emptied, the timer stopped.
void EndWithout(MainWindow& window, const Text& status) {
  window.SetStatusText(kStatePanel, status);
  window.SetProgressPosition(kProgressEmpty);
  window.SetTimerPeriod(kTimerStopped);
}


}  // namespace

Text PageText(ByteBuffer body) {
  // The body's bytes up to its first zero byte, as BytesToText gives them,
  // without copying a page of several megabytes.
  Text page(body.Release());
  // The fetch has already turned a page that declares "charset=utf-8" into
  // GBK; converting it again would make every Chinese name question marks.
  if (IsValidUtf8(page.view())) page = Utf8TextToGbk(page);
  return page;
}

void RunSearch(MainWindow& window) { RunSearch(window, kRowPattern); }

void RunSearch(MainWindow& window, const Text& rowPattern) {
  // The matcher lives from here to the end of the run, on every path.
  RegexMatcher matcher;

  window.SetProgressPosition(kProgressEmpty);
  window.SetTimerPeriod(kTickPeriodMs);
  window.SetStatusText(kStatePanel, Status().searching);
  // The only point where other events run; a click waiting here runs a
  // complete search before this one goes on.
  window.ProcessPendingEvents();

  const Text address = ConcatText(Hosts().indexHost, kSearchPath, window.EditText(), kSearchPathEnd);
  window.SetBoxContent(PageText(FetchPage(address)));

  window.ClearRows();
  ShowRowCount(window);

  // The box gives the page back with every line break as CR LF.
  const bool ok = matcher.Create(rowPattern, window.BoxContent(), /*caseSensitive=*/false,
                                 /*multiline=*/true, /*global=*/true, /*quotePlaceholder=*/true);
  if (!ok) {
    EndWithout(window, Status().matcherFailed);
    return;
  }
  const int32_t count = matcher.MatchCount();
  if (count == 0) {
    EndWithout(window, Status().nothingFound);
    return;
  }
  for (int32_t i = 1; i <= count; ++i) {
    const int row = window.AppendRow();
    window.SetCellText(row, kNameColumn, matcher.SubmatchText(i, kNameGroup));
    window.SetCellText(row, kSizeColumn, matcher.SubmatchText(i, kSizeGroup));
    window.SetCellText(row, kLinkColumn, matcher.SubmatchText(i, kLinkGroup));
  }
  ShowRowCount(window);
  window.SetProgressPosition(kProgressFull);
  window.SetTimerPeriod(kTimerStopped);
  window.SetStatusText(kStatePanel, Status().done);
}

void AdvanceProgress(MainWindow& window) {
  window.SetProgressPosition(window.ProgressPosition() + 1);
  window.ProcessPendingEvents();
}

}  // namespace zarvo
