// Throughput of the text primitives on 1 MiB and 8 MiB of mixed ASCII and
// GBK text, with memmem on the same input as the floor for the searches.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "text/text.h"

namespace zarvo {
namespace {

constexpr char kNeedle[] = "Detail</a>";

// Lines of HTML-like ASCII mixed with two-byte GBK characters ("中文名称"),
// CR LF separated, and the needle once at the very end.
std::string MixedInput(size_t bytes) {
  static const std::string kLine =
      "<td class=\"name\">\xD6\xD0\xCE\xC4\xC3\xFB\xB3\xC6 ABC-123, 1.2GB</td>\xA1\xA1<a href=\"x\">\r\n";
  std::string s;
  s.reserve(bytes + kLine.size());
  while (s.size() + kLine.size() < bytes) s += kLine;
  s.append(kNeedle);
  return s;
}

const Text& Input(int64_t mib) {
  static const Text one(MixedInput(1 << 20));
  static const Text eight(MixedInput(8 << 20));
  return mib == 1 ? one : eight;
}

void SetBytes(benchmark::State& state, const Text& t) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(t.size()));
}

void BM_Memmem(benchmark::State& state) {
  const Text& t = Input(state.range(0));
  for (auto _ : state) {
    benchmark::DoNotOptimize(memmem(t.data(), t.size(), kNeedle, strlen(kNeedle)));
  }
  SetBytes(state, t);
}

void BM_FindText(benchmark::State& state) {
  const Text& t = Input(state.range(0));
  const bool ignoreCase = state.range(1) != 0;
  for (auto _ : state) benchmark::DoNotOptimize(FindText(t, kNeedle, std::nullopt, ignoreCase));
  SetBytes(state, t);
}

void BM_FindBytes(benchmark::State& state) {
  const ByteBuffer b = TextToBytes(Input(state.range(0)));
  const ByteBuffer needle{std::string_view(kNeedle)};
  for (auto _ : state) benchmark::DoNotOptimize(FindBytes(b, needle));
  SetBytes(state, Input(state.range(0)));
}

void BM_ReplaceText(benchmark::State& state) {
  const Text& t = Input(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(ReplaceText(t, ",", ";", true));
  SetBytes(state, t);
}

void BM_SplitText(benchmark::State& state) {
  const Text& t = Input(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(SplitText(t, "\r\n"));
  SetBytes(state, t);
}

void BM_TrimText(benchmark::State& state) {
  const Text t = ConcatText("  \xA1\xA1", Input(state.range(0)), " \xA1\xA1 ");
  for (auto _ : state) benchmark::DoNotOptimize(TrimText(t));
  SetBytes(state, t);
}

void BM_ConcatBytes(benchmark::State& state) {
  const ByteBuffer half = BytesLeft(TextToBytes(Input(state.range(0))), static_cast<int32_t>(Input(state.range(0)).size() / 2));
  for (auto _ : state) benchmark::DoNotOptimize(ConcatBytes(half, half));
  SetBytes(state, Input(state.range(0)));
}

// Arguments: input size in MiB (and for FindText the ignore-case flag).
BENCHMARK(BM_Memmem)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindText)->Args({1, 0})->Args({8, 0})->Args({1, 1})->Args({8, 1})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindBytes)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReplaceText)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SplitText)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrimText)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConcatBytes)->Arg(1)->Arg(8)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zarvo

BENCHMARK_MAIN();
