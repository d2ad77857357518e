// FetchPage against a real HTTP server on 127.0.0.1 that answers scripted
// bytes and records the bytes of every request.
#include "web/fetch_page.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "tests/support/loopback_server.h"
#include "tests/web/fetch_args.h"
#include "web/curl_http_client.h"

namespace zarvo {
namespace {

using ::zarvo::testing::LoopbackServer;
using ::zarvo::testing::RefusedLoopbackPort;
using ::zarvo::testing::ScriptedReply;

const CurlLimits kQuick{.connectTimeout = std::chrono::milliseconds(2000), .idleLimit = std::chrono::milliseconds(300)};
const std::string kAgent = kDefaultUserAgent;
const std::string kDefaultLines =
    "\r\nAccept: */*\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";

ByteBuffer Bytes(const std::string& s) { return ByteBuffer(s); }

class FetchPageTest : public ::testing::Test {
 protected:
  CurlHttpClient client_{kQuick};
  FetchSetup setup_{client_};
};

TEST_F(FetchPageTest, SearchRequestCarriesFourDefaultLinesExactly) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\n\r\npage"}});
  const std::string address = server.Address("/search/ABC/");
  Text headers;
  EXPECT_EQ(Fetch(setup_, address, {.extraHeaders = &headers}), Bytes("page"));
  const std::string lines = "Referer: " + address + kDefaultLines;
  EXPECT_EQ(headers, Text(lines));
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET /search/ABC/ HTTP/1.1\r\nHost: " + server.Address("") +
                                      "\r\nUser-Agent: " + kAgent + "\r\n" + lines + "\r\n\r\n");
}

TEST_F(FetchPageTest, PlainFormRunsOnItsOwnClient) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\npage"}});
  EXPECT_EQ(FetchPage(server.Address("/search/ABC/")), Bytes("page"));
}

TEST_F(FetchPageTest, UserAgentLineTakesThePlaceOfTheDefaultAgent) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\n\r\n"}});
  Text headers = "user-agent: Mine/1";
  Fetch(setup_, server.Address("/"), {.extraHeaders = &headers});
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET / HTTP/1.1\r\nHost: " + server.Address("") + "\r\nuser-agent: Mine/1" +
                                      "\r\nReferer: " + server.Address("/") + kDefaultLines + "\r\n\r\n");
}

TEST_F(FetchPageTest, MethodChoosesTheVerbAndWhetherABodyGoes) {
  static const struct {
    int32_t method;
    const char* wantStart;
  } kCases[] = {
      {1, "POST /form HTTP/1.1\r\n"},
      {2, "GET /form HTTP/1.1\r\n"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.method);
    LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\n\r\ndone"}});
    ByteBuffer postBytes;
    EXPECT_EQ(Fetch(setup_, server.Address("/form"),
                    {.method = c.method, .postText = Text("k=v&x=\xB0\xA1"), .postBytes = &postBytes}),
              Bytes("done"));
    EXPECT_EQ(postBytes, Bytes("k=v&x=\xB0\xA1"));
    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    EXPECT_TRUE(request.starts_with(c.wantStart));
    EXPECT_NE(request.find("\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: 8\r\n\r\n"),
              std::string::npos);
    EXPECT_TRUE(request.ends_with("\r\n\r\nk=v&x=\xB0\xA1"));
  }
}

TEST_F(FetchPageTest, GathersSetCookieLinesAndMergesWhenCookiesAreSupplied) {
  const std::string reply =
      "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; Path=/\r\nSet-Cookie:  b=2 ; HttpOnly\r\nSet-Cookie: bare=3\r\n\r\n";
  {
    SCOPED_TRACE("cookies omitted");
    LoopbackServer server({{.bytes = reply}});
    Text returned;
    Fetch(setup_, server.Address("/"), {.returnedCookies = &returned});
    EXPECT_EQ(returned, Text("a=1; b=2; ; "));
    EXPECT_EQ(server.Requests()[0].find("Cookie:"), std::string::npos);
  }
  {
    SCOPED_TRACE("cookies supplied empty");
    LoopbackServer server({{.bytes = reply}});
    Text cookies, returned;
    Fetch(setup_, server.Address("/"), {.cookies = &cookies, .returnedCookies = &returned});
    EXPECT_EQ(returned, Text("a=1;b=2;;"));
    EXPECT_EQ(cookies, Text("a=1; b=2"));  // a trailing empty item falls away
    EXPECT_EQ(server.Requests()[0].find("Cookie:"), std::string::npos);
  }
  {
    SCOPED_TRACE("cookies supplied");
    LoopbackServer server({{.bytes = reply}});
    Text cookies = "a=0; s=1", returned;
    Fetch(setup_, server.Address("/"), {.cookies = &cookies, .returnedCookies = &returned});
    EXPECT_EQ(cookies, Text("a=1; b=2; ; s=1"));
    EXPECT_NE(server.Requests()[0].find(kDefaultLines + "\r\nCookie: a=0; s=1\r\n\r\n"), std::string::npos);
  }
}

TEST_F(FetchPageTest, LocationIsTheLastLocationLineElseTheRawHeaders) {
  static const struct {
    const char* name;
    const char* headerLines;
    const char* before;
    const char* want;  // nullptr: the raw headers
  } kCases[] = {
      {"last of two lines, colons kept", "Location: /a\r\nLocation:  http://x:81/b \r\n", "", "http://x:81/b"},
      {"Content-Location counts", "Content-Location: /c\r\n", "", "/c"},
      {"none: the raw headers", "X: 1\r\n", "", nullptr},
      {"none, and not empty before: kept", "X: 1\r\n", "kept", "kept"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string head = std::string("HTTP/1.1 200 OK\r\n") + c.headerLines + "\r\n";
    LoopbackServer server({{.bytes = head + "body"}});
    Text location = c.before, raw;
    Fetch(setup_, server.Address("/"), {.location = &location, .rawHeaders = &raw});
    EXPECT_EQ(raw, Text(head));
    EXPECT_EQ(location, Text(c.want ? c.want : head));
  }
}

TEST_F(FetchPageTest, Follows301ItselfThroughAProxyListAndCookieMerge) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\nSet-Cookie: b=2; Path=/\r\n\r\nnew page"}});
  // The Location names the server by its address; the path comes from the first address.
  LoopbackServer mover({{.bytes = "HTTP/1.1 301 Moved Permanently\r\nLocation: http://" + server.Address("") +
                                  "\r\nSet-Cookie: a=1; Path=/\r\n\r\nold page"}});
  const std::string first = mover.Address("/p?q=1");
  Text cookies = "s=1", returned, headers, location, raw;
  ByteBuffer body = Fetch(setup_, first,
                          {.cookies = &cookies,
                           .returnedCookies = &returned,
                           .extraHeaders = &headers,
                           .location = &location,
                           .noRedirect = 1,
                           .rawHeaders = &raw});
  EXPECT_EQ(body, Bytes("new page"));
  ASSERT_EQ(mover.Requests().size(), 1u);
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0], "GET /p?q=1 HTTP/1.1\r\nHost: " + server.Address("") + "\r\nUser-Agent: " + kAgent +
                                      "\r\nReferer: " + first + kDefaultLines +
                                      "\r\nCookie: s=1\r\nCookie: a=1; s=1\r\n\r\n");
  EXPECT_EQ(cookies, Text("b=2; a=1; s=1"));
  EXPECT_EQ(returned, Text("b=2;"));
  EXPECT_EQ(raw, Text("HTTP/1.1 200 OK\r\nSet-Cookie: b=2; Path=/\r\n\r\n"));
  EXPECT_EQ(location, raw);
  EXPECT_EQ(headers, Text("Referer: " + first + kDefaultLines + "\r\nCookie: s=1\r\nCookie: a=1; s=1"));
}

TEST_F(FetchPageTest, RedirectedCallWithoutCookiesCarriesNoCookieLine) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\n\r\nnew"}});
  LoopbackServer mover({{.bytes = "HTTP/1.1 301 Moved Permanently\r\nLocation: http://" + server.Address("") +
                                  "\r\nSet-Cookie: a=1\r\n\r\n"}});
  EXPECT_EQ(Fetch(setup_, mover.Address("/p"), {.noRedirect = 1}), Bytes("new"));
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].find("Cookie"), std::string::npos);
}

TEST_F(FetchPageTest, AnswersThatAreNot301OnHttp11AreHandedBack) {
  static const struct {
    const char* name;
    const char* statusLine;
    int32_t noRedirect;
    const char* want;
  } kCases[] = {
      {"302 Moved", "HTTP/1.1 302 Moved Temporarily", 1, "moved body"},
      {"HTTP/1.0 301", "HTTP/1.0 301 Moved Permanently", 1, "moved body"},
      {"302 followed by the client itself", "HTTP/1.1 302 Moved Temporarily", 0, "final"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    LoopbackServer server({{.bytes = std::string(c.statusLine) + "\r\nLocation: /final\r\n\r\nmoved body"},
                           {.bytes = "HTTP/1.1 200 OK\r\n\r\nfinal"}});
    EXPECT_EQ(Fetch(setup_, server.Address("/"), {.noRedirect = c.noRedirect}), Bytes(c.want));
  }
}

TEST_F(FetchPageTest, ConvertsBodiesThatDeclareUtf8) {
  const std::string marker = "charset=utf-8";
  const std::string han = "\xE4\xB8\xAD";  // U+4E2D in UTF-8; D6 D0 in GBK
  auto bodyWithMarkerAt = [&](size_t position, const std::string& m) {
    return std::string(position - 1, 'x') + m + han;
  };
  static const struct {
    const char* name;
    size_t position;
    bool upper;
    const char* contentType;
    bool converted;
  } kCases[] = {
      {"in the body at byte 1", 1, false, "text/html", true},
      {"in the body at byte 499", 499, false, "text/html", true},
      {"in the body at byte 500", 500, false, "text/html", false},
      {"in the headers only", 500, false, "text/html; charset=utf-8", true},
      {"in capitals, body and headers", 1, true, "text/html; charset=UTF-8", false},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string m = c.upper ? "charset=UTF-8" : marker;
    const std::string body = bodyWithMarkerAt(c.position, m);
    LoopbackServer server(
        {{.bytes = std::string("HTTP/1.1 200 OK\r\nContent-Type: ") + c.contentType + "\r\n\r\n" + body}});
    const std::string want = c.converted ? std::string(c.position - 1, 'x') + m + "\xD6\xD0" : body;
    EXPECT_EQ(Fetch(setup_, server.Address("/")), Bytes(want));
  }
}

TEST_F(FetchPageTest, HeadersBeyondTheBufferLeaveBlanksButTheBodyComes) {
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\nX: " + std::string(5000, 'p') +
                                   "\r\nLocation: /x\r\nContent-Type: text/html; charset=utf-8\r\n\r\n\xE4\xB8\xAD"}});
  Text location, raw;
  ByteBuffer body = Fetch(setup_, server.Address("/"), {.location = &location, .rawHeaders = &raw});
  const Text blanks(std::string(kRawHeaderBufferBytes, ' '));
  EXPECT_EQ(raw, blanks);
  EXPECT_EQ(location, blanks);
  EXPECT_EQ(body, Bytes("\xE4\xB8\xAD"));  // the charset in the lost headers is not seen
}

TEST_F(FetchPageTest, ServersThatSayNothingOrRefuseGiveAnEmptyBody) {
  LoopbackServer silent({ScriptedReply{.silent = true}});
  Text raw, location;
  auto started = std::chrono::steady_clock::now();
  EXPECT_TRUE(Fetch(setup_, silent.Address("/"), {.location = &location, .rawHeaders = &raw}).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));  // gave up, did not hang
  EXPECT_EQ(raw, Text(std::string(kRawHeaderBufferBytes, ' ')));

  raw = Text();
  EXPECT_TRUE(Fetch(setup_, "127.0.0.1:" + std::to_string(RefusedLoopbackPort()) + "/", {.rawHeaders = &raw}).empty());
  EXPECT_EQ(raw, Text(std::string(kRawHeaderBufferBytes, ' ')));
}

TEST_F(FetchPageTest, ReadsABodyOfSeveralMebibytesWhole) {
  const size_t kSize = 6 * 1024 * 1024 + 123;
  LoopbackServer server({{.bytes = "HTTP/1.1 200 OK\r\n\r\n", .fillerBytes = kSize, .filler = 'm'}});
  ByteBuffer body = Fetch(setup_, server.Address("/big"));
  EXPECT_EQ(body.size(), kSize);
  EXPECT_EQ(body.view().find_first_not_of('m'), std::string_view::npos);
}

}  // namespace
}  // namespace zarvo
