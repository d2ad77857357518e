#include "web/curl_http_client.h"

#include <curl/curl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "web/request_escape.h"

namespace zarvo {

namespace {

using Clock = std::chrono::steady_clock;

// Body bytes waiting for the reader stay below this (plus one delivery of at
// most CURL_MAX_WRITE_SIZE); beyond it the transfer pauses until they are read.
constexpr size_t kPendingLimit = 256 * 1024;

// libcurl receives in pieces of this size (its default is 16 KiB); larger
// pieces mean fewer calls into the kernel for a large body.
constexpr long kReceiveBufferBytes = 256 * 1024;

void InitCurlOnce() {
  static const CURLcode init = curl_global_init(CURL_GLOBAL_DEFAULT);
  (void)init;
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(), [](char c) { return LowerAscii(c); });
  return out;
}

std::string_view TrimBlanks(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// True iff no byte would end or split a request line: no control byte, no
// space, no DEL.
bool FitsRequestLine(std::string_view s) {
  return std::none_of(s.begin(), s.end(), SplitsRequestLine);
}

bool IsServerName(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_';
  });
}

// Pieces of `s` between any of the bytes in `separators`, without empties.
std::vector<std::string_view> SplitAny(std::string_view s, std::string_view separators) {
  std::vector<std::string_view> pieces;
  while (!s.empty()) {
    size_t end = s.find_first_of(separators);
    if (end != 0) pieces.push_back(s.substr(0, end));
    if (end == std::string_view::npos) break;
    s.remove_prefix(end + 1);
  }
  return pieces;
}

// The proxy server a proxy list names for `scheme`, or "" for direct access.
std::string ProxyFor(std::string_view list, std::string_view scheme) {
  for (std::string_view entry : SplitAny(list, " ;")) {
    size_t equals = entry.find('=');
    if (equals == std::string_view::npos) return std::string(entry);
    if (LowerAscii(entry.substr(0, equals)) == scheme) return std::string(entry.substr(equals + 1));
  }
  return "";
}

bool Bypassed(std::string_view bypass, std::string_view host) {
  for (std::string_view entry : SplitAny(bypass, " ;,")) {
    if (entry == "<local>" && host.find('.') == std::string_view::npos) return true;
    if (LowerAscii(entry) == LowerAscii(host)) return true;
  }
  return false;
}

// The absolute form of `location` seen from `base`, or nullopt when it is
// not an HTTP or HTTPS address. `*scheme` receives its scheme.
std::optional<std::string> ResolveLocation(const std::string& base, const std::string& location, std::string* scheme) {
  CURLU* url = curl_url();
  std::optional<std::string> resolved;
  char* text = nullptr;
  char* schemeText = nullptr;
  if (url != nullptr && curl_url_set(url, CURLUPART_URL, base.c_str(), 0) == CURLUE_OK &&
      curl_url_set(url, CURLUPART_URL, location.c_str(), CURLU_URLENCODE | CURLU_ALLOW_SPACE) == CURLUE_OK &&
      curl_url_get(url, CURLUPART_URL, &text, 0) == CURLUE_OK &&
      curl_url_get(url, CURLUPART_SCHEME, &schemeText, 0) == CURLUE_OK) {
    *scheme = LowerAscii(schemeText);
    if (*scheme == "http" || *scheme == "https") resolved = text;
  }
  curl_free(text);
  curl_free(schemeText);
  curl_url_cleanup(url);
  return resolved;
}

// The status code of a status line ("HTTP/1.1 301 Moved" gives 301), or 0.
int StatusCode(std::string_view line) {
  size_t space = line.find(' ');
  if (space == std::string_view::npos) return 0;
  int code = 0;
  for (char c : line.substr(space + 1, 3)) {
    if (c < '0' || c > '9') return 0;
    code = code * 10 + (c - '0');
  }
  return code;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

struct CurlHttpClient::Session {
  std::string agent;
  HttpAccess access = HttpAccess::kDirect;
  std::string proxyList;
  std::string proxyBypass;
};

struct CurlHttpClient::Connection {
  HttpHandle session{};
  std::string host;
  int32_t port = 0;
};

// One request and, once sent, its transfer: one curl handle per hop of a
// redirect chain, driven by a multi handle so the body can be taken piece by
// piece.
struct CurlHttpClient::Request {
  HttpHandle connection{};
  CurlLimits limits;
  Session session;
  std::string host;
  int32_t port = 0;
  std::string verb;
  std::string objectName;
  long httpVersion = CURL_HTTP_VERSION_1_1;
  uint32_t flags = 0;

  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* headerList = nullptr;
  std::string body;
  bool sent = false;
  Clock::time_point giveUpAt;  // when the whole exchange ends, once sent
  bool attached = false;  // the easy handle is in the multi handle
  bool finished = false;  // no more body bytes will come

  // The current hop.
  std::string scheme;
  std::string base;  // its address, for resolving a relative Location
  int hops = 0;

  // The answer being received.
  bool inHeaders = false;
  int status = 0;
  std::string headerBlock;
  std::optional<std::string> location;
  std::optional<std::string> finalHeaders;  // the last complete non-interim block
  std::optional<std::string> nextAddress;   // set when the answer is a redirect to follow
  std::string nextScheme;
  bool delivered = false;  // bytes arrived since the last look

  std::string pending;  // body bytes for the reader, from `pendingRead` on
  size_t pendingRead = 0;
  bool paused = false;

  ~Request() {
    if (attached) curl_multi_remove_handle(multi, easy);
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    curl_slist_free_all(headerList);
  }

  size_t Unread() const { return pending.size() - pendingRead; }

  // The proxy for a hop to `host` by `hopScheme`, "" for direct access.
  std::string ProxyServer(std::string_view hopScheme, std::string_view hopHost) const {
    if (session.access != HttpAccess::kNamedProxy || Bypassed(session.proxyBypass, hopHost)) return "";
    std::string server = ProxyFor(session.proxyList, hopScheme);
    if (!server.empty() && server.find("://") == std::string::npos) server = "http://" + server;
    return server;
  }

  static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
    static_cast<Request*>(self)->HeaderLine(std::string_view(data, size * count));
    return size * count;
  }

  static size_t OnBody(char* data, size_t size, size_t count, void* self) {
    return static_cast<Request*>(self)->BodyBytes(std::string_view(data, size * count));
  }

  void HeaderLine(std::string_view line) {
    delivered = true;
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.substr(0, 5) == "HTTP/") {
      inHeaders = true;
      status = StatusCode(line);
      headerBlock.clear();
      location.reset();
    }
    if (!inHeaders) return;  // trailers after a body
    if (!line.empty()) {
      headerBlock.append(line).append("\r\n");
      size_t colon = line.find(':');
      if (!location && colon != std::string_view::npos && LowerAscii(line.substr(0, colon)) == "location") {
        location = std::string(TrimBlanks(line.substr(colon + 1)));
      }
      return;
    }
    inHeaders = false;
    if (status >= 100 && status < 200) return;  // an interim answer; the real one follows
    finalHeaders = headerBlock + "\r\n";
    nextAddress.reset();
    if ((flags & kHttpNoAutoRedirect) == 0 && IsRedirect(status) && location && !location->empty() &&
        hops < kClientRedirectLimit) {
      std::string targetScheme;
      std::optional<std::string> target = ResolveLocation(base, *location, &targetScheme);
      bool allowed = targetScheme == scheme || (targetScheme == "https" && (flags & kHttpIgnoreRedirectToHttps));
      if (target && allowed) {
        nextAddress = std::move(target);
        nextScheme = targetScheme;
      }
    }
  }

  size_t BodyBytes(std::string_view bytes) {
    delivered = true;
    if (nextAddress) return bytes.size();  // the body of a redirect is dropped
    if (Unread() >= kPendingLimit) {
      paused = true;
      return CURL_WRITEFUNC_PAUSE;
    }
    pending.append(bytes);
    return bytes.size();
  }

  // Sets up the first hop; false when libcurl refuses a setting.
  bool Start(const std::string& headers, std::string_view bodyBytes) {
    easy = curl_easy_init();
    multi = curl_multi_init();
    if (easy == nullptr || multi == nullptr) return false;
    body.assign(bodyBytes);

    scheme = (flags & kHttpSecure) ? "https" : "http";
    std::string origin = scheme + "://" + host + (port != 0 ? ":" + std::to_string(port) : "");
    std::string proxy = ProxyServer(scheme, host);
    // Through a proxy a plain-HTTP request line names the absolute address.
    std::string target = (!proxy.empty() && scheme == "http") ? origin + objectName : objectName;
    base = objectName.starts_with("/") ? origin + objectName : origin + "/";

    bool hasAccept = false, hasContentType = false, hasExpect = false;
    size_t at = 0;
    while (at <= headers.size()) {
      size_t end = headers.find("\r\n", at);
      if (end == std::string::npos) end = headers.size();
      std::string line = headers.substr(at, end - at);
      at = end + 2;
      if (line.empty()) continue;
      size_t colon = line.find(':');
      if (colon != std::string::npos) {
        std::string name = LowerAscii(TrimBlanks(std::string_view(line).substr(0, colon)));
        hasAccept |= name == "accept";
        hasContentType |= name == "content-type";
        hasExpect |= name == "expect";
        // libcurl drops "Name:" with no value; "Name;" sends it empty.
        if (TrimBlanks(std::string_view(line).substr(colon + 1)).empty()) line = line.substr(0, colon) + ";";
      }
      headerList = curl_slist_append(headerList, line.c_str());
    }
    // "Name:" alone switches off a line libcurl would add of its own.
    if (!hasAccept) headerList = curl_slist_append(headerList, "Accept:");
    if (!hasContentType) headerList = curl_slist_append(headerList, "Content-Type:");
    if (!hasExpect) headerList = curl_slist_append(headerList, "Expect:");

    bool ok = curl_easy_setopt(easy, CURLOPT_URL, (origin + "/").c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, target.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, httpVersion) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_USERAGENT, session.agent.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headerList) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferBytes) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count())) ==
                  CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &Request::OnHeader) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_HEADERDATA, this) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Request::OnBody) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_WRITEDATA, this) == CURLE_OK;
    if (verb == "POST") {
      ok = ok && curl_easy_setopt(easy, CURLOPT_POST, 1L) == CURLE_OK;
    } else if (verb == "HEAD") {
      ok = ok && curl_easy_setopt(easy, CURLOPT_NOBODY, 1L) == CURLE_OK;  // an answer to HEAD has no body
    } else if (verb != "GET") {
      ok = ok && curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, verb.c_str()) == CURLE_OK;
    }
    if (verb == "POST" || !body.empty()) {
      ok = ok &&
           curl_easy_setopt(easy, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size())) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_POSTFIELDS, body.data()) == CURLE_OK;
      // A GET with a body keeps its verb.
      if (verb == "GET") ok = ok && curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, "GET") == CURLE_OK;
    }
    return ok && Attach();
  }

  bool Attach() {
    attached = curl_multi_add_handle(multi, easy) == CURLM_OK;
    return attached;
  }

  void Detach() {
    if (attached) curl_multi_remove_handle(multi, easy);
    attached = false;
  }

  // Moves on to the address of a redirect; false when that cannot be set up.
  bool FollowRedirect() {
    Detach();
    // A fresh handle per hop: libcurl counts retries on dead reused
    // connections per handle, and a chain of hops must not use them up.
    CURL* fresh = curl_easy_duphandle(easy);
    if (fresh == nullptr) return false;
    curl_easy_cleanup(easy);
    easy = fresh;
    std::string address = std::move(*nextAddress);
    nextAddress.reset();
    ++hops;
    finalHeaders.reset();
    // 301, 302 and 303 turn the request into a bodiless GET, as browsers do.
    bool toGet = status == 301 || status == 302 || status == 303;
    std::string hopHost;
    char* hostText = nullptr;
    CURLU* url = curl_url();
    if (url != nullptr && curl_url_set(url, CURLUPART_URL, address.c_str(), 0) == CURLUE_OK &&
        curl_url_get(url, CURLUPART_HOST, &hostText, 0) == CURLUE_OK) {
      hopHost = hostText;
    }
    curl_free(hostText);
    curl_url_cleanup(url);

    scheme = nextScheme;
    base = address;
    std::string proxy = ProxyServer(scheme, hopHost);
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, address.c_str()) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_REQUEST_TARGET, nullptr) == CURLE_OK &&
              curl_easy_setopt(easy, CURLOPT_PROXY, proxy.c_str()) == CURLE_OK;
    if (toGet && (verb != "GET" || !body.empty())) {
      ok = ok && curl_easy_setopt(easy, CURLOPT_CUSTOMREQUEST, nullptr) == CURLE_OK &&
           curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L) == CURLE_OK;
    }
    return ok && Attach();
  }

  // Looks at transfers that ended: follows a redirect or marks the end.
  void CollectEnded() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
      if (message->msg != CURLMSG_DONE) continue;
      bool follow = message->data.result == CURLE_OK && nextAddress.has_value();
      if (!follow || !FollowRedirect()) finished = true;
    }
  }

  // Drives the transfer until `ready()` holds, the transfer ends, or
  // nothing arrives within the idle limit or the exchange runs past its
  // limit (either ends the transfer).
  template <typename Ready>
  void Pump(Ready ready) {
    Clock::time_point deadline = std::min(Clock::now() + limits.idleLimit, giveUpAt);
    delivered = false;
    while (!finished && !ready()) {
      int running = 0;
      if (curl_multi_perform(multi, &running) != CURLM_OK) {
        finished = true;
        break;
      }
      CollectEnded();
      if (finished || ready()) break;
      Clock::time_point now = Clock::now();
      if (delivered) {
        delivered = false;
        deadline = std::min(now + limits.idleLimit, giveUpAt);
      }
      if (now >= deadline) {
        Detach();
        finished = true;
        break;
      }
      auto wait = std::chrono::ceil<std::chrono::milliseconds>(deadline - now);
      curl_multi_poll(multi, nullptr, 0, static_cast<int>(std::min<int64_t>(wait.count(), 1000)), nullptr);
    }
  }

  uint32_t Read(char* buffer, uint32_t size) {
    if (Unread() == 0) {
      pending.clear();
      pendingRead = 0;
      if (paused) {
        paused = false;
        curl_easy_pause(easy, CURLPAUSE_CONT);  // may hand over the held bytes at once
      }
      Pump([this] { return Unread() > 0 || paused; });
    }
    size_t n = std::min<size_t>(size, Unread());
    if (n > 0) std::memcpy(buffer, pending.data() + pendingRead, n);
    pendingRead += n;
    return static_cast<uint32_t>(n);
  }
};

CurlHttpClient::CurlHttpClient(CurlLimits limits) : limits_(limits) { InitCurlOnce(); }

CurlHttpClient::~CurlHttpClient() = default;

HttpHandle CurlHttpClient::NextHandle() { return HttpHandle{++lastHandle_}; }

CurlHttpClient::Request* CurlHttpClient::FindRequest(HttpHandle handle) {
  auto it = requests_.find(handle);
  return it == requests_.end() ? nullptr : it->second.get();
}

HttpHandle CurlHttpClient::Open(const Text& agent, HttpAccess access, const std::optional<Text>& proxyList,
                                const std::optional<Text>& proxyBypass) {
  if (access != HttpAccess::kDirect && access != HttpAccess::kNamedProxy) return kNoHandle;
  auto session = std::make_unique<Session>();
  // The agent is one header value: it ends at a line break.
  session->agent = agent.str().substr(0, agent.view().find_first_of("\r\n"));
  session->access = access;
  if (proxyList) session->proxyList = proxyList->str();
  if (proxyBypass) session->proxyBypass = proxyBypass->str();
  HttpHandle handle = NextHandle();
  sessions_.emplace(handle, std::move(session));
  return handle;
}

HttpHandle CurlHttpClient::Connect(HttpHandle session, const Text& serverName, int32_t port) {
  if (!sessions_.contains(session) || !IsServerName(serverName.view()) || port < 0 || port > 65535) {
    return kNoHandle;
  }
  auto connection = std::make_unique<Connection>();
  connection->session = session;
  connection->host = serverName.str();
  connection->port = port;
  HttpHandle handle = NextHandle();
  connections_.emplace(handle, std::move(connection));
  return handle;
}

HttpHandle CurlHttpClient::OpenRequest(HttpHandle connection, const Text& verb, const Text& objectName,
                                       const Text& version, uint32_t flags) {
  auto it = connections_.find(connection);
  if (it == connections_.end() || verb.empty() || !FitsRequestLine(verb.view()) ||
      !FitsRequestLine(objectName.view())) {
    return kNoHandle;
  }
  long httpVersion;
  if (version.empty() || version.view() == "HTTP/1.1") {
    httpVersion = CURL_HTTP_VERSION_1_1;
  } else if (version.view() == "HTTP/1.0") {
    httpVersion = CURL_HTTP_VERSION_1_0;
  } else {
    return kNoHandle;
  }
  auto request = std::make_unique<Request>();
  request->connection = connection;
  request->limits = limits_;
  request->session = *sessions_.at(it->second->session);
  request->host = it->second->host;
  request->port = it->second->port;
  request->verb = verb.str();
  request->objectName = objectName.empty() ? "/" : objectName.str();
  request->httpVersion = httpVersion;
  request->flags = flags;
  HttpHandle handle = NextHandle();
  requests_.emplace(handle, std::move(request));
  return handle;
}

bool CurlHttpClient::SendRequest(HttpHandle handle, const Text& headers, std::string_view body) {
  Request* request = FindRequest(handle);
  if (request == nullptr || request->sent) return false;
  request->sent = true;
  request->giveUpAt = Clock::now() + request->limits.exchangeLimit;
  if (!request->Start(headers.str(), body)) {
    request->finished = true;
    return false;
  }
  request->Pump([request] { return request->finalHeaders.has_value() && !request->nextAddress.has_value(); });
  return request->finalHeaders.has_value();
}

bool CurlHttpClient::ReadFile(HttpHandle handle, char* buffer, uint32_t size, uint32_t* bytesRead) {
  Request* request = FindRequest(handle);
  *bytesRead = 0;
  if (request == nullptr || !request->sent) return false;
  *bytesRead = request->Read(buffer, size);
  return true;
}

bool CurlHttpClient::QueryRawHeaders(HttpHandle handle, char* buffer, uint32_t* length) {
  Request* request = FindRequest(handle);
  if (request == nullptr || !request->finalHeaders) return false;
  const std::string& headers = *request->finalHeaders;
  if (headers.size() + 1 > *length) {
    *length = static_cast<uint32_t>(headers.size() + 1);
    return false;
  }
  std::memcpy(buffer, headers.data(), headers.size());
  buffer[headers.size()] = '\0';
  *length = static_cast<uint32_t>(headers.size());
  return true;
}

bool CurlHttpClient::CloseHandle(HttpHandle handle) {
  if (requests_.erase(handle) > 0) return true;
  if (connections_.contains(handle)) {
    std::erase_if(requests_, [handle](const auto& entry) { return entry.second->connection == handle; });
    connections_.erase(handle);
    return true;
  }
  if (sessions_.contains(handle)) {
    std::vector<HttpHandle> owned;
    for (const auto& [h, connection] : connections_) {
      if (connection->session == handle) owned.push_back(h);
    }
    for (HttpHandle h : owned) CloseHandle(h);
    sessions_.erase(handle);
    return true;
  }
  return false;
}

}  // namespace zarvo
