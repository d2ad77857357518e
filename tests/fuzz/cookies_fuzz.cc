// Merges arbitrary sent and received cookie texts and checks the result's
// shape: no spaces, no deleted items, no duplicates. (An empty item, which a
// Set-Cookie line without attributes gives, may leave a separator at the end.)
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>

#include "fuzz_support.h"
#include "text/text.h"
#include "web/cookies.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zarvo;
  std::string_view in(reinterpret_cast<const char*>(data), size);
  size_t cut = in.find('\n');
  Text sent(in.substr(0, cut));
  Text received(cut == std::string_view::npos ? std::string_view() : in.substr(cut + 1));

  using fuzz::Check;
  const Text merged = MergeCookies(&sent, &received);
  Check(merged == sent, "result written to sent");
  Check(FindText(received, " ") == -1 && FindText(received, "\xA1\xA1") == -1, "received without spaces");

  std::set<std::string> seen;
  TextArray items = SplitText(merged, "; ");
  for (const Text& item : items.elements()) {
    Check(seen.insert(std::string(item.view())).second, "no duplicates");
    Check(TextRight(item, 8) != Text("=deleted"), "no deleted items");
  }
  return 0;
}
