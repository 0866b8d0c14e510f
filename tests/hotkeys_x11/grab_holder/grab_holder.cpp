// Another X client holding a key combination, as a desktop's own shortcut
// would: grab_holder <keysym> <modifiers>... grabs the key with each modifier
// mask on the root window and prints "grabbed" or "refused". A line
// "release" on stdin gives the grabs back (the server has done so when
// "released" is printed); end of input ends the program.
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: grab_holder <keysym> <modifiers>...\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (xcb_connection_has_error(c)) {
    std::printf("no display\n");
    return 1;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(c);
  const auto keysym = static_cast<xcb_keysym_t>(std::strtoul(argv[1], nullptr, 0));
  std::vector<xcb_keycode_t> keycodes;
  if (xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym)) {
    for (xcb_keycode_t* k = codes; *k != XCB_NO_SYMBOL; ++k) keycodes.push_back(*k);
    std::free(codes);
  }
  std::vector<std::uint16_t> masks;
  for (int i = 2; i < argc; ++i) masks.push_back(static_cast<std::uint16_t>(std::strtoul(argv[i], nullptr, 0)));
  bool refused = keycodes.empty();
  for (const xcb_keycode_t k : keycodes)
    for (const std::uint16_t m : masks)
      if (xcb_generic_error_t* e = xcb_request_check(
              c, xcb_grab_key_checked(c, 1, root, m, k, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC))) {
        refused = true;
        std::free(e);
      }
  std::printf(refused ? "refused\n" : "grabbed\n");
  std::fflush(stdout);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (line != "release") continue;
    for (const xcb_keycode_t k : keycodes)
      for (const std::uint16_t m : masks) xcb_ungrab_key(c, k, root, m);
    // A round trip: the ungrabs are done before the answer is printed.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    std::printf("released\n");
    std::fflush(stdout);
  }
  xcb_key_symbols_free(symbols);
  xcb_disconnect(c);
  return 0;
}
