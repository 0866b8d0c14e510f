// What the X server's keyboard map says about our hotkeys: the keycodes that
// carry a key of the hotkey table, and which modifier bits mean Alt and
// NumLock. Read once; a changed keymap needs a new instance.
#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

struct _XCBKeySymbols;

namespace hotkeys {

class X11KeyboardMap {
 public:
  explicit X11KeyboardMap(xcb_connection_t* connection);
  ~X11KeyboardMap();
  X11KeyboardMap(const X11KeyboardMap&) = delete;
  X11KeyboardMap& operator=(const X11KeyboardMap&) = delete;

  // The keysym of table key 0..47 ("0".."9", "A".."Z", "F1".."F12"); 0 outside.
  static xcb_keysym_t KeysymOfKey(int index);
  // Every keycode that produces the keysym in some column; empty when none does.
  std::vector<xcb_keycode_t> KeycodesOf(xcb_keysym_t keysym) const;

  // The modifier bit of Alt (Mod1 when the map names no Alt key) and of
  // NumLock (0 when no modifier carries NumLock).
  std::uint16_t AltMask() const { return alt_mask_; }
  std::uint16_t NumLockMask() const { return num_lock_mask_; }

 private:
  // The bit of the first modifier whose keys carry one of the keysyms; 0 when none.
  std::uint16_t ModifierMaskOf(std::initializer_list<xcb_keysym_t> keysyms) const;

  xcb_connection_t* connection_;
  _XCBKeySymbols* symbols_;
  std::vector<xcb_keycode_t> modifier_keys_;  // 8 rows of keycodes_per_modifier
  int keycodes_per_modifier_ = 0;
  std::uint16_t alt_mask_ = XCB_MOD_MASK_1;
  std::uint16_t num_lock_mask_ = 0;
};

}  // namespace hotkeys
