#include "private_bus.h"

namespace tray_test {

std::unique_ptr<PrivateBus> PrivateBus::Start(std::string& whyNot) {
  std::string address;
  auto daemon = ChildProcess::Start("dbus-daemon", {"--session", "--print-address=1", "--nofork"}, {}, true, 20,
                                    address, whyNot);
  if (!daemon) return nullptr;
  std::unique_ptr<PrivateBus> bus(new PrivateBus);
  bus->daemon_ = std::move(daemon);
  bus->address_ = QString::fromStdString(address).trimmed();
  return bus;
}

PrivateBus::~PrivateBus() {
  for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
}

QDBusConnection PrivateBus::Connect(const QString& name) {
  if (!names_.contains(name)) names_ << name;
  return QDBusConnection::connectToBus(address_, name);
}

}  // namespace tray_test
