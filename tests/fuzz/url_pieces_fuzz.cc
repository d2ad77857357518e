// Feeds arbitrary addresses to the URL splitters and checks their results
// are pieces of the address.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fuzz_support.h"
#include "text/text.h"
#include "web/url_pieces.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zarvo;
  if (size == 0) return 0;
  const int32_t flags = data[0];
  const Text address(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));

  const Text host = UrlHost(address, flags & 1, flags & 2);
  (void)UrlPort(address);
  const Text path = UrlPath(address);

  using fuzz::Check;
  Check(!path.view().empty() && path.view()[0] == '/', "path starts with /");
  const std::string_view a = address.view();
  Check(path == Text("/") || (a.size() >= path.size() && a.substr(a.size() - path.size()) == path.view()),
        "path is the tail of the address");
  // A "/" byte may still hide inside a two-byte character.
  Check(FindText(host, "/") == -1, "host holds no / character");
  return 0;
}
