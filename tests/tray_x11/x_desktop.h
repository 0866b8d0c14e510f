// A desktop of the test's own: an X server (Xvfb), a private session bus and
// a window manager that also hosts XEmbed tray icons (icewm), and what the
// tests ask the X server about windows through the usual X tools.
#pragma once

#include <QRect>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>

#include "child_process.h"

namespace tray_x11 {

class XDesktop {
 public:
  // Starts the server, the bus and the window manager and sets DISPLAY and
  // DBUS_SESSION_BUS_ADDRESS for this process; nullptr and why when one fails.
  static std::unique_ptr<XDesktop> Start(const std::string& scratch, std::string& whyNot);
  ~XDesktop();

  QString display() const { return display_; }
  QString busAddress() const { return bus_; }

 private:
  XDesktop() = default;
  std::unique_ptr<tray_test::ChildProcess> server_, bus_daemon_, manager_;
  QString display_, bus_;
};

// What an X tool answered (standard output), empty when it failed.
QString Tool(const std::string& program, const std::vector<std::string>& args);
std::string Hex(WId window);

// _NET_WM_STATE of a client window, as xprop lists it.
QString NetWmState(WId window);
// The window's place on the screen (xdotool getwindowgeometry); null if unknown.
QRect ScreenGeometry(WId window);
// The window is mapped and all its ancestors are.
bool Viewable(WId window);
// Its parent is not the root window: a window manager reparented or
// embedded it.
bool Reparented(WId window);
// The XEmbed window of our tray icon, nullptr while there is none.
QWidget* TrayIconWindow();

}  // namespace tray_x11
