#include "tests/support/loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string_view>
#include <thread>

namespace zarvo::testing {

namespace {

// After the reply, wait this long for the peer to close before closing
// ourselves, so that no unread byte turns our close into a reset.
constexpr int kLingerMilliseconds = 1000;
constexpr size_t kFillerChunk = 64 * 1024;

[[noreturn]] void Fail(const char* what) {
  std::perror(what);
  std::abort();
}

sockaddr_in LoopbackAddress(int32_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

int32_t BoundPort(int fd) {
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) Fail("getsockname");
  return ntohs(address.sin_port);
}

// The Content-Length named in a request head, or 0.
size_t ContentLength(std::string_view head) {
  std::string lower(head);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  size_t at = lower.find("\r\ncontent-length:");
  if (at == std::string::npos) return 0;
  return std::strtoull(lower.c_str() + at + 17, nullptr, 10);
}

}  // namespace

struct LoopbackServer::State {
  std::vector<ScriptedReply> replies;
  int listenFd = -1;
  int stopFd = -1;  // an eventfd that becomes readable when the server stops
  int32_t port = 0;

  mutable std::mutex mutex;
  std::vector<std::string> requests;
  std::vector<std::thread> connections;
  std::thread acceptor;

  // Sleeps for `pause` unless the server stops first; false on stop.
  bool WaitToStop(std::chrono::milliseconds pause) const {
    pollfd stop{stopFd, POLLIN, 0};
    int n;
    while ((n = poll(&stop, 1, static_cast<int>(pause.count()))) < 0 && errno == EINTR) {
    }
    return n == 0;
  }

  // Waits until `fd` is ready for `events` or the server stops; false on stop.
  bool WaitFor(int fd, short events, int timeoutMs = -1) const {
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    for (;;) {
      int n = poll(fds, 2, timeoutMs);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      if (fds[1].revents != 0) return false;
      return true;
    }
  }

  void Record(size_t index, std::string_view bytes) {
    std::lock_guard<std::mutex> lock(mutex);
    requests[index].append(bytes);
  }

  void AcceptLoop() {
    while (WaitFor(listenFd, POLLIN)) {
      int fd = accept(listenFd, nullptr, nullptr);
      if (fd < 0) continue;
      std::lock_guard<std::mutex> lock(mutex);
      size_t index = requests.size();
      requests.emplace_back();
      const ScriptedReply& reply = replies[std::min(index, replies.size() - 1)];
      connections.emplace_back([this, fd, index, &reply] { Serve(fd, index, reply); });
    }
  }

  // Reads one request; false when the peer went away or the server stops.
  bool ReadRequest(int fd, size_t index) {
    std::string got;
    size_t wanted = std::string::npos;
    char buffer[4096];
    while (wanted == std::string::npos || got.size() < wanted) {
      if (!WaitFor(fd, POLLIN)) return false;
      ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) return false;
      got.append(buffer, static_cast<size_t>(n));
      Record(index, std::string_view(buffer, static_cast<size_t>(n)));
      size_t headEnd = got.find("\r\n\r\n");
      if (wanted == std::string::npos && headEnd != std::string::npos) {
        wanted = headEnd + 4 + ContentLength(std::string_view(got).substr(0, headEnd + 2));
      }
    }
    return true;
  }

  bool WriteAll(int fd, std::string_view bytes) const {
    while (!bytes.empty()) {
      if (!WaitFor(fd, POLLOUT)) return false;
      ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }

  bool WriteReply(int fd, const ScriptedReply& reply) const {
    if (!WriteAll(fd, reply.bytes)) return false;
    if (reply.fillerPause.count() > 0) {
      for (size_t left = reply.fillerBytes; left > 0; --left) {
        if (!WaitToStop(reply.fillerPause)) return false;
        if (!WriteAll(fd, std::string_view(&reply.filler, 1))) return false;
      }
      return true;
    }
    const std::string chunk(kFillerChunk, reply.filler);
    for (size_t left = reply.fillerBytes; left > 0;) {
      size_t n = std::min(left, chunk.size());
      if (!WriteAll(fd, std::string_view(chunk).substr(0, n))) return false;
      left -= n;
    }
    return true;
  }

  // Waits until the peer closes (or the server stops, or `timeoutMs` ends),
  // discarding whatever it sends.
  void DrainUntilClosed(int fd, int timeoutMs) const {
    char buffer[4096];
    while (WaitFor(fd, POLLIN, timeoutMs)) {
      if (recv(fd, buffer, sizeof buffer, 0) <= 0) return;
    }
  }

  void Serve(int fd, size_t index, const ScriptedReply& reply) {
    if (ReadRequest(fd, index)) {
      if (reply.silent) {
        DrainUntilClosed(fd, -1);
      } else if (WriteReply(fd, reply)) {
        if (reply.after == ScriptedReply::After::kHoldOpen) {
          DrainUntilClosed(fd, -1);
        } else {
          shutdown(fd, SHUT_WR);
          DrainUntilClosed(fd, kLingerMilliseconds);
        }
      }
    }
    close(fd);
  }
};

LoopbackServer::LoopbackServer(std::vector<ScriptedReply> replies) : state_(std::make_shared<State>()) {
  if (replies.empty()) replies.emplace_back();
  state_->replies = std::move(replies);
  state_->stopFd = eventfd(0, EFD_CLOEXEC);
  if (state_->stopFd < 0) Fail("eventfd");
  state_->listenFd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (state_->listenFd < 0) Fail("socket");
  sockaddr_in address = LoopbackAddress(0);
  if (bind(state_->listenFd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Fail("bind");
  if (listen(state_->listenFd, 64) != 0) Fail("listen");
  state_->port = BoundPort(state_->listenFd);
  state_->acceptor = std::thread([state = state_.get()] { state->AcceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  uint64_t one = 1;
  if (write(state_->stopFd, &one, sizeof one) != sizeof one) Fail("eventfd write");
  state_->acceptor.join();
  // The acceptor has stopped, so the list of connection threads is final.
  for (std::thread& t : state_->connections) t.join();
  close(state_->listenFd);
  close(state_->stopFd);
}

int32_t LoopbackServer::port() const { return state_->port; }

std::string LoopbackServer::Address(const std::string& path) const {
  return "127.0.0.1:" + std::to_string(state_->port) + path;
}

std::vector<std::string> LoopbackServer::Requests() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->requests;
}

size_t LoopbackServer::ConnectionCount() const {
  std::lock_guard<std::mutex> lock(state_->mutex);
  return state_->requests.size();
}

int32_t RefusedLoopbackPort() {
  // Bind to learn a free port, then close without listening: until someone
  // else takes the port, connecting to it is refused.
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) Fail("socket");
  sockaddr_in address = LoopbackAddress(0);
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Fail("bind");
  int32_t port = BoundPort(fd);
  close(fd);
  return port;
}

FullListener::FullListener() {
  listenFd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (listenFd_ < 0) Fail("socket");
  sockaddr_in address = LoopbackAddress(0);
  if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) Fail("bind");
  // A backlog of 0 queues one connection; the SYN of any further one is dropped.
  if (listen(listenFd_, 0) != 0) Fail("listen");
  port_ = BoundPort(listenFd_);
  address = LoopbackAddress(port_);
  for (int i = 0; i < 2; ++i) {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) Fail("socket");
    connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);  // in progress or queued
    fillers_.push_back(fd);
  }
  // Let the handshakes of the fillers settle, so the queue is full.
  pollfd settle{fillers_.front(), POLLOUT, 0};
  poll(&settle, 1, 1000);
}

FullListener::~FullListener() {
  for (int fd : fillers_) close(fd);
  close(listenFd_);
}

}  // namespace zarvo::testing
