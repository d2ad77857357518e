#include "web/request_escape.h"

#include <string>

namespace zarvo {

Text EscapeRequestText(const Text& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char c : text.view()) {
    if (SplitsRequestLine(c)) {
      auto b = static_cast<unsigned char>(c);
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
