// FetchPage: one complete HTTP exchange. It opens a session, connects,
// sends one request with its default header lines, reads the whole body and
// the raw response headers, closes every handle, and only then looks at the
// headers: it gathers the returned cookies, picks the Location, follows a
// "301" answer by calling itself, and converts a body that declares
// "charset=utf-8" from UTF-8 to GBK.
//
// The call blocks until it is done. It keeps nothing between calls. No
// failure is reported: a request that cannot be opened gives an empty body,
// and a send, read or header query that fails leaves what it left.
#ifndef ZARVO_WEB_FETCH_PAGE_H_
#define ZARVO_WEB_FETCH_PAGE_H_

#include <cstddef>
#include <cstdint>
#include <optional>

#include "text/byte_buffer.h"
#include "text/text_value.h"
#include "web/http_client.h"

namespace zarvo {

// The user agent when the extra headers name none.
inline constexpr char kDefaultUserAgent[] =
    "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1; KQ9ZT; .NET CLR 2.0.50727; .NET CLR 3.0.04506.648; "
    ".NET CLR 3.5.21022)";

// The body is read in pieces of this many bytes.
inline constexpr uint32_t kReadPieceBytes = 1024;

// The raw headers are queried through a buffer of this many bytes; headers
// that do not fit with their terminating zero leave it as blanks.
inline constexpr uint32_t kRawHeaderBufferBytes = 5000;

// Reading stops after this many body bytes, and the call goes on with them.
inline constexpr size_t kFetchBodyLimit = 64 * 1024 * 1024;

// A server may answer "301" forever. The call follows at most this many
// "301" answers in one chain; the next one is handed back as it is, as if
// it were any other answer (its body, and `location` holding its target).
inline constexpr int32_t kFetchRedirectLimit = 10;

// What a fetch runs on: the HTTP client, and the two bounds above (tests
// shorten them).
struct FetchSetup {
  HttpClient& client;
  size_t bodyLimit = kFetchBodyLimit;
  int32_t redirectLimit = kFetchRedirectLimit;
};

// FetchPage()
//
// Fetches `address` ([http:// or https://] host [:port] [path]) and returns
// the body, converted to GBK when "charset=utf-8" (exactly so, lower case)
// starts within its first 499 bytes or occurs in the raw headers. Empty when
// the session, connection or request cannot be opened; then no argument is
// written. Optional inputs read as 0 or empty when omitted; omitted outputs
// (null pointers) are not written.
//
//   method           1: POST; anything else: GET. Non-zero sends a body.
//   postText         the body when `postBytes` is empty.
//   cookies          in/out. Non-empty: sent in a Cookie line. Supplied
//                    (non-null, even empty): no cookie store is used, and
//                    afterwards it holds its merge with the returned cookies.
//   returnedCookies  out: "name=value; " for each Set-Cookie line.
//   extraHeaders     in/out: header lines separated by CR LF; the default
//                    lines (Referer, Accept, Accept-Language, Content-Type)
//                    missing from it are appended, so it ends as the header
//                    text that was sent. A User-Agent line there is the agent.
//   location         out: the last "Location:" value, else the raw headers.
//   noRedirect       non-zero: the client follows no redirect itself.
//   postBytes        in/out: the body; when empty and `method` is non-zero,
//                    it is set to the bytes of `postText` first.
//   proxy            supplied: the proxy list "http=" + proxy (an empty
//                    value means direct access); omitted: direct access.
//   rawHeaders       out: the raw response headers, CR LF separated.
//
// The address reaches the request line and the Referer line with each
// control byte and space percent-encoded (see EscapeRequestText).
//
// Example:
//   ByteBuffer page = FetchPage("index.example/search/ABC/");
//   Text raw;
//   FetchPage("h/", std::nullopt, std::nullopt, nullptr, nullptr, nullptr, nullptr, std::nullopt,
//             nullptr, std::nullopt, &raw);   // raw == "HTTP/1.1 200 OK\r\n...\r\n\r\n"
ByteBuffer FetchPage(const Text& address, std::optional<int32_t> method = std::nullopt,
                     std::optional<Text> postText = std::nullopt, Text* cookies = nullptr,
                     Text* returnedCookies = nullptr, Text* extraHeaders = nullptr, Text* location = nullptr,
                     std::optional<int32_t> noRedirect = std::nullopt, ByteBuffer* postBytes = nullptr,
                     std::optional<Text> proxy = std::nullopt, Text* rawHeaders = nullptr);

// The same on the client and bounds of `setup`; the form above runs on a
// fresh libcurl client with the standard limits.
ByteBuffer FetchPage(const FetchSetup& setup, const Text& address, std::optional<int32_t> method = std::nullopt,
                     std::optional<Text> postText = std::nullopt, Text* cookies = nullptr,
                     Text* returnedCookies = nullptr, Text* extraHeaders = nullptr, Text* location = nullptr,
                     std::optional<int32_t> noRedirect = std::nullopt, ByteBuffer* postBytes = nullptr,
                     std::optional<Text> proxy = std::nullopt, Text* rawHeaders = nullptr);

}  // namespace zarvo

#endif  // ZARVO_WEB_FETCH_PAGE_H_
