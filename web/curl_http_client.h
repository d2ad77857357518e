// CurlHttpClient: the HttpClient on libcurl. Each request is one transfer
// driven in steps, so the body streams through a small buffer to the reader
// instead of being held whole.
//
// Beyond what HttpClient promises:
//   - The request line is the verb, the object name exactly as given (the
//     absolute address when the request goes through a proxy) and the
//     version. Then come Host, User-Agent (unless the header text has one),
//     the header text's lines in their order, and Content-Length when a body
//     is sent. No Accept, Content-Type or Expect line is added of its own.
//   - Redirects (301, 302, 303, 307, 308 with a Location) are followed by
//     the client, at most kClientRedirectLimit times; beyond that the last
//     answer is handed back. 301, 302 and 303 turn the next request into a
//     GET without a body. A redirect the flags do not allow is handed back.
//   - Connecting gives up after `connectTimeout`; a transfer that delivers
//     nothing for `idleLimit` ends, and so does one still running
//     `exchangeLimit` after it was sent (a server trickling a byte now and
//     then, or sending interim answers forever); reading then delivers 0.
//   - The agent is one header value: it ends at its first line break.
//   - No proxy settings or other configuration are read from the
//     environment.
//
// Example:
//   CurlHttpClient client;                       // the limits below
//   CurlHttpClient quick({.idleLimit = std::chrono::milliseconds(200)});
#ifndef ZARVO_WEB_CURL_HTTP_CLIENT_H_
#define ZARVO_WEB_CURL_HTTP_CLIENT_H_

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string_view>

#include "text/text_value.h"
#include "web/http_client.h"

namespace zarvo {

inline constexpr std::chrono::milliseconds kConnectTimeout{15'000};
inline constexpr std::chrono::milliseconds kIdleReadLimit{30'000};
// The whole exchange, redirects included: enough for the largest body the
// fetch keeps (64 MiB) at about half a megabyte a second.
inline constexpr std::chrono::milliseconds kExchangeLimit{120'000};
inline constexpr int32_t kClientRedirectLimit = 10;

struct CurlLimits {
  std::chrono::milliseconds connectTimeout = kConnectTimeout;
  std::chrono::milliseconds idleLimit = kIdleReadLimit;
  std::chrono::milliseconds exchangeLimit = kExchangeLimit;
};

class CurlHttpClient final : public HttpClient {
 public:
  explicit CurlHttpClient(CurlLimits limits = {});
  ~CurlHttpClient() override;
  CurlHttpClient(const CurlHttpClient&) = delete;
  CurlHttpClient& operator=(const CurlHttpClient&) = delete;

  HttpHandle Open(const Text& agent, HttpAccess access, const std::optional<Text>& proxyList,
                  const std::optional<Text>& proxyBypass) override;
  HttpHandle Connect(HttpHandle session, const Text& serverName, int32_t port) override;
  HttpHandle OpenRequest(HttpHandle connection, const Text& verb, const Text& objectName, const Text& version,
                         uint32_t flags) override;
  bool SendRequest(HttpHandle request, const Text& headers, std::string_view body) override;
  bool ReadFile(HttpHandle request, char* buffer, uint32_t size, uint32_t* bytesRead) override;
  bool QueryRawHeaders(HttpHandle request, char* buffer, uint32_t* length) override;
  bool CloseHandle(HttpHandle handle) override;

 private:
  struct Session;
  struct Connection;
  struct Request;

  Request* FindRequest(HttpHandle handle);
  HttpHandle NextHandle();

  CurlLimits limits_;
  uint64_t lastHandle_ = 0;
  std::map<HttpHandle, std::unique_ptr<Session>> sessions_;
  std::map<HttpHandle, std::unique_ptr<Connection>> connections_;
  std::map<HttpHandle, std::unique_ptr<Request>> requests_;
};

}  // namespace zarvo

#endif  // ZARVO_WEB_CURL_HTTP_CLIENT_H_
