// One way of receiving system-wide key combinations. The main window installs
// its three combinations through it and hears which action a key asked for.
#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "settings/hotkey_sections.h"

namespace hotkeys {

class HotkeyBackend : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  ~HotkeyBackend() override = default;

  // Registers the active combinations in place of what was registered before.
  // A combination that cannot be had is reported through Refused, at once or
  // when the desktop answers.
  virtual void Install(const std::array<HotkeyCombination, kActionCount>& combinations) = 0;
  // Gives every registered combination back. Safe to call when none is.
  virtual void Release() = 0;

 signals:
  // kStartAction, kPauseAction or kStopAction; once per key press, never for
  // a held key's repeats.
  void Activated(int action);
  // A sentence for the user: which combination (or the whole route) failed and why.
  void Refused(const QString& message);
};

}  // namespace hotkeys
