// A message bus of the test's own (dbus-daemon with a configuration that
// activates no services), never the user's session bus.
#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace portal_test {

class PrivateBus {
 public:
  PrivateBus();
  ~PrivateBus();
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  // Empty when the daemon did not start.
  const QString& Address() const { return address_; }
  // A new connection to the bus under a name unique in this process; it is
  // closed with the bus.
  QDBusConnection Connect();

 private:
  QTemporaryDir dir_;
  QProcess daemon_;
  QString address_;
  QStringList connections_;
};

}  // namespace portal_test
