// The tray: minimising to the tray icon, its animation while recording, the
// recording's length as a balloon every minute, and the way back.
#include <QCheckBox>
#include <QEvent>
#include <QWindowStateChangeEvent>

#include "app/image_list.h"
#include "app/tfrmmain.h"
#include "app/tray/desktop_notification.h"
#include "app/tray/tray_environment.h"
#include "app/tray/tray_frames.h"
#include "dialogs/tfrmoption.h"

namespace {
constexpr int kFrameMilliseconds = 200;
constexpr int kBalloonMilliseconds = 1000;
const QString kBalloonTitle = QStringLiteral("Zovedu");
}  // namespace

void Tfrmmain::BuildTray() {
  for (const QIcon& frame : RecordingTrayFrames()) ImageList5->add(frame);
  TrayIcon1->setIcon(IdleTrayIcon());
  FTrayAnimation = new QTimer(this);
  FTrayAnimation->setObjectName(QStringLiteral("TrayAnimation"));
  FTrayAnimation->setInterval(kFrameMilliseconds);
  FTrayFrame = -1;
}

void Tfrmmain::ConnectTray() {
  connect(ShowMainFrom1, &QAction::triggered, this, [this] { ShowMainFrom1Click(); });
  connect(TrayIcon1, &QSystemTrayIcon::activated, this,
          [this](QSystemTrayIcon::ActivationReason reason) { TrayIcon1Click(reason); });
  connect(FTrayAnimation, &QTimer::timeout, this, [this] {
    if (ImageList5->count() == 0) return;
    FTrayFrame = (FTrayFrame + 1) % ImageList5->count();
    TrayIcon1->setIcon(ImageList5->icon(FTrayFrame));
  });
}

void Tfrmmain::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) {
    const auto* change = static_cast<QWindowStateChangeEvent*>(event);
    if (isMinimized() && !change->oldState().testFlag(Qt::WindowMinimized)) MinimiseToTray();
  }
  QWidget::changeEvent(event);
}

void Tfrmmain::MinimiseToTray() {
  if (!frmoption_ || !frmoption_->cmintotray->isChecked() || !isVisible()) return;
  // Without a tray host the icon would show nowhere: the window stays
  // minimised where the desktop keeps minimised windows.
  if (!TrayHostAvailable()) return;
  hide();
  TrayIcon1->show();
  FTrayTicks = 0;
  UpdateTrayAnimation();
}

void Tfrmmain::ShowMainFrom1Click() {
  // Hidden windows keep their geometry, so the window comes back where it was.
  showNormal();
  raise();
  activateWindow();
  TrayIcon1->hide();
  UpdateTrayAnimation();
  if (FRecordChannel != 0)
    SetControlState(FEngine->paused() ? ControlState::Paused : ControlState::Recording);
  else if (FPlayStream != 0)
    SetControlState(ControlState::Playing);
  else
    SetControlState(ControlState::Start);
}

void Tfrmmain::TrayIcon1Click(QSystemTrayIcon::ActivationReason reason) {
  // A StatusNotifier host has no double click: its activation is the one way back.
  if (reason == QSystemTrayIcon::DoubleClick || (reason == QSystemTrayIcon::Trigger && StatusNotifierTray()))
    ShowMainFrom1Click();
}

void Tfrmmain::UpdateTrayAnimation() {
  const bool animate =
      TrayIcon1->isVisible() && FRecordChannel != 0 && !FEngine->paused() && ImageList5->count() > 0;
  if (animate) {
    if (FTrayAnimation->isActive()) return;
    FTrayFrame = 0;
    TrayIcon1->setIcon(ImageList5->icon(FTrayFrame));
    FTrayAnimation->start();
    return;
  }
  FTrayAnimation->stop();
  if (FTrayFrame >= 0) TrayIcon1->setIcon(IdleTrayIcon());
  FTrayFrame = -1;
}

bool Tfrmmain::TrayAnimating() const { return FTrayAnimation->isActive(); }

void Tfrmmain::ShowTrayBalloon(const QString& text) {
  if (!FNotification) FNotification = new DesktopNotification(TrayBus(), this);
  const auto trayBalloon = [this, text] { ShowTrayMessage(*TrayIcon1, kBalloonTitle, text, kBalloonMilliseconds); };
  if (!FNotification->Show(kBalloonTitle, kBalloonTitle, text, kBalloonMilliseconds, trayBalloon)) trayBalloon();
}
