// Fetching a 50 MB body from a loopback server: FetchPage, and the curl
// command-line tool writing the same body to /dev/null, in the same run.
// Goals: FetchPage within 1.5 times curl's time, and the process's peak
// resident memory during a fetch at most 2.5 times the body size.
//
// BM_HoldBodyInMemory shows what holding the body costs by itself.
//
// Counters: peak_MB is the peak resident set of the fetching process
// (this one for FetchPage, the child for curl); peak_per_body divides it by
// the body size.
#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "web/fetch_page.h"

extern char** environ;

namespace zarvo {
namespace {

constexpr size_t kBodyBytes = 50'000'000;
constexpr size_t kChunkBytes = 1 << 20;

// Answers every connection with the same 50 MB body, one connection at a
// time, from one reused chunk so that the server adds little to the
// process's memory.
class BodyServer {
 public:
  BodyServer() {
    listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listenFd_ < 0 || bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 8) != 0 || getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
      std::perror("body server");
      std::exit(1);
    }
    port_ = ntohs(address.sin_port);
    std::thread([this] { Serve(); }).detach();  // lives as long as the program
  }

  std::string Address() const { return "127.0.0.1:" + std::to_string(port_) + "/body"; }

 private:
  void Serve() {
    const std::string head =
        "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: " + std::to_string(kBodyBytes) +
        "\r\nConnection: close\r\n\r\n";
    const std::string chunk(kChunkBytes, 'x');
    for (;;) {
      int fd = accept(listenFd_, nullptr, nullptr);
      if (fd < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<size_t>(n));
      }
      bool ok = SendAll(fd, head);
      for (size_t left = kBodyBytes; ok && left > 0;) {
        size_t n = std::min(left, chunk.size());
        ok = SendAll(fd, std::string_view(chunk).substr(0, n));
        left -= n;
      }
      close(fd);
    }
  }

  static bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  int listenFd_ = -1;
  int port_ = 0;
};

const BodyServer& Server() {
  static const BodyServer server;
  return server;
}

// The peak resident set of this process since the last reset, in bytes.
size_t PeakResidentBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.starts_with("VmHWM:")) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
  }
  return 0;
}

// Lowers the recorded peak to the present resident set.
void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

void ReportPeak(benchmark::State& state, size_t peak) {
  state.counters["peak_MB"] = static_cast<double>(peak) / 1e6;
  state.counters["peak_per_body"] = static_cast<double>(peak) / static_cast<double>(kBodyBytes);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBodyBytes));
}

// Loopback timings swing with whatever else the machine runs; the minimum
// of a few repetitions is the steadiest figure to compare.
void Settings(benchmark::internal::Benchmark* b) {
  b->Unit(benchmark::kMillisecond)
      ->UseRealTime()
      ->MinTime(1.0)
      ->Repetitions(5)
      ->ReportAggregatesOnly(true)
      ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); });
}

void BM_CurlCommandLine(benchmark::State& state) {
  const std::string url = "http://" + Server().Address();
  size_t peak = 0;
  for (auto _ : state) {
    const char* argv[] = {"curl", "-s", "--noproxy", "*", "-o", "/dev/null", url.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0) {
      state.SkipWithError("curl did not start");
      break;
    }
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("curl failed");
    peak = std::max(peak, static_cast<size_t>(usage.ru_maxrss) * 1024);
  }
  ReportPeak(state, peak);
}
BENCHMARK(BM_CurlCommandLine)->Apply(Settings);

void BM_FetchPage(benchmark::State& state) {
  const Text address = Server().Address();
  size_t peak = 0;
  for (auto _ : state) {
    ResetPeakResident();
    ByteBuffer body = FetchPage(address);
    if (body.size() != kBodyBytes) state.SkipWithError("short body");
    peak = std::max(peak, PeakResidentBytes());
  }
  ReportPeak(state, peak);
}
BENCHMARK(BM_FetchPage)->Apply(Settings);

// The floor FetchPage cannot go below and curl writing to /dev/null never
// pays: holding the body, appended in 1024-byte pieces to fresh memory.
void BM_HoldBodyInMemory(benchmark::State& state) {
  const std::string piece(kReadPieceBytes, 'x');
  for (auto _ : state) {
    std::string body;
    body.reserve(kFetchBodyLimit);
    while (body.size() < kBodyBytes) body.append(piece, 0, std::min<size_t>(piece.size(), kBodyBytes - body.size()));
    benchmark::DoNotOptimize(body.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(kBodyBytes));
}
BENCHMARK(BM_HoldBodyInMemory)->Apply(Settings);

}  // namespace
}  // namespace zarvo

BENCHMARK_MAIN();
