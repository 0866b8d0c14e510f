#include "x_desktop.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStandardPaths>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/program_run.h"

namespace tray_x11 {

std::unique_ptr<XDesktop> XDesktop::Start(const std::string& scratch, std::string& whyNot) {
  std::unique_ptr<XDesktop> d(new XDesktop);
  std::string line;
  d->server_ = tray_test::ChildProcess::Start(
      "Xvfb", {"-displayfd", "1", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, {}, true, 30, line, whyNot);
  if (!d->server_) return nullptr;
  d->display_ = QStringLiteral(":") + QString::fromStdString(line).trimmed();
  d->bus_daemon_ = tray_test::ChildProcess::Start("dbus-daemon", {"--session", "--print-address=1", "--nofork"}, {},
                                                  true, 20, line, whyNot);
  if (!d->bus_daemon_) return nullptr;
  d->bus_ = QString::fromStdString(line).trimmed();
  setenv("DISPLAY", d->display_.toLocal8Bit().constData(), 1);
  setenv("DBUS_SESSION_BUS_ADDRESS", d->bus_.toLocal8Bit().constData(), 1);

  // The window manager with a configuration of ours: a task bar with its tray
  // and no start-up programs.
  const std::filesystem::path config = std::filesystem::path(scratch) / "icewm";
  std::filesystem::create_directories(config);
  std::ofstream(config / "preferences") << "TaskBarShowTray=1\nShowTaskBar=1\nTaskBarAutoHide=0\n"
                                        << "TaskBarShowWorkspaces=0\nTaskBarShowClock=0\n";
  std::string none;
  d->manager_ = tray_test::ChildProcess::Start(
      "icewm", {"--replace"},
      {{"HOME", scratch}, {"ICEWM_PRIVCFG", config.string()}, {"DISPLAY", d->display_.toStdString()}}, false, 0,
      none, whyNot);
  if (!d->manager_) return nullptr;
  return d;
}

XDesktop::~XDesktop() {
  manager_.reset();
  bus_daemon_.reset();
  server_.reset();
}

QString Tool(const std::string& program, const std::vector<std::string>& args) {
  const QString path = QStandardPaths::findExecutable(QString::fromStdString(program));
  if (path.isEmpty()) return QString();
  const zovedu_test::RunResult r = zovedu_test::RunProgram(path.toStdString(), args);
  return r.exitCode == 0 ? QString::fromStdString(r.out) : QString();
}

std::string Hex(WId window) { return QStringLiteral("0x%1").arg(window, 0, 16).toStdString(); }

QString NetWmState(WId window) { return Tool("xprop", {"-id", Hex(window), "_NET_WM_STATE"}); }

QRect ScreenGeometry(WId window) {
  const QString shell = Tool("xdotool", {"getwindowgeometry", "--shell", std::to_string(window)});
  const auto value = [&shell](const char* key) {
    const auto m = QRegularExpression(QStringLiteral("^%1=(-?\\d+)$").arg(QLatin1String(key)),
                                      QRegularExpression::MultilineOption)
                       .match(shell);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
  };
  if (shell.isEmpty()) return {};
  return QRect(value("X"), value("Y"), value("WIDTH"), value("HEIGHT"));
}

bool Viewable(WId window) {
  return Tool("xwininfo", {"-id", Hex(window)}).contains(QStringLiteral("Map State: IsViewable"));
}

bool Reparented(WId window) {
  const QString tree = Tool("xwininfo", {"-id", Hex(window), "-tree"});
  const auto id = [&tree](const char* label) {
    const auto m = QRegularExpression(QStringLiteral("%1 window id: (0x[0-9a-f]+)").arg(QLatin1String(label)))
                       .match(tree);
    return m.hasMatch() ? m.captured(1) : QString();
  };
  return !tree.isEmpty() && !id("Parent").isEmpty() && id("Parent") != id("Root");
}

QWidget* TrayIconWindow() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (QLatin1String(w->metaObject()->className()) == QLatin1String("QSystemTrayIconSys")) return w;
  return nullptr;
}

}  // namespace tray_x11
