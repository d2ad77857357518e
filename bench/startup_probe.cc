// startup_probe: starts the program once and measures, from outside, how
// long it takes until its window is first painted, and how much memory the
// program and every process it starts use at their peak. Built and run by
// bench/startup; not part of the CMake build.
//
// First paint: the probe watches one pixel of the screen where the centred
// window's result list will be. Qt leaves a new window's background
// undrawn, so the pixel keeps the colour of the empty screen until the
// program draws the list's white background into it.
//
// Memory: every few milliseconds the probe adds up the resident set (RSS)
// and the proportional set (PSS, shared pages split between the processes
// that share them) of the program and all its descendants.
//
// Usage: startup_probe PROGRAM SETTLE_MS
// Prints one line: first_paint_ms=... peak_rss_kib=... peak_pss_kib=... processes=...
#include <fcntl.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// The window's outer size and where in it the result list is surely white.
constexpr int kOuterWidth = 652;
constexpr int kOuterHeight = 485;
constexpr int kListProbeX = 326;
constexpr int kListProbeY = 260;
constexpr uint32_t kWhite = 0xFFFFFF;

constexpr auto kPixelPollInterval = std::chrono::milliseconds(1);
constexpr auto kMemoryPollInterval = std::chrono::milliseconds(20);
constexpr auto kPaintTimeout = std::chrono::seconds(30);
constexpr auto kClearTimeout = std::chrono::seconds(5);

using Clock = std::chrono::steady_clock;

struct Memory {
  long rssKib = 0;
  long pssKib = 0;
  int processes = 0;
};

// The colour of one pixel of the root window, or -1 when it cannot be read.
long PixelAt(xcb_connection_t* connection, xcb_window_t root, int x, int y) {
  xcb_get_image_cookie_t cookie =
      xcb_get_image(connection, XCB_IMAGE_FORMAT_Z_PIXMAP, root, static_cast<int16_t>(x),
                    static_cast<int16_t>(y), 1, 1, ~0u);
  xcb_get_image_reply_t* reply = xcb_get_image_reply(connection, cookie, nullptr);
  if (!reply) return -1;
  long pixel = -1;
  if (xcb_get_image_data_length(reply) >= 4) {
    uint32_t value;
    std::memcpy(&value, xcb_get_image_data(reply), 4);
    pixel = value & 0xFFFFFF;
  }
  std::free(reply);
  return pixel;
}

// Parent of every process now running.
std::map<pid_t, pid_t> Parents() {
  std::map<pid_t, pid_t> parents;
  DIR* proc = opendir("/proc");
  if (!proc) return parents;
  while (dirent* entry = readdir(proc)) {
    pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
    if (pid <= 0) continue;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    // The command name may hold spaces; the fields resume after its ')'.
    size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 2));
    char state;
    pid_t parent;
    if (rest >> state >> parent) parents[pid] = parent;
  }
  closedir(proc);
  return parents;
}

long FieldKib(const std::string& path, const char* field) {
  std::ifstream in(path);
  std::string line;
  size_t length = std::strlen(field);
  while (std::getline(in, line)) {
    if (line.compare(0, length, field) == 0) return std::atol(line.c_str() + length);
  }
  return 0;
}

Memory TreeMemory(pid_t root) {
  std::map<pid_t, pid_t> parents = Parents();
  Memory total;
  for (const auto& [pid, parent] : parents) {
    pid_t up = pid;
    while (up > 1 && up != root) {
      auto it = parents.find(up);
      up = it == parents.end() ? 0 : it->second;
    }
    if (up != root) continue;
    std::string base = "/proc/" + std::to_string(pid);
    total.rssKib += FieldKib(base + "/status", "VmRSS:");
    total.pssKib += FieldKib(base + "/smaps_rollup", "Pss:");
    ++total.processes;
  }
  return total;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s PROGRAM SETTLE_MS\n", argv[0]);
    return 2;
  }
  const char* program = argv[1];
  const auto settle = std::chrono::milliseconds(std::atoi(argv[2]));

  int screenNumber = 0;
  xcb_connection_t* connection = xcb_connect(nullptr, &screenNumber);
  if (xcb_connection_has_error(connection)) {
    std::fprintf(stderr, "startup_probe: no X display\n");
    return 1;
  }
  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
  for (int i = 0; i < screenNumber; ++i) xcb_screen_next(&screens);
  xcb_screen_t* screen = screens.data;
  // The window is centred on its outer size; the list lies well inside it.
  int x = (screen->width_in_pixels - kOuterWidth) / 2 + kListProbeX;
  int y = (screen->height_in_pixels - kOuterHeight) / 2 + kListProbeY;
  // A window of an earlier run may take a moment to leave the screen.
  Clock::time_point clearBy = Clock::now() + kClearTimeout;
  while (PixelAt(connection, screen->root, x, y) == kWhite) {
    if (Clock::now() > clearBy) {
      std::fprintf(stderr, "startup_probe: the screen stays white where the window will be\n");
      return 1;
    }
    std::this_thread::sleep_for(kMemoryPollInterval);
  }

  Clock::time_point start = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    setpgid(0, 0);
    int quiet = open("/dev/null", O_WRONLY);
    if (quiet >= 0) {
      dup2(quiet, STDOUT_FILENO);
      dup2(quiet, STDERR_FILENO);
    }
    execl(program, program, static_cast<char*>(nullptr));
    _exit(127);
  }
  setpgid(child, child);

  Memory peak;
  auto keepPeak = [&] {
    Memory now = TreeMemory(child);
    if (now.pssKib > peak.pssKib) peak.pssKib = now.pssKib;
    if (now.rssKib > peak.rssKib) {
      peak.rssKib = now.rssKib;
      peak.processes = now.processes;
    }
  };

  double firstPaintMs = -1;
  Clock::time_point nextMemory = start;
  while (Clock::now() - start < kPaintTimeout) {
    if (PixelAt(connection, screen->root, x, y) == kWhite) {
      firstPaintMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
      break;
    }
    if (waitpid(child, nullptr, WNOHANG) == child) break;
    if (Clock::now() >= nextMemory) {
      keepPeak();
      nextMemory = Clock::now() + kMemoryPollInterval;
    }
    std::this_thread::sleep_for(kPixelPollInterval);
  }

  // The browser goes on loading after the first paint; keep watching.
  Clock::time_point settled = Clock::now() + settle;
  while (Clock::now() < settled) {
    keepPeak();
    std::this_thread::sleep_for(kMemoryPollInterval);
  }

  kill(-child, SIGTERM);
  waitpid(child, nullptr, 0);
  xcb_disconnect(connection);

  if (firstPaintMs < 0) {
    std::fprintf(stderr, "startup_probe: the window was never painted\n");
    return 1;
  }
  std::printf("first_paint_ms=%.1f peak_rss_kib=%ld peak_pss_kib=%ld processes=%d\n", firstPaintMs,
              peak.rssKib, peak.pssKib, peak.processes);
  return 0;
}
