#include "app/hotkeys/portal/portal_shortcut.h"

#include <QDBusMetaType>

namespace hotkeys::portal {

QDBusArgument& operator<<(QDBusArgument& arg, const PortalShortcut& shortcut) {
  arg.beginStructure();
  arg << shortcut.id << shortcut.properties;
  arg.endStructure();
  return arg;
}

const QDBusArgument& operator>>(const QDBusArgument& arg, PortalShortcut& shortcut) {
  arg.beginStructure();
  arg >> shortcut.id >> shortcut.properties;
  arg.endStructure();
  return arg;
}

void RegisterPortalTypes() {
  static const bool registered = [] {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcutList>();
    return true;
  }();
  (void)registered;
}

PortalShortcutList ShortcutListOf(const QVariant& value) {
  if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
    const auto arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != QLatin1String("a(sa{sv})")) return {};
    return qdbus_cast<PortalShortcutList>(arg);
  }
  return value.value<PortalShortcutList>();
}

}  // namespace hotkeys::portal
