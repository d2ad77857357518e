#include "app/x11_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>

namespace zarvo {
namespace {

xcb_atom_t InternAtom(xcb_connection_t* connection, const char* name) {
  xcb_intern_atom_cookie_t cookie =
      xcb_intern_atom(connection, 0, static_cast<uint16_t>(std::strlen(name)), name);
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
  if (!reply) return XCB_ATOM_NONE;
  xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}

}  // namespace

bool HideFromTaskbar(QWidget& window) {
  auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return false;
  xcb_connection_t* connection = x11->connection();
  xcb_atom_t state = InternAtom(connection, "_NET_WM_STATE");
  xcb_atom_t skipTaskbar = InternAtom(connection, "_NET_WM_STATE_SKIP_TASKBAR");
  if (state == XCB_ATOM_NONE || skipTaskbar == XCB_ATOM_NONE) return false;
  // Before the window is mapped the state is simply the property's content;
  // Qt adds its own states to it on showing and keeps this one.
  xcb_change_property(connection, XCB_PROP_MODE_APPEND, static_cast<xcb_window_t>(window.winId()),
                      state, XCB_ATOM_ATOM, 32, 1, &skipTaskbar);
  xcb_flush(connection);
  return true;
}

}  // namespace zarvo
