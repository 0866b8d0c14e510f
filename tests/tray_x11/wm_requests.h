// What windows ask the window manager about their stacking: the
// _NET_WM_STATE_ABOVE requests sent to the root window, watched on a
// connection of the test's own (the X server delivers them to every client
// that selects substructure events on the root).
#pragma once

#include <QWidget>
#include <map>
#include <optional>

struct xcb_connection_t;

namespace tray_x11 {

class WmRequests {
 public:
  WmRequests();
  ~WmRequests();
  bool connected() const { return connection_ != nullptr; }
  // The last request for a window, after reading what has arrived: true to
  // keep it above, false no longer; nothing before any.
  std::optional<bool> LastAbove(WId window);

 private:
  void Read();
  xcb_connection_t* connection_ = nullptr;
  unsigned state_ = 0, above_ = 0;  // atoms
  std::map<WId, bool> last_;
};

}  // namespace tray_x11
