// The encoding conversions on 8 MiB of mixed text (HTML markup, Chinese
// names, a few accented Latin letters) against a bare ICU conversion of the
// same bytes from UTF-8 to GBK: ucnv_convert, which opens its converters
// on each call, and ucnv_convertEx with converters opened beforehand; both
// write into an output buffer sized beforehand.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <string>

#include "text/encoding.h"

namespace zarvo {
namespace {

constexpr size_t kInputBytes = size_t{8} << 20;

std::string Repeat(const std::string& line) {
  std::string s;
  s.reserve(kInputBytes + line.size());
  while (s.size() + line.size() <= kInputBytes) s += line;
  return s;
}

const std::string& MixedUtf8() {
  static const std::string text = Repeat(
      "<tr><td class=\"name\">[中文字幕] ABC-123 高清版本 第1集 café naïve</td>"
      "<td class=\"size\">1.2 GB</td><td><a href=\"magnet:?xt=urn:btih:0123456789abcdef\">Detail</a></td></tr>\r\n");
  return text;
}

// The same with the accents as combining marks, which Utf8ToGbkBytes
// composes (the slower way, taken only when a mark is present).
const std::string& MixedUtf8WithMarks() {
  static const std::string text = Repeat(
      "<tr><td class=\"name\">[中文字幕] ABC-123 高清版本 第1集 cafe\xCC\x81 nai\xCC\x88ve</td>"
      "<td class=\"size\">1.2 GB</td><td><a href=\"magnet:?xt=urn:btih:0123456789abcdef\">Detail</a></td></tr>\r\n");
  return text;
}

void SetBytes(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_IcuBare(benchmark::State& state) {
  const std::string& in = MixedUtf8();
  UErrorCode error = U_ZERO_ERROR;
  std::string out(in.size(), '\0');
  for (auto _ : state) {
    error = U_ZERO_ERROR;
    int32_t n = ucnv_convert("windows-936", "UTF-8", out.data(), static_cast<int32_t>(out.size()), in.data(),
                             static_cast<int32_t>(in.size()), &error);
    benchmark::DoNotOptimize(n);
  }
  SetBytes(state, in.size());
}

void BM_IcuBareConvertEx(benchmark::State& state) {
  const std::string& in = MixedUtf8();
  UErrorCode error = U_ZERO_ERROR;
  UConverter* utf8 = ucnv_open("UTF-8", &error);
  UConverter* gbk = ucnv_open("windows-936", &error);
  std::string out(in.size(), '\0');
  for (auto _ : state) {
    error = U_ZERO_ERROR;
    char* target = out.data();
    const char* source = in.data();
    ucnv_convertEx(gbk, utf8, &target, out.data() + out.size(), &source, in.data() + in.size(), nullptr, nullptr,
                   nullptr, nullptr, true, true, &error);
    benchmark::DoNotOptimize(target);
  }
  ucnv_close(utf8);
  ucnv_close(gbk);
  SetBytes(state, in.size());
}

void BM_Utf8ToGbkBytes(benchmark::State& state) {
  const ByteBuffer in(MixedUtf8());
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToGbkBytes(in));
  SetBytes(state, in.size());
}

void BM_Utf8ToGbkBytesWithMarks(benchmark::State& state) {
  const ByteBuffer in(MixedUtf8WithMarks());
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToGbkBytes(in));
  SetBytes(state, in.size());
}

void BM_Utf8TextToGbk(benchmark::State& state) {
  const Text in(MixedUtf8());
  for (auto _ : state) benchmark::DoNotOptimize(Utf8TextToGbk(in));
  SetBytes(state, in.size());
}

void BM_Utf8ToUtf16Bytes(benchmark::State& state) {
  const ByteBuffer in(MixedUtf8());
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToUtf16Bytes(in));
  SetBytes(state, in.size());
}

// The window's way in: a GBK page to UTF-16.
void BM_GbkTextToUtf16Bytes(benchmark::State& state) {
  const Text in = Utf8TextToGbk(Text(MixedUtf8()));
  for (auto _ : state) benchmark::DoNotOptimize(TextToUtf16Bytes(in, kCodePageGbk));
  SetBytes(state, in.size());
}

BENCHMARK(BM_IcuBare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IcuBareConvertEx)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToGbkBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToGbkBytesWithMarks)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8TextToGbk)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Utf8ToUtf16Bytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GbkTextToUtf16Bytes)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace zarvo

BENCHMARK_MAIN();
