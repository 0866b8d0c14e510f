#include "app/hotkeys/hotkey_route.h"

#include <QGuiApplication>

#include "app/hotkeys/portal/portal_global_shortcuts.h"
#include "app/hotkeys/x11/x11_hotkey_grabber.h"

namespace hotkeys {

namespace {
HotkeyBackendFactory& Override() {
  static HotkeyBackendFactory factory;
  return factory;
}
}  // namespace

bool IsWaylandSession() {
  return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
         qEnvironmentVariable("XDG_SESSION_TYPE").compare(QLatin1String("wayland"), Qt::CaseInsensitive) == 0;
}

std::unique_ptr<HotkeyBackend> MakeHotkeyBackend() {
  if (Override()) return Override()();
  // Through XWayland a grab sees only keys typed into X11 windows, so a
  // Wayland session uses the portal or nothing.
  if (IsWaylandSession()) {
    if (PortalGlobalShortcuts::Available()) return std::make_unique<PortalGlobalShortcuts>();
    return nullptr;
  }
  if (X11HotkeyGrabber::Available()) return std::make_unique<X11HotkeyGrabber>();
  return nullptr;
}

void SetHotkeyBackendFactory(HotkeyBackendFactory factory) { Override() = std::move(factory); }

}  // namespace hotkeys
