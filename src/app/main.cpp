// Program entry: the due check a task's service runs, then the application
// title, the windows and the message loop.
#include <cstdlib>
#include <cstring>

#include <QGuiApplication>
#include <QString>

#include "app/application.h"
#include "app/hotkeys/hotkey_route.h"
#include "app/remote_control.h"
#include "app/tfrmmain.h"
#include "schedule/systemd/task_due.h"

namespace {
bool IsSet(const char* name) {
  const char* v = std::getenv(name);
  return v && *v;
}
}  // namespace

int main(int argc, char** argv) {
  // `zovedu --task-due <unit>`: answered before any window system is touched.
  if (argc == 3 && std::strcmp(argv[1], "--task-due") == 0)
    return schedule::TaskDueMain(QString::fromLocal8Bit(argv[2]));
  // `--help`, and `--record`, `--pause`, `--stop` for a running program.
  if (const int code = RemoteControlMain(argc, argv); code >= 0) return code;
  // A scheduled run may start where no desktop is reachable: it records
  // without showing a window rather than ending.
  if (argc >= 2 && IsRunArgument(QString::fromLocal8Bit(argv[1])) && !IsSet("DISPLAY") &&
      !IsSet("WAYLAND_DISPLAY") && !IsSet("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  // On Wayland the window runs through XWayland, where minimising, placing
  // and staying on top work; the hotkeys still go through the portal.
  if (hotkeys::IsWaylandSession() && IsSet("DISPLAY") && !IsSet("QT_QPA_PLATFORM"))
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  // Desktops match the windows to the installed launcher and its icon.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.zovedu.Zovedu"));
  ZoveduApplication app(argc, argv);
  return RunProgram(app);
}
