// The desktop portal's bus names and the object paths it derives from ours.
#pragma once

#include <QDBusConnection>
#include <QString>

namespace hotkeys::portal {

inline const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString kObjectPath = QStringLiteral("/org/freedesktop/portal/desktop");
inline const QString kShortcutsInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
inline const QString kRequestInterface = QStringLiteral("org.freedesktop.portal.Request");
inline const QString kSessionInterface = QStringLiteral("org.freedesktop.portal.Session");

// A token unique in this process, usable as an object path element.
QString NewToken();
// Where the portal puts the Request object for a call made with handle_token
// `token` over `bus`: .../request/<our unique name, ':' dropped, '.' as '_'>/<token>.
QString RequestPath(const QDBusConnection& bus, const QString& token);

}  // namespace hotkeys::portal
