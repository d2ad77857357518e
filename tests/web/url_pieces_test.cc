#include "web/url_pieces.h"

#include <gtest/gtest.h>

namespace zarvo {
namespace {

TEST(UrlPieces, Table) {
  static const struct {
    const char* name;
    const char* address;
    const char* host;
    int32_t port;
    const char* path;
  } kCases[] = {
      {"search address without scheme", "Index.Example:80/search/ABC-123/", "index.example", 80, "/search/ABC-123/"},
      {"search address, default port", "index.example/search/abc/", "index.example", 80, "/search/abc/"},
      {"https in capitals", "HTTPS://Secure.Example/x", "secure.example", 443, "/x"},
      {"explicit port wins over scheme", "https://h.example:8443/p", "h.example", 8443, "/p"},
      {"host also inside the scheme", "http://h:8080/a/b?c=1", "h", 8080, "/a/b?c=1"},
      // The port rule looks only at the first five characters of the address.
      {"host beginning with https", "HttpsMirror.example/x", "httpsmirror.example", 443, "/x"},
      {"no slash after host", "http://h.example", "h.example", 80, "/"},
      {"empty port", "h.example:/x", "h.example", 0, "/x"},
      // "http://" anywhere suppresses the prefix; the host is then read after it.
      {"http:// inside a query", "first.example/go?u=http://second.example/x", "second.example", 80, "/x"},
      {"path keeps its case", "HOST.example/Search/AbC/", "host.example", 80, "/Search/AbC/"},
      {"GBK bytes in the path pass through", "h/search/\xB0\xA1/", "h", 80, "/search/\xB0\xA1/"},
      {"empty address", "", "", 80, "/"},
      {"one-letter host inside https", "https://s/p", "s", 443, "/p"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UrlHost(c.address), Text(c.host));
    EXPECT_EQ(UrlPort(c.address), c.port);
    EXPECT_EQ(UrlPath(c.address), Text(c.path));
  }
}

TEST(UrlHost, Options) {
  static const struct {
    const char* name;
    const char* address;
    int32_t lastTwoLabels, keepPort;
    const char* want;
  } kCases[] = {
      {"three labels keep two", "http://a.b.example/x", 1, 0, "b.example"},
      {"single label unchanged", "http://localhost/x", 1, 0, "localhost"},
      {"port removed after reduction", "a.b.example:81/x", 1, 0, "b.example"},
      {"port kept", "a.b.example:81/x", 0, 1, "a.b.example:81"},
      {"both", "a.b.example:81/x", 1, 1, "b.example:81"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(UrlHost(c.address, c.lastTwoLabels, c.keepPort), Text(c.want));
  }
}

}  // namespace
}  // namespace zarvo
