#include "web/fetch_page.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "text/encoding.h"
#include "text/text.h"
#include "web/cookies.h"
#include "web/curl_http_client.h"
#include "web/request_escape.h"
#include "web/url_pieces.h"

namespace zarvo {

namespace {

constexpr char kHttpVersion[] = "HTTP/1.1";
constexpr char kProxyListPrefix[] = "http=";
constexpr char kUserAgentMarker[] = "User-Agent:";
constexpr char kLineBreak[] = "\r\n";
constexpr char kRefererLine[] = "Referer: ";
constexpr char kAcceptLine[] = "\r\nAccept: */*";
constexpr char kLanguageLine[] = "\r\nAccept-Language: zh-cn";
constexpr char kContentTypeLine[] = "\r\nContent-Type: application/x-www-form-urlencoded";
constexpr char kCookieLine[] = "\r\nCookie: ";
constexpr char kStatusStart[] = "HTTP/1.1 ";
constexpr char kStatusEnd[] = " Moved";
constexpr char kFollowedStatus[] = "301";
constexpr char kCharsetMarker[] = "charset=utf-8";
// A declaration in the body counts only when it starts before this byte.
constexpr int32_t kCharsetProbeEnd = 500;
// A body this small gives back the rest of its reservation; a copy of it is cheap.
constexpr size_t kShrinkBodiesUpTo = 1 << 20;

// One call's view of its parameters: every output is a variable, the
// caller's own or a local standing in for an omitted one. `cookies` stays
// null when omitted, because that changes the behaviour.
struct Call {
  const FetchSetup& setup;
  int32_t depth;  // "301" answers followed so far in this chain
  const Text& address;
  int32_t method;
  const Text& postText;
  Text* cookies;
  Text& returnedCookies;
  Text& extraHeaders;
  Text& location;
  int32_t noRedirect;
  ByteBuffer& postBytes;
  const std::optional<Text>& proxy;
  Text& rawHeaders;
};

void AppendUnlessPresent(Text& headers, const char* name, const char* line) {
  if (FindText(headers, name) == -1) headers = ConcatText(headers, line);
}

// True iff the answer is "301" and the chain has not reached its bound.
bool FollowsItself(const Call& c) {
  Text status = TextBetween(c.rawHeaders, kStatusStart, kStatusEnd);
  return CompareText(status, kFollowedStatus) == 0 && c.depth < c.setup.redirectLimit;
}

ByteBuffer Fetch(const Call& c) {
  HttpClient& client = c.setup.client;

  // 1. Verb.
  Text verb = c.method == 1 ? "POST" : "GET";

  // 2. User agent.
  Text agent = kDefaultUserAgent;
  if (FindText(c.extraHeaders, kUserAgentMarker, std::nullopt, true) != -1) {
    agent = TrimText(TextBetween(c.extraHeaders, kUserAgentMarker, kLineBreak));
    if (agent.empty()) agent = ValueAfterColon(c.extraHeaders);
  }

  // 3. Session.
  HttpHandle session =
      c.proxy ? client.Open(agent, HttpAccess::kNamedProxy, ConcatText(kProxyListPrefix, *c.proxy), Text(""))
              : client.Open(agent, HttpAccess::kDirect, std::nullopt, std::nullopt);
  if (session == kNoHandle) return ByteBuffer();

  // 4. Connection.
  HttpHandle connection = client.Connect(session, UrlHost(c.address), UrlPort(c.address));
  if (connection == kNoHandle) {
    client.CloseHandle(session);
    return ByteBuffer();
  }

  // 5. Request flags.
  uint32_t flags = kHttpReload | kHttpNeedFile;
  if (c.cookies != nullptr) flags |= kHttpNoCookies;
  if (c.noRedirect != 0) flags |= kHttpNoAutoRedirect;
  if (CompareText(ToLowerCase(TextLeft(c.address, 5)), "https") == 0) {
    flags |= kHttpSecure;
  } else {
    flags |= kHttpIgnoreRedirectToHttps;
  }

  // 6. Request. A typed address must not end or split the request line.
  HttpHandle request = client.OpenRequest(connection, verb, EscapeRequestText(UrlPath(c.address)), kHttpVersion, flags);
  if (request == kNoHandle) {
    client.CloseHandle(connection);
    client.CloseHandle(session);
    return ByteBuffer();
  }

  // 7. Header text, built in the caller's variable.
  if (FindText(c.extraHeaders, "Referer:") == -1) {
    Text referer = EscapeRequestText(c.address);
    c.extraHeaders = c.extraHeaders.empty() ? ConcatText(kRefererLine, referer)
                                            : ConcatText(c.extraHeaders, kLineBreak, kRefererLine, referer);
  }
  AppendUnlessPresent(c.extraHeaders, "Accept:", kAcceptLine);
  AppendUnlessPresent(c.extraHeaders, "Accept-Language:", kLanguageLine);
  AppendUnlessPresent(c.extraHeaders, "Content-Type:", kContentTypeLine);
  if (c.cookies != nullptr && !c.cookies->empty()) {
    c.extraHeaders = ConcatText(c.extraHeaders, kCookieLine, *c.cookies);
  }

  // 8. Send.
  if (c.method != 0) {
    if (c.postBytes.empty()) c.postBytes = TextToBytes(c.postText);
    client.SendRequest(request, c.extraHeaders, c.postBytes.view());
  } else {
    client.SendRequest(request, c.extraHeaders, "");
  }

  // 9. Body, piece by piece, up to the bound. The whole bound is reserved
  // at once: untouched pages cost no memory, and the body then grows
  // without ever being copied.
  std::string bytes;
  bytes.reserve(std::min(c.setup.bodyLimit, kFetchBodyLimit));
  char piece[kReadPieceBytes];
  while (bytes.size() < c.setup.bodyLimit) {
    uint32_t want = static_cast<uint32_t>(std::min<size_t>(kReadPieceBytes, c.setup.bodyLimit - bytes.size()));
    uint32_t count = 0;
    client.ReadFile(request, piece, want, &count);
    if (count == 0) break;
    bytes.append(piece, std::min(count, want));
  }
  if (bytes.size() <= kShrinkBodiesUpTo) bytes.shrink_to_fit();
  ByteBuffer body(std::move(bytes));

  // 10. Raw headers, through a buffer of blanks that a failed query leaves.
  std::string buffer = BlankText(kRawHeaderBufferBytes).Release();
  uint32_t length = kRawHeaderBufferBytes;
  client.QueryRawHeaders(request, buffer.data(), &length);
  c.rawHeaders = Text(std::move(buffer));

  // 11. Close, innermost first.
  client.CloseHandle(request);
  client.CloseHandle(connection);
  client.CloseHandle(session);

  // 12. Header scan.
  TextArray lines = SplitText(c.rawHeaders, kLineBreak);
  c.returnedCookies = Text();
  for (const Text& line : lines.elements()) {
    if (FindText(line, "Location:") != -1) c.location = ValueAfterColon(line);
    if (FindText(line, "Set-Cookie") != -1) {
      c.returnedCookies = ConcatText(c.returnedCookies, TrimText(TextBetween(line, "Set-Cookie:", ";")), "; ");
    }
  }

  // 13. Cookie merge.
  if (c.cookies != nullptr) MergeCookies(c.cookies, &c.returnedCookies);

  // 14. Location fallback.
  if (c.location.empty()) c.location = c.rawHeaders;

  // 15. A "301" answer: fetch the new address with every parameter supplied.
  if (FollowsItself(c)) {
    Text next = ConcatText(c.location, UrlPath(c.address));
    c.location = Text();
    Text cookiesStandIn;
    return Fetch(Call{c.setup, c.depth + 1, next, c.method, c.postText,
                      c.cookies != nullptr ? c.cookies : &cookiesStandIn, c.returnedCookies, c.extraHeaders, c.location,
                      c.noRedirect, c.postBytes, std::optional<Text>(c.proxy.value_or(Text())), c.rawHeaders});
  }

  // 16. Charset.
  Text marker = kCharsetMarker;
  int32_t probeBytes = kCharsetProbeEnd - 1 + TextLength(marker) - 1;
  int32_t at = FindBytes(BytesLeft(body, probeBytes), TextToBytes(marker));
  if ((at != -1 && at < kCharsetProbeEnd) || FindText(c.rawHeaders, marker) != -1) body = Utf8ToGbkBytes(body);
  return body;
}

}  // namespace

ByteBuffer FetchPage(const FetchSetup& setup, const Text& address, std::optional<int32_t> method,
                     std::optional<Text> postText, Text* cookies, Text* returnedCookies, Text* extraHeaders,
                     Text* location, std::optional<int32_t> noRedirect, ByteBuffer* postBytes,
                     std::optional<Text> proxy, Text* rawHeaders) {
  Text returnedCookiesStandIn, extraHeadersStandIn, locationStandIn, rawHeadersStandIn;
  ByteBuffer postBytesStandIn;
  Text postTextValue = postText.value_or(Text());
  return Fetch(Call{setup, 0, address, method.value_or(0), postTextValue, cookies,
                    returnedCookies != nullptr ? *returnedCookies : returnedCookiesStandIn,
                    extraHeaders != nullptr ? *extraHeaders : extraHeadersStandIn,
                    location != nullptr ? *location : locationStandIn, noRedirect.value_or(0),
                    postBytes != nullptr ? *postBytes : postBytesStandIn, proxy,
                    rawHeaders != nullptr ? *rawHeaders : rawHeadersStandIn});
}

ByteBuffer FetchPage(const Text& address, std::optional<int32_t> method, std::optional<Text> postText, Text* cookies,
                     Text* returnedCookies, Text* extraHeaders, Text* location, std::optional<int32_t> noRedirect,
                     ByteBuffer* postBytes, std::optional<Text> proxy, Text* rawHeaders) {
  CurlHttpClient client;
  return FetchPage(FetchSetup{client}, address, method, std::move(postText), cookies, returnedCookies, extraHeaders,
                   location, noRedirect, postBytes, std::move(proxy), rawHeaders);
}

}  // namespace zarvo
