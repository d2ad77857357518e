// Splitting an address into the pieces an HTTP request needs: the server
// name, the port and the object name (path with any query).
//
// An address is [scheme] host [":" port] [path], where the scheme is
// "http://" or "https://" in any case, or absent (then plain HTTP). None of
// these report an error: every input yields some text or number.
#ifndef ZARVO_WEB_URL_PIECES_H_
#define ZARVO_WEB_URL_PIECES_H_

#include <cstdint>
#include <optional>

#include "text/text_value.h"

namespace zarvo {

// UrlHost()
//
// The lower-cased host of `address`: the text after the scheme marker up to
// the next "/". The marker is "https://" only when the address starts with
// it; otherwise "http://" is prefixed unless it occurs anywhere in the
// address (even inside a query, where the host is then read after it).
// `lastTwoLabels` non-zero keeps the last two dot-separated labels;
// `keepPort` non-zero keeps a ":port" suffix. Omitted options count as 0.
//
// Example:
//   UrlHost("HTTPS://A.Example.com:81/x") == "a.example.com"
//   UrlHost("a.example.com:81/x", 1, 1) == "example.com:81"
//   UrlHost("h/q?u=http://other/") == "other"
Text UrlHost(const Text& address, std::optional<int32_t> lastTwoLabels = std::nullopt,
             std::optional<int32_t> keepPort = std::nullopt);

// UrlPort()
//
// The number after the last ":" of the host with its port (an empty number
// is 0); without one, 443 when the address's first five characters are
// "https" in any case, otherwise 80.
//
// Example: UrlPort("h:8080/x") == 8080; UrlPort("HTTPS://h/") == 443;
//          UrlPort("https-mirror.example/") == 443   // by its first letters
int32_t UrlPort(const Text& address);

// UrlPath()
//
// The address from the first "/" after the host to its end, with the case
// of the address as passed; "/" when there is none. The host is looked for
// after a leading scheme, so a short host that also occurs inside the scheme
// ("h" in "http://h/x") still gives "/x".
//
// Example: UrlPath("Host:81/Search/AB/?q=1") == "/Search/AB/?q=1";
//          UrlPath("http://h") == "/"
Text UrlPath(const Text& address);

}  // namespace zarvo

#endif  // ZARVO_WEB_URL_PIECES_H_
