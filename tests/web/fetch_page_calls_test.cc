// FetchPage against a fake HTTP client that records every call with its
// arguments: what a real server cannot show (request flags, the proxy list,
// the order of closing, the calls on failure).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "tests/web/fetch_args.h"
#include "web/fetch_page.h"
#include "web/http_client.h"

namespace zarvo {
namespace {

constexpr char kOk[] = "HTTP/1.1 200 OK\r\n\r\n";

struct FakeAnswer {
  std::optional<std::string> headers = kOk;  // nullopt: the query fails
  std::string body = "body";
  size_t fillerBytes = 0;  // then this many 'f' bytes
};

class FakeHttpClient final : public HttpClient {
 public:
  explicit FakeHttpClient(std::vector<FakeAnswer> answers = {FakeAnswer{}}) : answers_(std::move(answers)) {}

  bool failOpen = false;
  bool failConnect = false;
  bool failRequest = false;
  std::vector<std::string> log;
  std::set<uint32_t> readSizes;

  HttpHandle Open(const Text& agent, HttpAccess access, const std::optional<Text>& proxyList,
                  const std::optional<Text>& proxyBypass) override {
    log.push_back("Open(" + agent.str() + ", " + std::to_string(static_cast<int>(access)) + ", " + Optional(proxyList) +
                  ", " + Optional(proxyBypass) + ")");
    return failOpen ? kNoHandle : Next();
  }

  HttpHandle Connect(HttpHandle session, const Text& serverName, int32_t port) override {
    log.push_back("Connect(" + Name(session) + ", " + serverName.str() + ", " + std::to_string(port) + ")");
    return failConnect ? kNoHandle : Next();
  }

  HttpHandle OpenRequest(HttpHandle connection, const Text& verb, const Text& objectName, const Text& version,
                         uint32_t flags) override {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", flags);
    log.push_back("OpenRequest(" + Name(connection) + ", " + verb.str() + ", " + objectName.str() + ", " +
                  version.str() + ", " + hex + ")");
    if (failRequest) return kNoHandle;
    answer_ = answers_[std::min(requests_++, answers_.size() - 1)];
    position_ = 0;
    return Next();
  }

  bool SendRequest(HttpHandle request, const Text& headers, std::string_view body) override {
    log.push_back("SendRequest(" + Name(request) + ", " + headers.str() + ", " + std::string(body) + ")");
    return true;
  }

  bool ReadFile(HttpHandle, char* buffer, uint32_t size, uint32_t* bytesRead) override {
    readSizes.insert(size);
    size_t total = answer_.body.size() + answer_.fillerBytes;
    size_t n = std::min<size_t>(size, total - position_);
    for (size_t i = 0; i < n; ++i, ++position_) {
      buffer[i] = position_ < answer_.body.size() ? answer_.body[position_] : 'f';
    }
    *bytesRead = static_cast<uint32_t>(n);
    return true;
  }

  bool QueryRawHeaders(HttpHandle request, char* buffer, uint32_t* length) override {
    log.push_back("QueryRawHeaders(" + Name(request) + ", " + std::to_string(*length) + ")");
    if (!answer_.headers || answer_.headers->size() + 1 > *length) return false;
    std::memcpy(buffer, answer_.headers->c_str(), answer_.headers->size() + 1);
    *length = static_cast<uint32_t>(answer_.headers->size());
    return true;
  }

  bool CloseHandle(HttpHandle handle) override {
    log.push_back("CloseHandle(" + Name(handle) + ")");
    return true;
  }

 private:
  static std::string Optional(const std::optional<Text>& t) { return t ? "\"" + t->str() + "\"" : "null"; }
  static std::string Name(HttpHandle h) { return std::to_string(static_cast<uint64_t>(h)); }
  HttpHandle Next() { return HttpHandle{++lastHandle_}; }

  std::vector<FakeAnswer> answers_;
  size_t requests_ = 0;
  FakeAnswer answer_;
  size_t position_ = 0;
  uint64_t lastHandle_ = 0;
};

const std::string kAgent = kDefaultUserAgent;
const std::string kDefaultLines =
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";

TEST(FetchPageCalls, SearchFetchMakesTheSevenCallsInOrder) {
  FakeHttpClient client;
  EXPECT_EQ(Fetch({client}, "Index.Example/search/ABC/"), ByteBuffer(std::string("body")));
  const std::vector<std::string> want = {
      "Open(" + kAgent + ", 1, null, null)",
      "Connect(1, index.example, 80)",
      "OpenRequest(2, GET, /search/ABC/, HTTP/1.1, 0x80004010)",
      "SendRequest(3, Referer: Index.Example/search/ABC/" + kDefaultLines + ", )",
      "QueryRawHeaders(3, 5000)",
      "CloseHandle(3)",
      "CloseHandle(2)",
      "CloseHandle(1)",
  };
  EXPECT_EQ(client.log, want);
  EXPECT_EQ(client.readSizes, std::set<uint32_t>{kReadPieceBytes});
}

TEST(FetchPageCalls, RequestFlagsPortAndProxyList) {
  Text emptyCookies;
  const struct {
    const char* name;
    const char* address;
    FetchArgs args;
    const char* wantOpen;     // access, proxy list, bypass
    const char* wantConnect;  // server name, port
    const char* wantFlags;
  } kCases[] = {
      {"no scheme", "h/x", {}, "1, null, null", "h, 80", "0x80004010"},
      {"https in capitals", "HTTPS://h/x", {}, "1, null, null", "h, 443", "0x80800010"},
      {"host beginning with https",
       "https-mirror.example/x",
       {},
       "1, null, null",
       "https-mirror.example, 443",
       "0x80800010"},
      {"explicit port", "https://h:8443/x", {}, "1, null, null", "h, 8443", "0x80800010"},
      {"cookies supplied, even empty", "h/x", {.cookies = &emptyCookies}, "1, null, null", "h, 80", "0x80084010"},
      {"no redirect", "h/x", {.noRedirect = 7}, "1, null, null", "h, 80", "0x80204010"},
      {"named proxy", "h/x", {.proxy = Text("p:8080")}, "3, \"http=p:8080\", \"\"", "h, 80", "0x80004010"},
      {"proxy supplied empty", "h/x", {.proxy = Text("")}, "3, \"http=\", \"\"", "h, 80", "0x80004010"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeHttpClient client;
    Fetch({client}, c.address, c.args);
    ASSERT_GE(client.log.size(), 3u);
    EXPECT_EQ(client.log[0], "Open(" + kAgent + ", " + c.wantOpen + ")");
    EXPECT_EQ(client.log[1], std::string("Connect(1, ") + c.wantConnect + ")");
    EXPECT_EQ(client.log[2], std::string("OpenRequest(2, GET, /x, HTTP/1.1, ") + c.wantFlags + ")");
  }
}

TEST(FetchPageCalls, FailureToOpenClosesWhatWasOpenedAndWritesNothing) {
  static const struct {
    const char* name;
    bool failOpen, failConnect, failRequest;
    std::vector<std::string> wantCloses;
  } kCases[] = {
      {"session", true, false, false, {}},
      {"connection", false, true, false, {"CloseHandle(1)"}},
      {"request", false, false, true, {"CloseHandle(2)", "CloseHandle(1)"}},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeHttpClient client;
    client.failOpen = c.failOpen;
    client.failConnect = c.failConnect;
    client.failRequest = c.failRequest;
    Text cookies = "a=1", returned = "r", headers = "X: 1", location = "l", raw = "raw";
    ByteBuffer postBytes;
    ByteBuffer body = Fetch({client}, "h/",
                            {.method = 1,
                             .postText = Text("p"),
                             .cookies = &cookies,
                             .returnedCookies = &returned,
                             .extraHeaders = &headers,
                             .location = &location,
                             .postBytes = &postBytes,
                             .rawHeaders = &raw});
    EXPECT_TRUE(body.empty());
    std::vector<std::string> closes;
    for (const std::string& call : client.log) {
      if (call.starts_with("CloseHandle")) closes.push_back(call);
      EXPECT_FALSE(call.starts_with("SendRequest"));
    }
    EXPECT_EQ(closes, c.wantCloses);
    EXPECT_EQ(cookies, Text("a=1"));
    EXPECT_EQ(returned, Text("r"));
    EXPECT_EQ(headers, Text("X: 1"));
    EXPECT_EQ(location, Text("l"));
    EXPECT_EQ(raw, Text("raw"));
    EXPECT_TRUE(postBytes.empty());
  }
}

TEST(FetchPageCalls, RedirectedCallUsesANamedProxyAndNoCookieStore) {
  FakeHttpClient client({
      {.headers = "HTTP/1.1 301 Moved Permanently\r\nLocation: http://b.example\r\n\r\n", .body = "old"},
      {.body = "new"},
  });
  Text location;
  EXPECT_EQ(Fetch({client}, "a.example/p?q=1", {.location = &location, .noRedirect = 1}),
            ByteBuffer(std::string("new")));
  const std::string headers = "Referer: a.example/p?q=1" + kDefaultLines;
  const std::vector<std::string> want = {
      "Open(" + kAgent + ", 1, null, null)",
      "Connect(1, a.example, 80)",
      "OpenRequest(2, GET, /p?q=1, HTTP/1.1, 0x80204010)",
      "SendRequest(3, " + headers + ", )",
      "QueryRawHeaders(3, 5000)",
      "CloseHandle(3)",
      "CloseHandle(2)",
      "CloseHandle(1)",
      "Open(" + kAgent + ", 3, \"http=\", \"\")",
      "Connect(4, b.example, 80)",
      "OpenRequest(5, GET, /p?q=1, HTTP/1.1, 0x80284010)",
      "SendRequest(6, " + headers + ", )",
      "QueryRawHeaders(6, 5000)",
      "CloseHandle(6)",
      "CloseHandle(5)",
      "CloseHandle(4)",
  };
  EXPECT_EQ(client.log, want);
  EXPECT_EQ(location, Text("HTTP/1.1 200 OK\r\n\r\n"));
}

TEST(FetchPageCalls, FollowsItselfAtMostTheBoundAndHandsBackTheNextAnswer) {
  const std::string moved = "HTTP/1.1 301 Moved Permanently\r\nLocation: http://h\r\n\r\n";
  for (int32_t bound : {0, 3, kFetchRedirectLimit}) {
    SCOPED_TRACE(bound);
    FakeHttpClient client({{.headers = moved, .body = "moved"}});
    Text location, raw;
    ByteBuffer body =
        Fetch({client, kFetchBodyLimit, bound}, "h/x", {.location = &location, .noRedirect = 1, .rawHeaders = &raw});
    EXPECT_EQ(body, ByteBuffer(std::string("moved")));
    EXPECT_EQ(location, Text("http://h"));
    EXPECT_EQ(raw, Text(moved));
    EXPECT_EQ(std::count_if(client.log.begin(), client.log.end(),
                            [](const std::string& call) { return call.starts_with("SendRequest"); }),
              bound + 1);
  }
}

TEST(FetchPageCalls, BodyStopsAtItsBound) {
  FakeHttpClient client({{.body = "", .fillerBytes = 100'000}});
  ByteBuffer body = Fetch({client, 10'000}, "h/");
  EXPECT_EQ(body.size(), 10'000u);
  EXPECT_EQ(*client.readSizes.rbegin(), kReadPieceBytes);
  EXPECT_EQ(*client.readSizes.begin(), 10'000u % kReadPieceBytes);
}

TEST(FetchPageCalls, FailedHeaderQueryLeavesBlanks) {
  FakeHttpClient client({{.headers = std::nullopt, .body = "b"}});
  Text raw, location, emptyLocation, cookies = "x";
  Text blanks(std::string(kRawHeaderBufferBytes, ' '));
  EXPECT_EQ(Fetch({client}, "h/", {.location = &emptyLocation, .rawHeaders = &raw}), ByteBuffer(std::string("b")));
  EXPECT_EQ(raw, blanks);
  EXPECT_EQ(emptyLocation, blanks);
  location = "kept";
  Fetch({client}, "h/", {.location = &location});
  EXPECT_EQ(location, Text("kept"));
}

TEST(FetchPageCalls, TypedBytesThatWouldSplitALineArePercentEncoded) {
  FakeHttpClient client;
  Text headers;
  Fetch({client}, "h/search/A B\r\nX: \x7F\xB0\xA1%/", {.extraHeaders = &headers});
  ASSERT_GE(client.log.size(), 4u);
  EXPECT_EQ(client.log[2], "OpenRequest(2, GET, /search/A%20B%0D%0AX:%20%7F\xB0\xA1%/, HTTP/1.1, 0x80004010)");
  EXPECT_EQ(headers, Text("Referer: h/search/A%20B%0D%0AX:%20%7F\xB0\xA1%/" + kDefaultLines));
}

TEST(FetchPageCalls, UserAgentAndDefaultLinesFromTheExtraHeaders) {
  static const struct {
    const char* name;
    const char* extraHeaders;
    const char* wantAgent;
    const char* wantHeaders;
  } kCases[] = {
      {"lower-case user-agent line, then another", "user-agent:  Mine/1 \r\nX: 1", "Mine/1",
       "user-agent:  Mine/1 \r\nX: 1\r\nReferer: h/\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
       "Content-Type: application/x-www-form-urlencoded"},
      {"user-agent line last: everything after the first colon", "X: 1\r\nUser-Agent: Mine/1",
       "1\r\nUser-Agent: Mine/1",
       "X: 1\r\nUser-Agent: Mine/1\r\nReferer: h/\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
       "Content-Type: application/x-www-form-urlencoded"},
      {"lines present in exact case are not repeated",
       "Referer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: t", nullptr,
       "Referer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: t"},
      {"lower-case referer does not count", "referer: r", nullptr,
       "referer: r\r\nReferer: h/\r\nAccept: */*\r\nAccept-Language: zh-cn\r\n"
       "Content-Type: application/x-www-form-urlencoded"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeHttpClient client;
    Text headers = c.extraHeaders;
    Fetch({client}, "h/", {.extraHeaders = &headers});
    EXPECT_EQ(client.log[0], "Open(" + std::string(c.wantAgent ? c.wantAgent : kDefaultUserAgent) + ", 1, null, null)");
    EXPECT_EQ(headers, Text(c.wantHeaders));
    EXPECT_EQ(client.log[3], "SendRequest(3, " + std::string(c.wantHeaders) + ", )");
  }
}

TEST(FetchPageCalls, BodyFromPostBytesOrPostText) {
  static const struct {
    const char* name;
    int32_t method;
    const char* postBytes;
    const char* wantVerb;
    const char* wantBody;
    const char* wantPostBytes;
  } kCases[] = {
      {"POST sends the post text, written back", 1, "", "POST", "t=1", "t=1"},
      {"POST prefers post bytes", 1, "b=2", "POST", "b=2", "b=2"},
      {"method 2 is a GET with a body", 2, "", "GET", "t=1", "t=1"},
      {"method 0 sends no body", 0, "b=2", "GET", "", "b=2"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    FakeHttpClient client;
    Text headers = "Referer: r\r\nAccept: a\r\nAccept-Language: l\r\nContent-Type: t";
    ByteBuffer postBytes{std::string(c.postBytes)};
    Fetch({client}, "h/",
          {.method = c.method, .postText = Text("t=1"), .extraHeaders = &headers, .postBytes = &postBytes});
    EXPECT_EQ(client.log[2], std::string("OpenRequest(2, ") + c.wantVerb + ", /, HTTP/1.1, 0x80004010)");
    EXPECT_EQ(client.log[3], "SendRequest(3, " + headers.str() + ", " + c.wantBody + ")");
    EXPECT_EQ(postBytes, ByteBuffer(std::string(c.wantPostBytes)));
  }
}

}  // namespace
}  // namespace zarvo
