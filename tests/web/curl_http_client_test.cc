#include "web/curl_http_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/loopback_server.h"

namespace zarvo {
namespace {

using ::zarvo::testing::FullListener;
using ::zarvo::testing::LoopbackServer;
using ::zarvo::testing::RefusedLoopbackPort;
using ::zarvo::testing::ScriptedReply;

constexpr uint32_t kPlain = kHttpReload | kHttpNeedFile | kHttpIgnoreRedirectToHttps;
const CurlLimits kQuick{.connectTimeout = std::chrono::milliseconds(2000), .idleLimit = std::chrono::milliseconds(300)};

struct Exchange {
  std::string verb = "GET";
  std::string objectName = "/";
  std::string headers = "";
  std::string body = "";
  uint32_t flags = kPlain;
  HttpAccess access = HttpAccess::kDirect;
  std::optional<Text> proxyList = std::nullopt;
  std::string host = "127.0.0.1";
};

struct Outcome {
  bool sent = false;
  std::string body;
  size_t largestPiece = 0;
  bool queried = false;
  std::string headers;
};

// One request the way the page fetch makes it: 1024-byte reads, then the
// raw headers through a 5000-byte buffer.
Outcome Perform(CurlHttpClient& client, int32_t port, const Exchange& e) {
  Outcome out;
  HttpHandle session =
      client.Open("agent/1", e.access, e.proxyList, e.proxyList ? std::optional<Text>("") : std::nullopt);
  HttpHandle connection = client.Connect(session, e.host, port);
  HttpHandle request = client.OpenRequest(connection, e.verb, e.objectName, "HTTP/1.1", e.flags);
  EXPECT_NE(request, kNoHandle);
  out.sent = client.SendRequest(request, e.headers, e.body);
  char piece[1024];
  uint32_t count = 0;
  while (client.ReadFile(request, piece, sizeof piece, &count) && count > 0) {
    out.body.append(piece, count);
    out.largestPiece = std::max<size_t>(out.largestPiece, count);
  }
  std::string buffer(5000, ' ');
  uint32_t length = 5000;
  out.queried = client.QueryRawHeaders(request, buffer.data(), &length);
  if (out.queried) out.headers = buffer.substr(0, length);
  EXPECT_TRUE(client.CloseHandle(request));
  EXPECT_TRUE(client.CloseHandle(connection));
  EXPECT_TRUE(client.CloseHandle(session));
  return out;
}

Outcome Perform(const LoopbackServer& server, const Exchange& e) {
  CurlHttpClient client(kQuick);
  return Perform(client, server.port(), e);
}

TEST(CurlHttpClient, SendsTheRequestLineAndHeaderTextAsGiven) {
  static const struct {
    const char* name;
    Exchange exchange;
    const char* want;  // with HOST standing for 127.0.0.1:port
  } kCases[] = {
      {"object name byte for byte, header lines in their order",
       {.objectName = "/search/\xB0\xA1%zz/?q=1", .headers = "Referer: r\r\nAccept: */*\r\nAccept-Language: zh-cn"},
       "GET /search/\xB0\xA1%zz/?q=1 HTTP/1.1\r\nHost: HOST\r\nUser-Agent: agent/1\r\n"
       "Referer: r\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n\r\n"},
      {"no Accept line of the client's own",
       {.headers = "X: 1"},
       "GET / HTTP/1.1\r\nHost: HOST\r\nUser-Agent: agent/1\r\nX: 1\r\n\r\n"},
      {"a user-agent line replaces the agent",
       {.headers = "Accept: */*\r\nuser-agent: Mine/2"},
       "GET / HTTP/1.1\r\nHost: HOST\r\nAccept: */*\r\nuser-agent: Mine/2\r\n\r\n"},
      {"a header with an empty value is still sent",
       {.headers = "Referer: \r\nAccept: */*"},
       "GET / HTTP/1.1\r\nHost: HOST\r\nUser-Agent: agent/1\r\nReferer:\r\nAccept: */*\r\n\r\n"},
      {"POST carries its body without Expect or a Content-Type of its own",
       {.verb = "POST", .headers = "Accept: */*", .body = std::string(2000, 'b')},
       "POST / HTTP/1.1\r\nHost: HOST\r\nUser-Agent: agent/1\r\nAccept: */*\r\nContent-Length: 2000\r\n\r\n"},
      {"POST with an empty body",
       {.verb = "POST", .headers = "Content-Type: t"},
       "POST / HTTP/1.1\r\nHost: HOST\r\nUser-Agent: agent/1\r\nContent-Type: t\r\nContent-Length: 0\r\n\r\n"},
      {"HEAD expects no body", {.verb = "HEAD"}, "HEAD / HTTP/1.1\r\nHost: HOST\r\nUser-Agent: agent/1\r\n\r\n"},
      {"GET keeps its verb when it carries a body",
       {.headers = "Accept: */*", .body = "k=v"},
       "GET / HTTP/1.1\r\nHost: HOST\r\nUser-Agent: agent/1\r\nAccept: */*\r\nContent-Length: 3\r\n\r\nk=v"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"}});
    Outcome out = Perform(server, c.exchange);
    EXPECT_TRUE(out.sent);
    EXPECT_EQ(out.body, c.exchange.verb == "HEAD" ? "" : "ok");
    std::string want = c.want;
    want.replace(want.find("HOST"), 4, server.Address(""));
    if (c.exchange.verb == "POST") want += c.exchange.body;
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0], want);
  }
}

TEST(CurlHttpClient, RawHeadersComeBackCrLfSeparatedWithoutInterimAnswers) {
  LoopbackServer server({{.bytes = "HTTP/1.1 100 Continue\r\n\r\n"
                                   "HTTP/1.1 200 OK\nSet-Cookie: a=1\r\nX:  y \n\nbody"}});
  Outcome out = Perform(server, {});
  EXPECT_TRUE(out.queried);
  EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nSet-Cookie: a=1\r\nX:  y \r\n\r\n");
  EXPECT_EQ(out.body, "body");
}

TEST(CurlHttpClient, RawHeadersNeedRoomForTheirTerminatingZero) {
  // Status line and empty line take 19 bytes; X: pads the headers to the size.
  for (size_t size : {4999u, 5000u}) {
    SCOPED_TRACE(size);
    std::string head = "HTTP/1.1 200 OK\r\nX: " + std::string(size - 19 - 5, 'p') + "\r\n\r\n";
    ASSERT_EQ(head.size(), size);
    LoopbackServer server({{.bytes = head + "b"}});
    CurlHttpClient client(kQuick);
    HttpHandle session = client.Open("a", HttpAccess::kDirect, std::nullopt, std::nullopt);
    HttpHandle request =
        client.OpenRequest(client.Connect(session, "127.0.0.1", server.port()), "GET", "/", "HTTP/1.1", kPlain);
    client.SendRequest(request, "", "");
    std::string buffer(5000, ' ');
    uint32_t length = 5000;
    bool fits = size < 5000;
    EXPECT_EQ(client.QueryRawHeaders(request, buffer.data(), &length), fits);
    if (fits) {
      EXPECT_EQ(length, size);
      EXPECT_EQ(buffer.substr(0, size), head);
      EXPECT_EQ(buffer[size], '\0');
    } else {
      EXPECT_EQ(length, size + 1);
      EXPECT_EQ(buffer, std::string(5000, ' '));
    }
    char piece[16];
    uint32_t count = 0;
    EXPECT_TRUE(client.ReadFile(request, piece, sizeof piece, &count));
    EXPECT_EQ(std::string(piece, count), "b");
    EXPECT_TRUE(client.CloseHandle(session));
  }
}

TEST(CurlHttpClient, ReadsALargeBodyInPiecesNoLargerThanAsked) {
  const size_t kBody = 3 * 1024 * 1024 + 7;
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(kBody) + "\r\n\r\n",
                          .fillerBytes = kBody,
                          .filler = 'z'}});
  Outcome out = Perform(server, {});
  EXPECT_EQ(out.body.size(), kBody);
  EXPECT_EQ(out.body.find_first_not_of('z'), std::string::npos);
  EXPECT_EQ(out.largestPiece, 1024u);
}

TEST(CurlHttpClient, FollowsRedirectsAndHandsBackTheFinalAnswer) {
  static const struct {
    const char* name;
    const char* status;
    const char* verb;
    const char* wantSecondRequestLine;
    const char* wantSecondBody;
  } kCases[] = {
      {"301 turns POST into GET", "301 Moved Permanently", "POST", "GET /dir/next?x=1 HTTP/1.1", ""},
      {"302 turns POST into GET", "302 Found", "POST", "GET /dir/next?x=1 HTTP/1.1", ""},
      {"303 turns POST into GET", "303 See Other", "POST", "GET /dir/next?x=1 HTTP/1.1", ""},
      {"307 keeps the verb and body", "307 Temporary Redirect", "POST", "POST /dir/next?x=1 HTTP/1.1", "p=1"},
      {"308 keeps the verb and body", "308 Permanent Redirect", "POST", "POST /dir/next?x=1 HTTP/1.1", "p=1"},
      {"GET stays GET", "301 Moved Permanently", "GET", "GET /dir/next?x=1 HTTP/1.1", ""},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server({
        {.bytes = std::string("HTTP/1.1 ") + c.status + "\r\nLocation: next?x=1\r\nContent-Length: 5\r\n\r\nfirst"},
        {.bytes = "HTTP/1.1 200 OK\r\nX-Final: 1\r\n\r\nsecond"},
    });
    Outcome out = Perform(server, {.verb = c.verb, .objectName = "/dir/page", .headers = "Referer: r", .body = "p=1"});
    EXPECT_EQ(out.body, "second");
    EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nX-Final: 1\r\n\r\n");
    ASSERT_EQ(server.Requests().size(), 2u);
    const std::string second = server.Requests()[1];
    EXPECT_EQ(second.substr(0, second.find("\r\n")), c.wantSecondRequestLine);
    EXPECT_NE(second.find("\r\nReferer: r\r\n"), std::string::npos);
    EXPECT_EQ(second.substr(second.find("\r\n\r\n") + 4), c.wantSecondBody);
  }
}

TEST(CurlHttpClient, HandsBackRedirectsItMustNotFollow) {
  static const struct {
    const char* name;
    uint32_t flags;
    const char* location;
  } kCases[] = {
      {"auto redirect off", kPlain | kHttpNoAutoRedirect, "/next"},
      {"to HTTPS without leave", kHttpReload | kHttpNeedFile, "https://127.0.0.1:1/"},
      {"to another scheme", kPlain, "ftp://127.0.0.1/"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string head = std::string("HTTP/1.1 302 Moved\r\nLocation: ") + c.location + "\r\n\r\n";
    LoopbackServer server({{.bytes = head + "moved body"}, {.bytes = "HTTP/1.1 200 OK\r\n\r\nwrong"}});
    Outcome out = Perform(server, {.flags = c.flags});
    EXPECT_EQ(out.headers, head);
    EXPECT_EQ(out.body, "moved body");
    EXPECT_EQ(server.ConnectionCount(), 1u);
  }
}

TEST(CurlHttpClient, StopsFollowingAnEndlessRedirectChain) {
  const std::string head = "HTTP/1.1 301 Moved Permanently\r\nLocation: /again\r\nContent-Length: 4\r\n\r\n";
  LoopbackServer server({{.bytes = head + "loop"}});
  Outcome out = Perform(server, {});
  EXPECT_EQ(out.headers, head);
  EXPECT_EQ(out.body, "loop");
  EXPECT_EQ(server.ConnectionCount(), static_cast<size_t>(kClientRedirectLimit + 1));
}

TEST(CurlHttpClient, NamedProxyServesPlainHttpWithTheAbsoluteAddress) {
  LoopbackServer proxy({{.bytes = "HTTP/1.1 200 OK\r\n\r\nvia proxy"}});
  Text list = "https=127.0.0.1:1 http=" + proxy.Address("");
  Outcome out = Perform(proxy, {.objectName = "/search/\xB0\xA1/",
                                .headers = "Accept: */*",
                                .access = HttpAccess::kNamedProxy,
                                .proxyList = list,
                                .host = "index.example"});
  EXPECT_EQ(out.body, "via proxy");
  ASSERT_EQ(proxy.Requests().size(), 1u);
  const std::string request = proxy.Requests()[0];
  EXPECT_EQ(request.substr(0, request.find("\r\n")),
            "GET http://index.example:" + std::to_string(proxy.port()) + "/search/\xB0\xA1/ HTTP/1.1");
  EXPECT_NE(request.find("\r\nHost: index.example:" + std::to_string(proxy.port()) + "\r\n"), std::string::npos);
}

TEST(CurlHttpClient, ProxyListWithoutAServerMeansDirectAccess) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\n\r\ndirect"}});
  Outcome out = Perform(server, {.access = HttpAccess::kNamedProxy, .proxyList = Text("http=")});
  EXPECT_EQ(out.body, "direct");
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_TRUE(server.Requests()[0].starts_with("GET / HTTP/1.1\r\n"));
}

TEST(CurlHttpClient, GivesUpOnServersThatSayNothingOrRefuse) {
  LoopbackServer silent({ScriptedReply{.silent = true}});
  Outcome quiet = Perform(silent, {});
  EXPECT_FALSE(quiet.sent);
  EXPECT_EQ(quiet.body, "");
  EXPECT_FALSE(quiet.queried);

  CurlHttpClient client(kQuick);
  Outcome refused = Perform(client, RefusedLoopbackPort(), {});
  EXPECT_FALSE(refused.sent);
  EXPECT_EQ(refused.body, "");
  EXPECT_FALSE(refused.queried);
}

TEST(CurlHttpClient, GivesUpConnectingAfterTheConnectTimeout) {
  FullListener unreachable;
  // An idle limit far beyond the connect timeout shows which limit ended it.
  CurlHttpClient client({.connectTimeout = std::chrono::milliseconds(200), .idleLimit = std::chrono::seconds(30)});
  auto started = std::chrono::steady_clock::now();
  Outcome out = Perform(client, unreachable.port(), {});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  EXPECT_FALSE(out.sent);
  EXPECT_FALSE(out.queried);
}

TEST(CurlHttpClient, EndsABodyThatStallsWithWhatArrived) {
  LoopbackServer server(
      {{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npart", .after = ScriptedReply::After::kHoldOpen}});
  Outcome out = Perform(server, {});
  EXPECT_TRUE(out.sent);
  EXPECT_EQ(out.body, "part");
  EXPECT_EQ(out.headers, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
}

// A byte now and then keeps the idle limit from ever firing; the exchange
// limit still ends the transfer, so a search cannot freeze the window.
TEST(CurlHttpClient, EndsAnExchangeThatTricklesPastItsLimit) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\nstart",
                          .fillerBytes = 100000,
                          .filler = 't',
                          .fillerPause = std::chrono::milliseconds(20)}});
  CurlHttpClient client({.connectTimeout = std::chrono::milliseconds(2000),
                         .idleLimit = std::chrono::milliseconds(1000),
                         .exchangeLimit = std::chrono::milliseconds(400)});
  auto started = std::chrono::steady_clock::now();
  Outcome out = Perform(client, server.port(), {});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
  EXPECT_TRUE(out.sent);
  EXPECT_EQ(out.body.substr(0, 5), "start");
  EXPECT_LT(out.body.size(), 1000u);  // ended long before the trickle did
}

TEST(CurlHttpClient, RefusesWhatCannotFormARequest) {
  CurlHttpClient client(kQuick);
  HttpHandle session = client.Open("a", HttpAccess::kDirect, std::nullopt, std::nullopt);
  ASSERT_NE(session, kNoHandle);
  EXPECT_EQ(client.Connect(HttpHandle{999}, "h", 80), kNoHandle);
  EXPECT_EQ(client.Connect(session, "", 80), kNoHandle);
  EXPECT_EQ(client.Connect(session, "a b", 80), kNoHandle);
  EXPECT_EQ(client.Connect(session, "h\r\nX: y", 80), kNoHandle);
  EXPECT_EQ(client.Connect(session, "h", -1), kNoHandle);
  EXPECT_EQ(client.Connect(session, "h", 65536), kNoHandle);
  HttpHandle connection = client.Connect(session, "h", 0);
  ASSERT_NE(connection, kNoHandle);
  EXPECT_EQ(client.OpenRequest(connection, "GET", "/a b", "HTTP/1.1", kPlain), kNoHandle);
  EXPECT_EQ(client.OpenRequest(connection, "GET", "/a\r\nX: y", "HTTP/1.1", kPlain), kNoHandle);
  EXPECT_EQ(client.OpenRequest(connection, "G T", "/", "HTTP/1.1", kPlain), kNoHandle);
  EXPECT_EQ(client.OpenRequest(connection, "GET", "/", "HTTP/9", kPlain), kNoHandle);

  HttpHandle request = client.OpenRequest(connection, "GET", "/", "HTTP/1.1", kPlain);
  ASSERT_NE(request, kNoHandle);
  char piece[8];
  uint32_t count = 7;
  EXPECT_FALSE(client.ReadFile(request, piece, sizeof piece, &count));  // not sent yet
  EXPECT_EQ(count, 0u);
  uint32_t length = sizeof piece;
  EXPECT_FALSE(client.QueryRawHeaders(request, piece, &length));

  // Closing the session closes what was opened on it.
  EXPECT_TRUE(client.CloseHandle(session));
  EXPECT_FALSE(client.CloseHandle(request));
  EXPECT_FALSE(client.CloseHandle(connection));
  EXPECT_FALSE(client.CloseHandle(session));
}

}  // namespace
}  // namespace zarvo
