// The search command's row pattern over result pages: the whole matcher
// path (Create, then groups 1, 2 and 4 of every match) against a bare RE2
// loop over the same UTF-8 text, the engine's own floor, and against
// PCRE2 with JIT doing the same matches. MatcherPathEngine runs the matcher
// with an equivalent pattern that it cannot take its quicker way with, so
// that RE2 does all the matching.
//
// Pages:
//   realistic   5,000 well-formed rows with Chinese names, CR LF between
//               rows (about 1.5 MB)
//   openings    one line of row openings with no "Detail</a>" anywhere,
//               then CR LF and one good row
//   cutlinks    one line of rows cut off right after `<a href="`, then CR LF
//               and one good row
// The adversarial pages come in 2 MiB and 8 MiB; linear time means the
// 8 MiB run takes about four times the 2 MiB one. Counters: rows (matches
// found), good (1 when the last row found is the good row), gaveup (1 when
// PCRE2 stopped with an error before the end).
#include <benchmark/benchmark.h>
#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>
#include <re2/re2.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "text/encoding.h"
#include "text/regex_matcher.h"

namespace zarvo {
namespace {

constexpr char kRowPattern[] =
    "<tr><td class=\"name\">(.*?)</td><td class=\"size\">(.*?)<(.*?)Detail</a><a href=\"(.*?)\" title=\"";
// The same expression, one quote escaped: RE2 compiles it to the same
// program, but the matcher hands it to RE2 end to end (its quicker way is
// for plain literal runs joined by lazy groups only).
constexpr char kRowPatternForEngine[] =
    "<tr><td class=\\\"name\">(.*?)</td><td class=\"size\">(.*?)<(.*?)Detail</a><a href=\"(.*?)\" title=\"";
constexpr char kGoodLink[] = "magnet:?xt=urn:btih:GOOD";

std::string Row(int i, const std::string& name, const std::string& link) {
  char size[32];
  std::snprintf(size, sizeof size, "%d.%d GB", i % 9 + 1, i % 10);
  return "<tr><td class=\"name\">" + name + "</td><td class=\"size\">" + size +
         "</td><td class=\"date\">2026-12-01</td><td><a href=\"/detail/" + std::to_string(i) +
         "\" class=\"btn\">Detail</a><a href=\"" + link + "\" title=\"" + name +
         "\"><img src=\"/img/play.png\"></a></td></tr>\r\n";
}

std::string Hash(int i) {
  static const char kHex[] = "0123456789abcdef";
  std::string h;
  for (int k = 0; k < 40; ++k) h += kHex[(i * 7 + k * 13) % 16];
  return h;
}

// UTF-8 pages, as the site sends them.
std::string RealisticPage() {
  std::string page = "<html><head><meta charset=\"utf-8\"></head><body><table>\r\n";
  for (int i = 0; i < 5000; ++i) {
    char code[16];
    std::snprintf(code, sizeof code, "ABC-%04d", i);
    page += Row(i, std::string("[中文字幕] ") + code + " 高清版本 第" + std::to_string(i % 12 + 1) + "集.mp4",
                "magnet:?xt=urn:btih:" + Hash(i));
  }
  return page + "</table></body></html>\r\n";
}

std::string HostilePage(const std::string& piece, size_t bytes) {
  std::string page;
  page.reserve(bytes + 512);
  while (page.size() + piece.size() < bytes) page += piece;
  return page + "\r\n" + Row(1, "good", kGoodLink);
}

std::string OpeningsPage(size_t bytes) {
  return HostilePage("<tr><td class=\"name\">x</td><td class=\"size\">1</td><td>", bytes);
}

std::string CutLinksPage(size_t bytes) {
  std::string row = Row(1, "x", "m");
  return HostilePage(row.substr(0, row.find("\"m\"") + 1), bytes);
}

enum PageKind { kRealistic, kOpenings, kCutLinks };

const std::string& Utf8Page(int kind, int mib) {
  static const std::string realistic = RealisticPage();
  static const std::string openings2 = OpeningsPage(2 << 20), openings8 = OpeningsPage(8 << 20);
  static const std::string cut2 = CutLinksPage(2 << 20), cut8 = CutLinksPage(8 << 20);
  switch (kind) {
    case kRealistic:
      return realistic;
    case kOpenings:
      return mib == 2 ? openings2 : openings8;
    default:
      return mib == 2 ? cut2 : cut8;
  }
}

// The page as the matcher gets it: GBK.
const Text& GbkPage(int kind, int mib) {
  static std::vector<std::unique_ptr<Text>> cache(16);
  auto& slot = cache[static_cast<size_t>(kind * 4 + mib / 2)];
  if (!slot) slot = std::make_unique<Text>(Utf8TextToGbk(Text(Utf8Page(kind, mib))));
  return *slot;
}

void Report(benchmark::State& state, size_t bytes, size_t rows, bool good, bool gaveUp = false) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
  state.counters["rows"] = static_cast<double>(rows);
  state.counters["good"] = good;
  state.counters["gaveup"] = gaveUp;
}

void MatcherPath(benchmark::State& state, const char* pattern) {
  const Text& page = GbkPage(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  size_t rows = 0;
  Text last;
  for (auto _ : state) {
    RegexMatcher m;
    m.Create(pattern, page, false, true, true, true);
    rows = static_cast<size_t>(m.MatchCount());
    for (int32_t i = 1; i <= m.MatchCount(); ++i) {
      benchmark::DoNotOptimize(m.SubmatchText(i, 1));
      benchmark::DoNotOptimize(m.SubmatchText(i, 2));
      last = m.SubmatchText(i, 4);
    }
  }
  Report(state, page.size(), rows, last == Text(kGoodLink));
}

void BM_MatcherPath(benchmark::State& state) { MatcherPath(state, kRowPattern); }
void BM_MatcherPathEngine(benchmark::State& state) { MatcherPath(state, kRowPatternForEngine); }

void BM_BareRe2(benchmark::State& state) {
  const std::string& page = Utf8Page(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  RE2::Options options;
  options.set_case_sensitive(false);
  options.set_log_errors(false);
  RE2 re(std::string("(?m)") + kRowPattern, options);
  size_t rows = 0;
  std::string last;
  for (auto _ : state) {
    re2::StringPiece groups[5];
    const re2::StringPiece text(page);
    size_t from = 0;
    rows = 0;
    while (re.Match(text, from, text.size(), RE2::UNANCHORED, groups, 5)) {
      ++rows;
      benchmark::DoNotOptimize(groups[1]);
      benchmark::DoNotOptimize(groups[2]);
      last.assign(groups[4].data(), groups[4].size());
      from = static_cast<size_t>(groups[0].data() + groups[0].size() - text.data());
    }
  }
  Report(state, page.size(), rows, last == kGoodLink);
}

void BM_Pcre2Jit(benchmark::State& state) {
  const std::string& page = Utf8Page(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  int error = 0;
  PCRE2_SIZE errorOffset = 0;
  pcre2_code* re = pcre2_compile(reinterpret_cast<PCRE2_SPTR>(kRowPattern), PCRE2_ZERO_TERMINATED,
                                 PCRE2_UTF | PCRE2_CASELESS | PCRE2_MULTILINE, &error, &errorOffset, nullptr);
  pcre2_jit_compile(re, PCRE2_JIT_COMPLETE);
  pcre2_match_data* data = pcre2_match_data_create_from_pattern(re, nullptr);
  size_t rows = 0;
  bool gaveUp = false;
  std::string last;
  for (auto _ : state) {
    const auto* subject = reinterpret_cast<PCRE2_SPTR>(page.data());
    PCRE2_SIZE from = 0;
    rows = 0;
    gaveUp = false;
    for (;;) {
      int rc = pcre2_match(re, subject, page.size(), from, PCRE2_NO_UTF_CHECK, data, nullptr);
      if (rc < 0) {
        gaveUp = rc != PCRE2_ERROR_NOMATCH;
        break;
      }
      ++rows;
      const PCRE2_SIZE* v = pcre2_get_ovector_pointer(data);
      last.assign(page, v[8], v[9] - v[8]);
      from = v[1];
    }
  }
  Report(state, page.size(), rows, last == kGoodLink, gaveUp);
  pcre2_match_data_free(data);
  pcre2_code_free(re);
}

void Pages(benchmark::internal::Benchmark* b) {
  b->Args({kRealistic, 1});
  for (int kind : {kOpenings, kCutLinks}) {
    for (int mib : {2, 8}) b->Args({kind, mib});
  }
  b->ArgNames({"page", "mib"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_MatcherPath)->Apply(Pages);
BENCHMARK(BM_MatcherPathEngine)->Apply(Pages);
BENCHMARK(BM_BareRe2)->Apply(Pages);
BENCHMARK(BM_Pcre2Jit)->Apply(Pages);

}  // namespace
}  // namespace zarvo

BENCHMARK_MAIN();
