// One entry of the portal's shortcut lists, D-Bus type (sa{sv}): an id and
// its properties ("description", "preferred_trigger", "trigger_description").
#pragma once

#include <QDBusArgument>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QVariantMap>

namespace hotkeys::portal {

struct PortalShortcut {
  QString id;
  QVariantMap properties;
};
using PortalShortcutList = QList<PortalShortcut>;

QDBusArgument& operator<<(QDBusArgument& arg, const PortalShortcut& shortcut);
const QDBusArgument& operator>>(const QDBusArgument& arg, PortalShortcut& shortcut);

// Makes PortalShortcutList known to QtDBus; safe to call more than once.
void RegisterPortalTypes();

// The list a variant from a message holds (as QDBusArgument or already
// converted); empty when it holds something else.
PortalShortcutList ShortcutListOf(const QVariant& value);

}  // namespace hotkeys::portal

Q_DECLARE_METATYPE(hotkeys::portal::PortalShortcut)
