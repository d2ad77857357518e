// The crossing between GBK `Text` and Qt's UTF-16 strings. The window's
// operations take and give `Text`; the widgets hold QString. These two
// functions are the only place the two meet.
//
// Example:
//   ToQString("\xD6\xD0") == QString::fromUtf8("中")
//   FromQString(QStringLiteral("中")) == "\xD6\xD0"
#ifndef ZARVO_APP_QT_TEXT_H_
#define ZARVO_APP_QT_TEXT_H_

#include <QString>

#include "text/text_value.h"

namespace zarvo {

// ToQString()
//
// `text` read as GBK. A malformed byte sequence becomes U+FFFD.
QString ToQString(const Text& text);

// FromQString()
//
// `string` as GBK, up to its first NUL character; a character that GBK
// lacks becomes '?'.
Text FromQString(const QString& string);

}  // namespace zarvo

#endif  // ZARVO_APP_QT_TEXT_H_
