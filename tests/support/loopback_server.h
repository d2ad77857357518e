// LoopbackServer: a scriptable HTTP server for tests. It listens on
// 127.0.0.1 on a port the system picks, answers each connection with the
// next scripted reply (the last one repeats), and records the exact bytes of
// every request it received.
//
// A request is read up to the empty line after its headers, plus as many
// body bytes as its Content-Length names. Then the reply's bytes are written
// as they stand (no framing is added), followed by `fillerBytes` copies of
// `filler`, so that large bodies need not be held in memory. Afterwards the
// connection is closed, or held open without a further byte until the peer
// closes it or the server stops.
//
// Connections are served concurrently, one thread each. The destructor stops
// everything and waits for it.
//
// Example:
//   LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\n\r\nhello"}});
//   std::string address = server.Address("/x");   // "127.0.0.1:PORT/x"
//   ... fetch it ...
//   server.Requests().at(0);                       // "GET /x HTTP/1.1\r\n..."
#ifndef ZARVO_TESTS_SUPPORT_LOOPBACK_SERVER_H_
#define ZARVO_TESTS_SUPPORT_LOOPBACK_SERVER_H_

#include <chrono>
#include <cstddef>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace zarvo::testing {

struct ScriptedReply {
  enum class After { kClose, kHoldOpen };

  std::string bytes = "";  // written once the request is in
  size_t fillerBytes = 0;  // then this many copies of `filler`
  char filler = 'x';
  After after = After::kClose;
  bool silent = false;  // true: read the request, write nothing, hold open
  // Non-zero: the filler goes out one byte at a time with this pause before
  // each, as from a server that trickles its answer.
  std::chrono::milliseconds fillerPause{0};
};

class LoopbackServer {
 public:
  explicit LoopbackServer(std::vector<ScriptedReply> replies);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // The port it listens on.
  int32_t port() const;

  // "127.0.0.1:PORT" followed by `path`.
  std::string Address(const std::string& path = "/") const;

  // The bytes of each request received so far, in the order the
  // connections were accepted. A connection closed before its request was
  // complete records what had arrived.
  std::vector<std::string> Requests() const;

  // How many connections have been accepted so far.
  size_t ConnectionCount() const;

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// A loopback port on which nothing listens, so connecting is refused.
int32_t RefusedLoopbackPort();

// A loopback listener whose queue of waiting connections is full and never
// drained: connecting to it is neither completed nor refused, as with a
// server that has vanished from the network.
class FullListener {
 public:
  FullListener();
  ~FullListener();
  FullListener(const FullListener&) = delete;
  FullListener& operator=(const FullListener&) = delete;

  int32_t port() const { return port_; }

 private:
  int listenFd_ = -1;
  std::vector<int> fillers_;
  int32_t port_ = 0;
};

}  // namespace zarvo::testing

#endif  // ZARVO_TESTS_SUPPORT_LOOPBACK_SERVER_H_
