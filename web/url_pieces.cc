#include "web/url_pieces.h"

#include "text/text.h"

namespace zarvo {
namespace {

constexpr char kHttps[] = "https://";
constexpr char kHttp[] = "http://";
constexpr int32_t kHttpsPort = 443;
constexpr int32_t kHttpPort = 80;

}  // namespace

Text UrlHost(const Text& address, std::optional<int32_t> lastTwoLabels, std::optional<int32_t> keepPort) {
  Text work = ToLowerCase(address);
  if (CompareText(TextRight(work, 1), "/") != 0) work = ConcatText(work, "/");

  Text marker;
  if (CompareText(TextLeft(work, TextLength(kHttps)), kHttps) == 0) {
    marker = kHttps;
  } else {
    if (FindText(work, kHttp) == -1) work = ConcatText(kHttp, work);
    marker = kHttp;
  }

  Text host = TextBetween(work, marker, "/");

  if (lastTwoLabels.value_or(0) != 0) {
    TextArray labels = SplitText(host, ".");
    const int32_t n = ArrayCount(labels);
    if (n > 1) host = ConcatText(labels.at(n - 1), ".", labels.at(n));
  }

  if (keepPort.value_or(0) != 0) return host;
  const int32_t colon = FindText(host, ":");
  return colon == -1 ? host : TextLeft(host, colon - 1);
}

int32_t UrlPort(const Text& address) {
  const Text hostAndPort = UrlHost(address, std::nullopt, 1);
  const int32_t colon = FindTextReverse(hostAndPort, ":");
  if (colon != -1) return TextToInt(TextRight(hostAndPort, TextLength(hostAndPort) - colon));
  const bool https = CompareText(TextLeft(ToLowerCase(address), 5), "https") == 0;
  return https ? kHttpsPort : kHttpPort;
}

Text UrlPath(const Text& address) {
  const Text host = UrlHost(address);
  // Look for the host after a leading scheme: a host such as "h" or "s" also
  // occurs inside "https://", and the path must not start at the scheme's "//".
  int32_t searchFrom = 1;
  if (FindText(address, kHttps, std::nullopt, true) == 1) {
    searchFrom += TextLength(kHttps);
  } else if (FindText(address, kHttp, std::nullopt, true) == 1) {
    searchFrom += TextLength(kHttp);
  }
  const int32_t hostAt = FindText(address, host, searchFrom, true);
  const int32_t slash = FindText(address, "/", hostAt, true);
  if (slash == -1) return "/";
  return TextRight(address, TextLength(address) - slash + 1);
}

}  // namespace zarvo
