// A session bus of the test's own (dbus-daemon --session), never the user's,
// and connections to it under names of the test's choice.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <memory>

#include "child_process.h"

namespace tray_test {

class PrivateBus {
 public:
  // nullptr, and the reason in whyNot, when the daemon does not start.
  static std::unique_ptr<PrivateBus> Start(std::string& whyNot);
  ~PrivateBus();

  QString address() const { return address_; }
  // A connection of its own (one per name), closed with the bus.
  QDBusConnection Connect(const QString& name);

 private:
  PrivateBus() = default;
  std::unique_ptr<ChildProcess> daemon_;
  QString address_;
  QStringList names_;
};

}  // namespace tray_test
