#include "wm_requests.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace tray_x11 {

namespace {
unsigned Atom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply =
      xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  if (!reply) return 0;
  const unsigned atom = reply->atom;
  std::free(reply);
  return atom;
}
}  // namespace

WmRequests::WmRequests() {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    xcb_disconnect(c);
    return;
  }
  connection_ = c;
  state_ = Atom(c, "_NET_WM_STATE");
  above_ = Atom(c, "_NET_WM_STATE_ABOVE");
  const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_change_window_attributes(c, screen->root, XCB_CW_EVENT_MASK, &mask);
  xcb_flush(c);
}

WmRequests::~WmRequests() {
  if (connection_) xcb_disconnect(connection_);
}

void WmRequests::Read() {
  while (xcb_generic_event_t* event = xcb_poll_for_event(connection_)) {
    if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE) {
      const auto* m = reinterpret_cast<const xcb_client_message_event_t*>(event);
      const uint32_t* l = m->data.data32;
      if (m->type == state_ && m->format == 32 && (l[1] == above_ || l[2] == above_) && l[0] <= 1)
        last_[m->window] = l[0] == 1;
    }
    std::free(event);
  }
}

std::optional<bool> WmRequests::LastAbove(WId window) {
  if (!connection_) return std::nullopt;
  Read();
  const auto found = last_.find(window);
  if (found == last_.end()) return std::nullopt;
  return found->second;
}

}  // namespace tray_x11
