#include "app/hotkeys/x11/x11_xkb_events.h"

#include <cstdlib>
#include <memory>

// xkb.h names a structure member "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace hotkeys {

namespace {
template <class T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;
}

bool EnableDetectableAutoRepeat(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(connection, &xcb_xkb_id);
  if (!ext || !ext->present) return false;
  Reply<xcb_xkb_use_extension_reply_t> use(
      xcb_xkb_use_extension_reply(connection, xcb_xkb_use_extension(connection, 1, 0), nullptr), &std::free);
  if (!use || !use->supported) return false;
  const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
  Reply<xcb_xkb_per_client_flags_reply_t> flags(
      xcb_xkb_per_client_flags_reply(
          connection, xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr),
      &std::free);
  return flags && (flags->supported & flag) && (flags->value & flag);
}

std::uint8_t XkbFirstEvent(xcb_connection_t* connection) {
  const xcb_query_extension_reply_t* ext = xcb_get_extension_data(connection, &xcb_xkb_id);
  return ext && ext->present ? ext->first_event : 0;
}

bool IsXkbKeymapChange(const xcb_generic_event_t* event, std::uint8_t xkbFirstEvent) {
  if (xkbFirstEvent == 0 || (event->response_type & 0x7f) != xkbFirstEvent) return false;
  const auto* any = reinterpret_cast<const xcb_xkb_new_keyboard_notify_event_t*>(event);
  return any->xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || any->xkbType == XCB_XKB_MAP_NOTIFY;
}

}  // namespace hotkeys
