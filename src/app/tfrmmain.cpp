// The main window's lifecycle: creation, first showing, closing, destruction.
#include "app/remote_control.h"
#include "app/tfrmmain.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDir>
#include <QCheckBox>
#include <QLineEdit>
#include <QFileInfo>
#include <QShowEvent>

#include "app/background_work.h"
#include "dialogs/tfrmoption.h"
#include "dialogs/tfrmtag.h"
#include "dsp/recording_filters.h"
#include "schedule/task_scheduler.h"
#include "app/scan_thread.h"
#include "app/tspectrum.h"
#include "app/idle_picture.h"
#include "services/app_error.h"
#include "services/message_service.h"
#include "services/paths.h"
#include "services/platform_info.h"
#include "services/size_text.h"

Tfrmmain::Tfrmmain(QWidget* parent) : QWidget(parent) {
  // Failures of a running recording arrive on library threads; the window
  // handles them on its own.
  FEngine = std::make_unique<RecordingEngine>(
      [this](RecordingFailure failure, zaudio::DWORD handle, const QString& detail) {
        QMetaObject::invokeMethod(
            this, [this, failure, handle, detail] { OnRecordingFailure(failure, handle, detail); },
            Qt::QueuedConnection);
      });
  FBackground = new BackgroundWork(this);
  BuildControls();
  BuildMenus();
  ConnectEvents();
  BuildAccessibility();
  FormCreate();
}

Tfrmmain::~Tfrmmain() { FormDestroy(); }

void Tfrmmain::FormCreate() {
  FScheduledRun = false;
  FSampleRate = 44100;
  FBitsPerSample = 16;
  FChannels = 2;
  FRecordChannel = 0;
  FRecordCounter = 0;
  FElapsedSeconds = 0;
  FOutputSize = 0;
  FWizardName = false;
  FVistaOrLater = IsVistaOrLater();

  FExeFolder = ExeFolder();

  if ((zaudio::GetVersion() >> 16) != zaudio::VERSION_MAJOR_WORD)
    Messages().endProgram(MsgKind::System, QStringLiteral("An incorrect version of BASS.DLL was loaded"));
  if ((zaudio::FX_GetVersion() >> 16) != zaudio::VERSION_MAJOR_WORD)
    Messages().endProgram(MsgKind::System, QStringLiteral("An incorrect version of BASS_FX.DLL was loaded "));

  if (FVistaOrLater) zaudio::SetConfig(zaudio::CONFIG_REC_LOOPBACK, 1);

  if (!zaudio::Init(-1, 44100, 0)) {
    zaudio::Free();
    Messages().endProgram(MsgKind::Error, QStringLiteral("Cannot start default recording device!"));
  }

  FWorkFolder = SpecialFolderPath(SpecialFolder::Documents);
  FMusicFolder = SpecialFolderPath(SpecialFolder::Music);
  FWorkFolder = FWorkFolder.isEmpty() ? QDir::homePath() + QLatin1Char('/') : WithTrailingBackslash(FWorkFolder, true);
  FMusicFolder = FMusicFolder.isEmpty() ? QDir::homePath() + QLatin1Char('/') : WithTrailingBackslash(FMusicFolder, true);
  FWorkFolder += QStringLiteral("ridi/");

  // Without its work folder the program can keep neither settings nor the
  // recordings list, so it ends after saying why.
  if (!QFileInfo(FWorkFolder).isDir() && !ForceFolders(FWorkFolder))
    Messages().endProgram(MsgKind::Error, QStringLiteral("Cannot create ") + FWorkFolder);

  CreateInfoReaders();

  FWaveBitmap = QImage(PB->size(), QImage::Format_RGB32);
  FWaveBitmap.fill(Qt::black);
  FLeftLevels.assign(PB->width(), 0);
  FRightLevels.assign(PB->width(), 0);
  FSpectrum = std::make_unique<TSpectrum>(PaintFrame->width(), PaintFrame->height());
  FSpectrum->SetBackground(true, IdlePicture(PaintFrame->size()));
  FSpectrumFrame = QImage(PaintFrame->size(), QImage::Format_RGB32);
  FSpectrumFrame.fill(Qt::black);
  Image1->setPixmap(QPixmap::fromImage(IdlePicture(Image1->size())));
  PaintFrame->hide();
  FFTTimer->start();
  FFirstShow = true;
}

void Tfrmmain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  FormShow();
}

void Tfrmmain::FormShow() {
  if (!FFirstShow) return;
  if (IsWindows7()) setWindowTitle(QStringLiteral("Zovedu [Windows 7 Run Mode]"));
  if (FVistaOrLater)
    ListCaptureDevices();
  else
    ListInputs(-1);
  vistalabel->setVisible(FVistaOrLater);
  infodevice->setVisible(FVistaOrLater);
  btnsourcerefresh->setVisible(FVistaOrLater);
  FFirstShow = false;
  LoadMainSettings();
  if (frmoption_) {
    frmoption_->LoadSettings();
    outlabel->setToolTip(QStringLiteral("output path:") + frmoption_->Efolder->text());
    if (frmoption_->csot->isChecked()) SetStayOnTop(true);
  }
  InstallHotkeys();
  SetControlState(ControlState::Start);
  FSpectrum->FMode = FVisMode;
  FindSoundEditor();
  LoadRecordingList();
  FillTaskListAtStart();
  if (FCommandLine.size() > 1 && IsRunArgument(FCommandLine.at(1)))
    RunModeCheck();
  else if ((frmoption_ && frmoption_->cimrun->isChecked()) || RemoteCommandOf(FCommandLine) == RemoteCommand::Record)
    btnrecClick();
}

bool Tfrmmain::FormCloseQuery() {
  if (closingWithoutAsking_) return true;
  bool allow = true;
  if (FRecordChannel != 0)
    allow = Messages().show(MsgKind::Warning, QStringLiteral("Now Recording,be sure Close Program?"),
                            MsgButtons::YesNo) == MsgAnswer::Yes;
  return allow;
}

void Tfrmmain::FormClose() {
  FClosing = true;
  if (FRecordChannel != 0) btnstopClick();
  if (FPlayStream != 0) StopPlayback();
  FScan.reset();
  FVisMode = FSpectrum->FMode;
  SaveRecordingList();
  if (frmoption_ && frmoption_->chotkey->isChecked()) ReleaseHotkeys();
  // A settings file that cannot be written is said; the program still ends.
  try {
    SaveMainSettings();
  } catch (const EAppError& e) {
    ShowAppError(e.text());
  }
}

void Tfrmmain::closeEvent(QCloseEvent* event) {
  // Not while a stop is completing the file (a close asked for without
  // question is repeated once it is done).
  if (FStopping || !FormCloseQuery()) {
    event->ignore();
    return;
  }
  FormClose();
  event->accept();
  TrayIcon1->hide();
  emit Closed();
}

void Tfrmmain::FinishBeforeExit() {
  if (destroyed_) return;
  const bool recording = FRecordChannel != 0;
  ReleaseAudio();
  FRecordChannel = 0;
  if (recording && frmoption_ && frmoption_->cadd->isChecked()) {
    // The list file only; no window is drawn any more.
    const FinishedRecording finished{FileNameBytes(FLastRecordedFile),
                                     ElapsedText(static_cast<std::uint64_t>(FElapsedSeconds)).toStdString(),
                                     FileSizeText(FLastRecordedFile).toStdString(),
                                     cformat->itemText(FRecordingFormat).toStdString()};
    if (::AddFinishedRecording(FRecordingRows, finished).change != FinishedRecordingAdded::Change::Unlistable &&
        !FListUnread)
      ::SaveRecordingList(RecordingListPath(FWorkFolder), FRecordingRows);
  }
}

// Playback, the scan, the recording and its files completed, then the audio
// library itself; once.
void Tfrmmain::ReleaseAudio() {
  destroyed_ = true;
  FScan.reset();
  if (FPlayStream != 0) {
    zaudio::ChannelStop(FPlayStream);
    zaudio::StreamFree(FPlayStream);
    FPlayStream = 0;
  }
  FEngine->stop();
  FBackground->waitAll();
  zaudio::RecordFree();
  zaudio::Free();
}

void Tfrmmain::FormDestroy() {
  if (destroyed_) return;
  ReleaseAudio();
  // The close that needed no clicks is over; a window made later in this
  // process shows its messages again.
  SetUnattended(false);
}

void Tfrmmain::contextMenuEvent(QContextMenuEvent* event) {
  const bool playing = FPlayStream != 0;
  Pause1->setText(playing ? QStringLiteral("Pause Playing") : QStringLiteral("Pause Recording"));
  Stop1->setText(playing ? QStringLiteral("Stop Playing") : QStringLiteral("Stop Recording"));
  PopupMenu4->popup(event->globalPos());
}

void Tfrmmain::SetControlState(ControlState state) {
  const int column = ControlStateColumn(state);
  for (const ControlStateRow& row : ControlStateTable()) {
    const Enable e = row.enabled[column];
    if (e == Enable::Keep) continue;
    for (const QString& name : row.items) {
      if (auto* w = findChild<QWidget*>(name))
        w->setEnabled(e == Enable::On);
      else if (auto* a = findChild<QAction*>(name))
        a->setEnabled(e == Enable::On);
    }
  }
  if (const auto hints = HintsForState(state)) {
    btnpause->setToolTip(hints->pause);
    btnstop->setToolTip(hints->stop);
  }
}
