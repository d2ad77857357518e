#include "text/join.h"

namespace zarvo {

int32_t CompareText(const Text& a, const Text& b) {
  // string_view compares through char_traits<char>, which orders bytes as
  // unsigned values.
  int c = a.view().compare(b.view());
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace zarvo
