#include "app/hotkeys/x11/x11_keyboard_map.h"

#include <X11/keysym.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>
#include <memory>

#include "settings/hotkey_sections.h"

namespace hotkeys {

X11KeyboardMap::X11KeyboardMap(xcb_connection_t* connection)
    : connection_(connection), symbols_(xcb_key_symbols_alloc(connection)) {
  const xcb_get_modifier_mapping_cookie_t cookie = xcb_get_modifier_mapping(connection_);
  std::unique_ptr<xcb_get_modifier_mapping_reply_t, decltype(&std::free)> reply(
      xcb_get_modifier_mapping_reply(connection_, cookie, nullptr), &std::free);
  if (reply) {
    keycodes_per_modifier_ = reply->keycodes_per_modifier;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(reply.get());
    modifier_keys_.assign(codes, codes + xcb_get_modifier_mapping_keycodes_length(reply.get()));
  }
  if (const std::uint16_t alt = ModifierMaskOf({XK_Alt_L, XK_Alt_R})) alt_mask_ = alt;
  num_lock_mask_ = ModifierMaskOf({XK_Num_Lock});
}

X11KeyboardMap::~X11KeyboardMap() {
  if (symbols_) xcb_key_symbols_free(symbols_);
}

xcb_keysym_t X11KeyboardMap::KeysymOfKey(int index) {
  if (index < 0 || index >= kKeyCount) return 0;
  if (index < 10) return XK_0 + index;
  if (index < kFirstFunctionKey) return XK_a + (index - 10);  // the unshifted column
  return XK_F1 + (index - kFirstFunctionKey);
}

std::vector<xcb_keycode_t> X11KeyboardMap::KeycodesOf(xcb_keysym_t keysym) const {
  std::vector<xcb_keycode_t> result;
  if (!symbols_ || keysym == 0) return result;
  xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols_, keysym);
  if (!codes) return result;
  for (const xcb_keycode_t* c = codes; *c != XCB_NO_SYMBOL; ++c) result.push_back(*c);
  std::free(codes);
  return result;
}

std::uint16_t X11KeyboardMap::ModifierMaskOf(std::initializer_list<xcb_keysym_t> keysyms) const {
  if (!symbols_ || keycodes_per_modifier_ == 0) return 0;
  for (int modifier = 0; modifier < 8; ++modifier) {
    for (int k = 0; k < keycodes_per_modifier_; ++k) {
      const xcb_keycode_t code = modifier_keys_[static_cast<size_t>(modifier * keycodes_per_modifier_ + k)];
      if (code == 0) continue;
      // Four columns cover the plain and shifted symbols of both groups.
      for (int column = 0; column < 4; ++column) {
        const xcb_keysym_t sym = xcb_key_symbols_get_keysym(symbols_, code, column);
        for (const xcb_keysym_t wanted : keysyms)
          if (sym == wanted) return static_cast<std::uint16_t>(1u << modifier);
      }
    }
  }
  return 0;
}

}  // namespace hotkeys
