// The XKB side of key grabs: a held key reported as one press (detectable
// auto-repeat) and recognising XKB's keymap change events.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>

namespace hotkeys {

// Asks the server to send a held key's repeats as presses without the
// releases in between. False when XKB or the flag is not supported.
bool EnableDetectableAutoRepeat(xcb_connection_t* connection);

// The first event code of the XKB extension; 0 when it is absent.
std::uint8_t XkbFirstEvent(xcb_connection_t* connection);

// True for XKB's new-keyboard and map notifications (xkbFirstEvent from XkbFirstEvent).
bool IsXkbKeymapChange(const xcb_generic_event_t* event, std::uint8_t xkbFirstEvent);

}  // namespace hotkeys
