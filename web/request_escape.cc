#include "web/request_escape.h"

#include <string>

namespace zarvo {

Text EscapeRequestText(const Text& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text.view()) {
    auto b = static_cast<unsigned char>(c);
    if (b <= 0x20 || b == 0x7F) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
    } else {
      out += c;
    }
  }
  return Text(std::move(out));
}

}  // namespace zarvo
