// Chooses how this session receives global hotkeys: the desktop portal's
// GlobalShortcuts on Wayland, key grabs on the root window on X11, nothing
// when neither is there. Tests replace the choice.
#pragma once

#include <functional>
#include <memory>

#include "app/hotkeys/hotkey_backend.h"

namespace hotkeys {

using HotkeyBackendFactory = std::function<std::unique_ptr<HotkeyBackend>()>;

// True in a Wayland session (WAYLAND_DISPLAY set or XDG_SESSION_TYPE=wayland).
bool IsWaylandSession();
// The backend for this session, or null when hotkeys cannot work here.
std::unique_ptr<HotkeyBackend> MakeHotkeyBackend();
// Replaces MakeHotkeyBackend's choice; an empty factory restores it.
void SetHotkeyBackendFactory(HotkeyBackendFactory factory);

}  // namespace hotkeys
