#include "app/qt_text.h"

#include <string_view>

#include "text/byte_buffer.h"
#include "text/encoding.h"

namespace zarvo {

QString ToQString(const Text& text) {
  ByteBuffer units = TextToUtf16Bytes(text, kCodePageGbk);
  // The last unit is the terminating zero.
  qsizetype count = static_cast<qsizetype>(units.size() / 2);
  if (count > 0) --count;
  QString out(count, Qt::Uninitialized);
  for (qsizetype i = 0; i < count; ++i) {
    unsigned char low = static_cast<unsigned char>(units.data()[2 * i]);
    unsigned char high = static_cast<unsigned char>(units.data()[2 * i + 1]);
    out[i] = QChar(static_cast<char16_t>(low | (high << 8)));
  }
  return out;
}

Text FromQString(const QString& string) {
  std::string bytes;
  bytes.resize(static_cast<size_t>(string.size()) * 2);
  for (qsizetype i = 0; i < string.size(); ++i) {
    char16_t unit = string[i].unicode();
    bytes[2 * i] = static_cast<char>(unit & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(unit >> 8);
  }
  return Utf16BytesToText(ByteBuffer(std::move(bytes)), kCodePageGbk);
}

}  // namespace zarvo
