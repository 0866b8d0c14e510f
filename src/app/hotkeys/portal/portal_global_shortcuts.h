// Global hotkeys on Wayland through the desktop portal's GlobalShortcuts
// interface: one session with the shortcuts "record", "pause" and "stop", our
// combinations given as preferred triggers; the desktop has the last word.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <memory>

#include "app/hotkeys/hotkey_backend.h"

namespace hotkeys {

class PortalGlobalShortcuts : public HotkeyBackend {
  Q_OBJECT

 public:
  explicit PortalGlobalShortcuts(QDBusConnection bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
  ~PortalGlobalShortcuts() override;

  // True when the bus has a portal offering GlobalShortcuts.
  static bool Available(const QDBusConnection& bus = QDBusConnection::sessionBus());

  void Install(const std::array<HotkeyCombination, kActionCount>& combinations) override;
  void Release() override;

 private slots:
  // A shortcut of our session was pressed. Its Deactivated (the key let
  // go) is not listened to: a press is one action.
  void OnActivated(const QDBusMessage& message);

 private:
  struct State;
  void CreateSession(quint64 generation);
  void BindShortcuts(quint64 generation);
  void Bound(uint code, const QVariantMap& results);
  void ListenToSession(bool on);

  std::unique_ptr<State> state_;
};

}  // namespace hotkeys
