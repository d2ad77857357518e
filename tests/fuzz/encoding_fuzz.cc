// Converts arbitrary bytes between UTF-8, UTF-16 and GBK and checks sizes
// and round trips.
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "text/text.h"
#include "text/encoding.h"

namespace {

bool HasReplacementCharacter(const zarvo::ByteBuffer& units) {
  const std::string_view u = units.view();
  for (size_t i = 0; i + 1 < u.size(); i += 2) {
    if (static_cast<unsigned char>(u[i]) == 0xFD && static_cast<unsigned char>(u[i + 1]) == 0xFF) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace zarvo;
  using fuzz::Check;
  const std::string_view in(reinterpret_cast<const char*>(data), size);
  const ByteBuffer bytes(in);

  // GBK needs at most two bytes per UTF-16 unit ('?' takes one).
  const ByteBuffer units = Utf8ToUtf16Bytes(bytes);
  const ByteBuffer gbk = Utf8ToGbkBytes(bytes);
  Check(gbk.size() <= units.size(), "GBK at most two bytes per unit");
  Check(units.size() % 2 == 0, "whole units");

  // The text path stops at the first zero byte and never grows past that.
  const Text text(in);
  const Text converted = Utf8TextToGbk(text);
  Check(converted.size() <= 2 * text.size(), "Utf8TextToGbk size");

  // Valid GBK comes back byte for byte through UTF-16.
  const ByteBuffer fromGbk = TextToUtf16Bytes(text, 936);
  if (!HasReplacementCharacter(fromGbk)) {
    Check(Utf16BytesToText(fromGbk, 936) == text, "GBK round trip");
  }
  // Valid UTF-8 too.
  const ByteBuffer fromUtf8 = TextToUtf16Bytes(text);
  if (!HasReplacementCharacter(fromUtf8)) {
    Check(Utf16BytesToText(fromUtf8, 65001) == text, "UTF-8 round trip");
  }
  return 0;
}
