// What the tray parts ask of the desktop: whether a tray host shows icons,
// which session bus to talk to, and how the tray's own balloon is shown.
// Tests install their own answers; an empty function restores the real one.
#pragma once

#include <QDBusConnection>
#include <QString>
#include <functional>

class QSystemTrayIcon;

using TrayHostCheck = std::function<bool()>;
void SetTrayHostCheck(TrayHostCheck check);
// A tray host is running (QSystemTrayIcon::isSystemTrayAvailable).
bool TrayHostAvailable();

using TrayBusChoice = std::function<QDBusConnection()>;
void SetTrayBus(TrayBusChoice choice);
// The session bus, where the notification service and a StatusNotifier host live.
QDBusConnection TrayBus();
// The tray host is a StatusNotifier one (no double click there).
bool StatusNotifierTray();

using TrayMessageSink =
    std::function<void(QSystemTrayIcon& icon, const QString& title, const QString& text, int timeoutMs)>;
void SetTrayMessageSink(TrayMessageSink sink);
// The tray icon's own balloon with the information icon.
void ShowTrayMessage(QSystemTrayIcon& icon, const QString& title, const QString& text, int timeoutMs);
