// Global hotkeys: installed from the hotkey sections while "Enable Hot Key"
// is checked, released at close. A hotkey acts like its button, but never
// inside another action or under a modal window: it waits for them.
#include <QApplication>
#include <QCheckBox>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "app/hotkeys/hotkey_route.h"
#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "services/message_service.h"
#include "settings/hotkey_sections.h"
#include "settings/ini_file.h"

namespace {
// How often a waiting hotkey looks whether it may run.
constexpr int kHotkeyRetryMs = 50;
}  // namespace

void Tfrmmain::ReleaseHotkeys() {
  if (!FHotkeysInstalled) return;
  FHotkeysInstalled = false;
  if (FHotkeyBackend) FHotkeyBackend->Release();
}

// At the first showing: nobody asked, so a refusal goes to stderr.
void Tfrmmain::InstallHotkeys() { InstallHotkeysFor(false); }

// From the options dialog: the user changed something, so a refusal is shown.
void Tfrmmain::ReinstallHotkeys() {
  ReleaseHotkeys();
  InstallHotkeysFor(true);
}

void Tfrmmain::InstallHotkeysFor(bool userAsked) {
  if (!frmoption_ || !frmoption_->chotkey->isChecked()) return;
  FHotkeyUserAsked = userAsked;
  FHotkeyRefusalShown = false;
  FHotkeyRefusals.clear();  // what an earlier install could not have no longer matters
  if (!FHotkeyBackendMade) {
    FHotkeyBackendMade = true;
    FHotkeyBackend = hotkeys::MakeHotkeyBackend();
    if (FHotkeyBackend) {
      connect(FHotkeyBackend.get(), &hotkeys::HotkeyBackend::Activated, this, &Tfrmmain::HotkeyMessage);
      connect(FHotkeyBackend.get(), &hotkeys::HotkeyBackend::Refused, this, &Tfrmmain::HotkeyRefused);
    }
  }
  if (!FHotkeyBackend) {
    HotkeyRefused(QStringLiteral("Global hotkeys are not available on this desktop."));
    return;
  }
  FHotkeysInstalled = true;
  FHotkeyBackend->Install(hotkeys::ReadCombinations(SettingsFilePath(FWorkFolder)));
}

// Refusals arrive one per combination, during the install or when the desktop
// answers; they are reported together, after the install's caller returned.
void Tfrmmain::HotkeyRefused(const QString& message) {
  FHotkeyRefusals << message;
  if (FHotkeyReportQueued) return;
  FHotkeyReportQueued = true;
  QTimer::singleShot(0, this, [this] { ReportHotkeyRefusals(); });
}

void Tfrmmain::ReportHotkeyRefusals() {
  FHotkeyReportQueued = false;
  if (FHotkeyRefusals.isEmpty()) return;
  const QStringList refusals = std::exchange(FHotkeyRefusals, {});
  if (FHotkeyUserAsked && !FHotkeyRefusalShown) {
    FHotkeyRefusalShown = true;
    Messages().show(MsgKind::Warning, refusals.join(QLatin1Char('\n')), MsgButtons::Ok);
    return;
  }
  std::fprintf(stderr, "zovedu: %s\n", qPrintable(refusals.join(QLatin1Char(' '))));
}

// A modal window (a question, the wizard) or an action still running in a
// nested event loop must finish before the next hotkey acts.
bool Tfrmmain::HotkeyMustWait() const {
  return FHotkeyDepth > 0 || FStopping || QApplication::activeModalWidget() != nullptr;
}

void Tfrmmain::HotkeyMessage(int action) {
  if (action < hotkeys::kStartAction || action > hotkeys::kStopAction) return;
  // Behind waiting ones, so that the keys act in the order pressed.
  if (HotkeyMustWait() || !FPendingHotkeys.empty()) {
    FPendingHotkeys.push_back(action);
    if (!FHotkeyRetry) {
      FHotkeyRetry = new QTimer(this);
      FHotkeyRetry->setInterval(kHotkeyRetryMs);
      connect(FHotkeyRetry, &QTimer::timeout, this, &Tfrmmain::RunPendingHotkeys);
    }
    FHotkeyRetry->start();
    return;
  }
  RunHotkey(action);
}

void Tfrmmain::RunPendingHotkeys() {
  while (!FPendingHotkeys.empty() && !HotkeyMustWait()) {
    const int action = FPendingHotkeys.front();
    FPendingHotkeys.erase(FPendingHotkeys.begin());
    RunHotkey(action);
  }
  if (FPendingHotkeys.empty()) FHotkeyRetry->stop();
}

void Tfrmmain::RunHotkey(int action) {
  struct Depth {
    int& depth;
    explicit Depth(int& d) : depth(d) { ++depth; }
    ~Depth() { --depth; }
  } running(FHotkeyDepth);
  const bool busy = FRecordChannel != 0 || FPlayStream != 0;
  switch (action) {
    case hotkeys::kStartAction:
      // While a file plays, the Record button itself asks to stop it.
      if (FRecordChannel == 0) btnrecClick();
      break;
    case hotkeys::kPauseAction:
      if (busy) btnpauseClick();
      break;
    case hotkeys::kStopAction:
      if (busy) btnstopClick();
      break;
    default:
      break;
  }
}
