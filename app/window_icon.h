// The window's icon: a magnifying glass over a green disc, drawn in code at
// 32 x 32 and 48 x 48 pixels with an alpha channel (32 bits per pixel).
#ifndef ZARVO_APP_WINDOW_ICON_H_
#define ZARVO_APP_WINDOW_ICON_H_

#include <QIcon>

namespace zarvo {

// WindowIcon()
//
// A new icon holding exactly two images, 32 x 32 and 48 x 48.
// Example: WindowIcon().availableSizes() == {QSize(32, 32), QSize(48, 48)}
QIcon WindowIcon();

}  // namespace zarvo

#endif  // ZARVO_APP_WINDOW_ICON_H_
