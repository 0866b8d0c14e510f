// The user's service manager over D-Bus: reloading unit files, enabling
// and starting units, and the environment it gives the units it starts.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QString>
#include <QStringList>
#include <QVariantList>

namespace schedule {

class UserManager {
 public:
  // Connects to the manager's private socket ($XDG_RUNTIME_DIR/systemd/
  // private) when it exists, the way systemctl --user does; otherwise to
  // org.freedesktop.systemd1 on the session bus.
  UserManager();
  ~UserManager();
  UserManager(const UserManager&) = delete;
  UserManager& operator=(const UserManager&) = delete;

  // The manager answered when connected and the connection still stands.
  bool Answers();
  // False once the manager dropped the connection (it re-executed or ended).
  bool Connected() const;
  // Every call below throws EOSError with the D-Bus error text on failure.
  void Reload();
  void EnableTimer(const QString& unit);
  void DisableTimer(const QString& unit);
  void StartUnit(const QString& unit);
  // A unit that is not loaded counts as stopped.
  void StopUnit(const QString& unit);
  void RestartUnit(const QString& unit);
  // Sets variables ("NAME=value") in the environment of the units it starts.
  void SetEnvironment(const QStringList& assignments);

 private:
  QDBusMessage Call(const QString& method, const QVariantList& args, bool ignoreNoSuchUnit = false);
  bool AskVersion();
  QString peerName_;
  QDBusConnection connection_;
  bool answered_ = false;
};

// Hands DISPLAY, WAYLAND_DISPLAY and XAUTHORITY (those set here) to the
// user's manager so that scheduled runs reach this desktop; does nothing
// when no manager answers.
void ExportSessionEnvironment();

}  // namespace schedule
