// What the X11 hotkey tests do on their private display: type keys with
// xdotool, wait for a condition while Qt's events run, read the lock state,
// and have another client hold a key combination.
#pragma once

#include <QProcess>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace zovedu_test {

// Generous: the tests share two cores with other builds.
constexpr int kXDeadlineMs = 30000;

// Runs Qt's events until condition holds; false when the deadline passed first.
bool RunEventsUntil(const std::function<bool()>& condition, int deadlineMs = kXDeadlineMs);

// "xdotool <args>"; true when it succeeded.
bool Xdotool(const QStringList& args);
// A key combination pressed and released, e.g. "alt+F1".
bool Key(const QString& combination);

// The server's current modifier and lock state (core state bits).
std::uint16_t ModifierState();
// Modifier bits of the server's keymap: Alt and NumLock.
std::uint16_t AltMask();
std::uint16_t NumLockMask();
// Toggles NumLock or Caps Lock until their state is as asked.
bool SetLock(bool numLock, bool on);

// Another X client holding a key with the given modifier masks.
class GrabHolder {
 public:
  GrabHolder(std::uint32_t keysym, const std::vector<std::uint16_t>& masks);
  ~GrabHolder();
  // "grabbed", "refused", or what went wrong.
  QString answer() const { return answer_; }
  // Gives the grabs back; the server has done so when this returns true.
  bool Release();

 private:
  QString ReadLine();
  std::unique_ptr<QProcess> process_;
  QString answer_;
};

}  // namespace zovedu_test
