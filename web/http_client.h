// HttpClient: the HTTP client the page fetch runs on, as seven operations on
// handles: open a session, connect it to a server, open a request on the
// connection, send it, read the response body, query the raw response
// headers, and close a handle.
//
// A handle is an opaque number; kNoHandle (zero) means that opening failed.
// Sessions own connections and connections own requests: closing a handle
// closes everything opened on it. Every call is synchronous and none throws.
//
// Example:
//   HttpHandle session = client.Open("agent/1", HttpAccess::kDirect, std::nullopt, std::nullopt);
//   HttpHandle connection = client.Connect(session, "example.com", 80);
//   HttpHandle request = client.OpenRequest(connection, "GET", "/", "HTTP/1.1", kHttpReload);
//   client.SendRequest(request, "Accept: */*", "");
//   char piece[1024];
//   uint32_t count = 0;
//   while (client.ReadFile(request, piece, sizeof piece, &count), count > 0) { ... }
//   client.CloseHandle(request); client.CloseHandle(connection); client.CloseHandle(session);
#ifndef ZARVO_WEB_HTTP_CLIENT_H_
#define ZARVO_WEB_HTTP_CLIENT_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "text/text_value.h"

namespace zarvo {

enum class HttpHandle : uint64_t {};
inline constexpr HttpHandle kNoHandle{0};

// How a session reaches servers.
enum class HttpAccess : int32_t {
  kDirect = 1,      // straight to the server
  kNamedProxy = 3,  // through the proxies of a proxy list
};

// Request flags. A request always carries kHttpReload | kHttpNeedFile.
//
// kHttpReload: never answer from a cache (this client keeps none).
// kHttpNeedFile: a cache file is wanted (this client keeps none).
// kHttpNoCookies: keep no cookie store; cookies travel only in the header
//   text given to SendRequest (this client never keeps a store).
// kHttpNoAutoRedirect: hand back a 3xx answer as it is. Without it the client
//   follows redirects itself, and the raw headers and the body are those of
//   the final answer.
// kHttpSecure: HTTPS.
// kHttpIgnoreRedirectToHttps: a plain-HTTP request may be redirected to HTTPS.
//   Without it such a redirect is not followed, and neither is one from
//   HTTPS down to HTTP.
inline constexpr uint32_t kHttpReload = 0x80000000;
inline constexpr uint32_t kHttpNeedFile = 0x10;
inline constexpr uint32_t kHttpNoCookies = 0x80000;
inline constexpr uint32_t kHttpNoAutoRedirect = 0x200000;
inline constexpr uint32_t kHttpSecure = 0x800000;
inline constexpr uint32_t kHttpIgnoreRedirectToHttps = 0x4000;

class HttpClient {
 public:
  virtual ~HttpClient() = default;

  // Open()
  //
  // Opens a session whose requests name `agent` as their user agent (unless
  // the header text carries its own User-Agent line). With kNamedProxy,
  // `proxyList` holds entries "scheme=server:port" separated by spaces or
  // ";"; an entry without "scheme=" serves every scheme, and an entry whose
  // server is empty means direct access. Hosts in `proxyBypass` (same
  // separators) are reached directly. Both are null (nullopt) for kDirect.
  // Returns kNoHandle when the session cannot be opened.
  virtual HttpHandle Open(const Text& agent, HttpAccess access, const std::optional<Text>& proxyList,
                          const std::optional<Text>& proxyBypass) = 0;

  // Connect()
  //
  // Names the server and port of later requests; nothing goes over the wire
  // yet. Port 0 means the scheme's default port. Returns kNoHandle when
  // `session` is not an open session or the name or port cannot be a server's.
  virtual HttpHandle Connect(HttpHandle session, const Text& serverName, int32_t port) = 0;

  // OpenRequest()
  //
  // Prepares one request: `verb`, the object name (path and query) placed
  // into the request line byte for byte, the version text ("HTTP/1.1") and
  // the request flags above. Returns kNoHandle when `connection` is not an
  // open connection or the texts cannot form a request line.
  virtual HttpHandle OpenRequest(HttpHandle connection, const Text& verb, const Text& objectName, const Text& version,
                                 uint32_t flags) = 0;

  // SendRequest()
  //
  // Sends the request with `headers` (lines separated by CR LF, no trailing
  // line break; sent in their order after the request line) and `body`, and
  // waits for the response headers. A POST always carries its body and
  // length; another verb carries a body only when it is not empty. Returns
  // true iff response headers arrived.
  virtual bool SendRequest(HttpHandle request, const Text& headers, std::string_view body) = 0;

  // ReadFile()
  //
  // Copies the next at most `size` body bytes into `buffer` and sets
  // `*bytesRead` to their number. 0 means the body has ended: completely,
  // by a failure, or because nothing arrived within the idle limit.
  // Returns false when the request is not an open, sent request.
  virtual bool ReadFile(HttpHandle request, char* buffer, uint32_t size, uint32_t* bytesRead) = 0;

  // QueryRawHeaders()
  //
  // Writes the response's status line and header lines, each ended by
  // CR LF, then one empty line (CR LF) and a terminating zero byte into
  // `buffer` of `*length` bytes, sets `*length` to the count without the
  // zero and returns true. When they do not fit (zero included), writes
  // nothing, sets `*length` to the size needed and returns false; with no
  // response headers, writes nothing and returns false.
  //
  // Example: "HTTP/1.1 200 OK\r\nA: b\r\n\r\n" fits a 24-byte buffer, not a 23-byte one
  virtual bool QueryRawHeaders(HttpHandle request, char* buffer, uint32_t* length) = 0;

  // CloseHandle()
  //
  // Closes `handle` and every handle opened on it, ending any transfer.
  // Returns false when it is not an open handle.
  virtual bool CloseHandle(HttpHandle handle) = 0;
};

}  // namespace zarvo

#endif  // ZARVO_WEB_HTTP_CLIENT_H_
