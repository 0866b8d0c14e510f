// Global hotkeys on X11: each combination grabbed on the root window through
// xcb, also with NumLock and CapsLock, read by a native event filter, and
// grabbed again when the keymap changes.
#pragma once

#include <memory>

#include "app/hotkeys/hotkey_backend.h"

namespace hotkeys {

class X11HotkeyGrabber : public HotkeyBackend {
  Q_OBJECT

 public:
  explicit X11HotkeyGrabber(QObject* parent = nullptr);
  ~X11HotkeyGrabber() override;

  // True when the application runs on an X11 connection (the xcb platform).
  static bool Available();

  void Install(const std::array<HotkeyCombination, kActionCount>& combinations) override;
  void Release() override;

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace hotkeys
