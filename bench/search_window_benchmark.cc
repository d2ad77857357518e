// The whole search, click to filled list, in the real window, on result
// pages of 5,000 and 50,000 rows served from a loopback server; against the
// floor measured in the same run: the same page fetched with libcurl,
// converted once from UTF-8 to GBK with ICU and scanned once with RE2 for
// the row pattern's groups, without the window.
//
// Goals: the search within 2 times of the floor at 5,000 rows, growing
// linearly to 50,000 rows (at most 12 times the 5,000-row time), and peak
// memory above the idle window at most 6 times the page size.
//
// Counters:
//   page_MB             size of the page as served (UTF-8)
//   rows                rows in the list after the search
//   vs_floor            this search's time / the floor's time, same page
//   vs_5000_rows        this size's time / the 5,000-row time, same kind
//   peak_over_idle_MB   peak resident memory during a search minus the
//                       resident memory of the idle window just before it
//                       (list and hidden box emptied, heap trimmed, after one
//                       search that loaded fonts and engines); the median of
//                       the iterations
//   peak_per_page       peak_over_idle_MB / page_MB
//   peak_per_page_max   the same for the iteration with the highest peak
//
// Needs a display (scripts/with-display) or QT_QPA_PLATFORM=offscreen.
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <malloc.h>
#include <re2/re2.h>
#include <unicode/ucnv.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/hosts.h"
#include "app/main_window.h"
#include "app/startup.h"
#include "tests/support/loopback_server.h"

namespace zarvo {
namespace {

constexpr int kSmallPageRows = 5000;
constexpr int kLargePageRows = 50000;

// The program's row pattern, as RE2 takes it.
constexpr char kRowPattern[] =
    R"row(<tr><td class="name">(.*?)</td><td class="size">(.*?)<(.*?)Detail</a><a href="(.*?)" title=)row";

// A result page in the index site's format: `rows` rows of made-up Chinese
// names, sizes and magnet links, one row a line, UTF-8.
std::string ResultPage(int rows) {
  static const char* const kTitles[] = {"春日樱花下的约定", "夏夜海边的烟火", "山间小屋的雨季",
                                        "东京车站的重逢", "旧书店里的秘密", "雪国列车的旅人"};
  std::string page =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; "
      "charset=utf-8\">\n<title>搜索结果</title>\n</head>\n<body>\n<table class=\"results\">\n";
  char hash[41];
  for (int i = 0; i < rows; ++i) {
    std::snprintf(hash, sizeof hash, "%08X%08X%08X%08X%08X", i, i * 7919, i * 104729, i ^ 0x5A5A5A5A, i * 31);
    const std::string code = "ABC-" + std::to_string(100000 + i);
    page += "<tr><td class=\"name\">" + code + " " + kTitles[i % 6] + "【高清】</td><td class=\"size\">" +
            std::to_string(1 + i % 9) + "." + std::to_string(i % 100) +
            " GB</td><td class=\"links\"><a href=\"/detail/" + code + "\">Detail</a><a href=\"magnet:?xt=urn:btih:" +
            hash + "&dn=" + code + "\" title=\"磁力链接\">Magnet</a></td></tr>\n";
  }
  page += "</table>\n</body>\n</html>\n";
  return page;
}

std::string HttpReply(const std::string& body) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

// The servers, one per page size, made once for the whole run.
struct Site {
  size_t pageBytes = 0;
  std::unique_ptr<testing::LoopbackServer> server;
};

Site& SiteFor(int rows) {
  static std::map<int, Site> sites;
  Site& site = sites[rows];
  if (!site.server) {
    const std::string page = ResultPage(rows);
    site.pageBytes = page.size();
    site.server = std::make_unique<testing::LoopbackServer>(
        std::vector<testing::ScriptedReply>{{.bytes = HttpReply(page)}});
  }
  return site;
}

// Kilobytes of the process's resident set ("VmRSS") or its peak ("VmHWM").
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

// Starts a new peak from the present resident set.
void ResetPeak() { std::ofstream("/proc/self/clear_refs") << "5"; }

// Mean seconds per iteration, by kind and row count, for the ratios.
std::map<std::pair<std::string, int>, double>& Timings() {
  static std::map<std::pair<std::string, int>, double> timings;
  return timings;
}

void ReportRatios(benchmark::State& state, const std::string& kind, int rows, double seconds) {
  Timings()[{kind, rows}] = seconds;
  if (kind != "floor") {
    auto floor = Timings().find({"floor", rows});
    if (floor != Timings().end()) state.counters["vs_floor"] = seconds / floor->second;
  }
  auto small = Timings().find({kind, kSmallPageRows});
  if (rows != kSmallPageRows && small != Timings().end()) state.counters["vs_5000_rows"] = seconds / small->second;
}

size_t AppendBody(char* data, size_t size, size_t count, void* out) {
  static_cast<std::string*>(out)->append(data, size * count);
  return size * count;
}

// The floor: fetch with libcurl, convert once with ICU, scan once with RE2.
void BM_Floor(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Site& site = SiteFor(rows);
  const std::string url = "http://" + site.server->Address("/search/ABC/");
  RE2::Options options;
  options.set_case_sensitive(false);
  const RE2 rowPattern(kRowPattern, options);

  size_t found = 0;
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    std::string body;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, AppendBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
    curl_easy_perform(curl);
    curl_easy_cleanup(curl);

    std::string gbk(body.size() + 1, '\0');
    UErrorCode error = U_ZERO_ERROR;
    const int32_t length = ucnv_convert("windows-936", "UTF-8", gbk.data(), static_cast<int32_t>(gbk.size()),
                                        body.data(), static_cast<int32_t>(body.size()), &error);
    gbk.resize(U_FAILURE(error) ? 0 : static_cast<size_t>(length));
    benchmark::DoNotOptimize(gbk.data());

    re2::StringPiece input(body);
    re2::StringPiece name, size, rest, link;
    found = 0;
    while (RE2::FindAndConsume(&input, rowPattern, &name, &size, &rest, &link)) ++found;
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["page_MB"] = static_cast<double>(site.pageBytes) / 1e6;
  state.counters["rows"] = static_cast<double>(found);
  ReportRatios(state, "floor", rows, seconds / static_cast<double>(state.iterations()));
}

// The whole search: a click on "搜索" until the list is filled and drawn.
void BM_WholeSearch(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  Site& site = SiteFor(rows);
  static testing::LoopbackServer playback(
      {{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"}});
  Hosts().indexHost = Text(site.server->Address(""));
  Hosts().playbackHost = Text(playback.Address(""));
  MainWindow window;
  window.show();
  window.编辑框1->setText(QStringLiteral("ABC"));
  // One search first, so that what any first search loads once for good
  // (fonts for the Chinese names, the HTTP client, the engines' tables) is
  // part of the idle window.
  window.按钮1->click();
  QApplication::processEvents();

  std::vector<long> peaksOverIdleKb;
  double seconds = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // Back to the idle window: no rows, an empty hidden box.
    window.ClearRows();
    window.SetBoxContent(Text());
    QApplication::processEvents();
    malloc_trim(0);
    const long idleKb = StatusKb("VmRSS");
    ResetPeak();
    state.ResumeTiming();

    const auto start = std::chrono::steady_clock::now();
    window.按钮1->click();
    QApplication::processEvents();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    state.PauseTiming();
    peaksOverIdleKb.push_back(StatusKb("VmHWM") - idleKb);
    state.ResumeTiming();
  }
  std::sort(peaksOverIdleKb.begin(), peaksOverIdleKb.end());
  const double medianMb = static_cast<double>(peaksOverIdleKb[peaksOverIdleKb.size() / 2]) * 1024 / 1e6;
  const double maxMb = static_cast<double>(peaksOverIdleKb.back()) * 1024 / 1e6;
  const double pageMb = static_cast<double>(site.pageBytes) / 1e6;
  state.counters["page_MB"] = pageMb;
  state.counters["rows"] = window.RowCount();
  state.counters["peak_over_idle_MB"] = medianMb;
  state.counters["peak_per_page"] = medianMb / pageMb;
  state.counters["peak_per_page_max"] = maxMb / pageMb;
  ReportRatios(state, "search", rows, seconds / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_Floor)->Arg(kSmallPageRows)->Arg(kLargePageRows)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WholeSearch)->Arg(kSmallPageRows)->Arg(kLargePageRows)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace zarvo

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  zarvo::PrepareApplication();
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication application(qtArgc, qtArgv);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  curl_global_cleanup();
  return 0;
}
