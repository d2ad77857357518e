// Making a typed text safe for the request line and the header lines: a
// byte that would end or split such a line is percent-encoded, every other
// byte stays as typed.
#ifndef ZARVO_WEB_REQUEST_ESCAPE_H_
#define ZARVO_WEB_REQUEST_ESCAPE_H_

#include "text/text_value.h"

namespace zarvo {

// SplitsRequestLine()
//
// True iff byte `b` would end or split a request or header line: a control
// byte (0x00-0x1F, 0x7F) or the space.
// Example: SplitsRequestLine('\n') == true; SplitsRequestLine('%') == false
inline bool SplitsRequestLine(char c) {
  auto b = static_cast<unsigned char>(c);
  return b <= 0x20 || b == 0x7F;
}

// EscapeRequestText()
//
// `text` with every control byte (0x00-0x1F and 0x7F, so CR and LF too) and
// every space (0x20) written as "%" and two upper-case hex digits. Works on
// raw bytes; no GBK byte is a control byte or a space, so two-byte
// characters pass whole. "%" itself is not encoded.
//
// Example:
//   EscapeRequestText("/search/A B\r\n/") == "/search/A%20B%0D%0A/"
//   EscapeRequestText("/\xB0\xA1%41") == "/\xB0\xA1%41"
Text EscapeRequestText(const Text& text);

}  // namespace zarvo

#endif  // ZARVO_WEB_REQUEST_ESCAPE_H_
