#include "app/tray/stay_above_x11.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWindow>
#include <cstdlib>
#include <cstring>

namespace {
xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  if (!reply) return XCB_ATOM_NONE;
  const xcb_atom_t atom = reply->atom;
  std::free(reply);
  return atom;
}
}  // namespace

void RequestStayAbove(QWindow* window, bool above) {
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !window || !window->isVisible()) return;
  // The offscreen platform answers as X11 too, without a connection.
  xcb_connection_t* c = x11->connection();
  if (!c) return;
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  if (!screen) return;
  constexpr uint32_t kRemove = 0, kAdd = 1, kFromApplication = 1;
  xcb_client_message_event_t event;
  std::memset(&event, 0, sizeof event);
  event.response_type = XCB_CLIENT_MESSAGE;
  event.format = 32;
  event.window = static_cast<xcb_window_t>(window->winId());
  event.type = Atom(c, "_NET_WM_STATE");
  event.data.data32[0] = above ? kAdd : kRemove;
  event.data.data32[1] = Atom(c, "_NET_WM_STATE_ABOVE");
  event.data.data32[3] = kFromApplication;
  xcb_send_event(c, 0, screen->root, XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                 reinterpret_cast<const char*>(&event));
  xcb_flush(c);
}
