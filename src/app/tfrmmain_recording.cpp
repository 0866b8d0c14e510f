// Record, pause and stop: the recording's start with its file name, the
// hand-over to the next file, the stop, and failures while recording.
#include <QApplication>
#include <sys/statvfs.h>

#include <cerrno>
#include <chrono>
#include <unistd.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QRadioButton>
#include <QScopedValueRollback>
#include <QSlider>
#include <QStorageInfo>

#include "app/background_work.h"
#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "dsp/recording_filters.h"
#include "encoders/command_lines.h"
#include "encoders/wma_settings.h"
#include "recording/deleted_file.h"
#include "recording/failure_causes.h"
#include "recording/overwrite_decision.h"
#include "recording/recording_formats.h"
#include "recording/recording_monitor.h"
#include "services/accessible_names.h"
#include "services/app_error.h"
#include "services/desktop.h"
#include "services/message_service.h"
#include "services/paths.h"
#include "services/size_text.h"

void Tfrmmain::btnrecClick() {
  if (FPlayStream != 0) {
    if (Messages().show(MsgKind::Confirmation, QStringLiteral("Now Playing,Stop playing to record?"),
                        MsgButtons::YesNo) != MsgAnswer::Yes)
      return;
    StopPlayback();
  }
  FVolumeEffect = 0;
  UpdateFormatInfo();
  StartRecording();
}

void Tfrmmain::btnpauseClick() {
  lrstatus->setStyleSheet(QStringLiteral("color: black;"));
  if (FRecordChannel != 0)
    TogglePauseRecording();
  else
    TogglePlaybackPause();
}

void Tfrmmain::btnstopClick() {
  lrstatus->setText(QStringLiteral("Idle..."));
  lrstatus->setStyleSheet(QStringLiteral("color: black;"));
  if (FRecordChannel != 0)
    StopRecording();
  else if (FPlayStream != 0)
    StopPlayback();
}

bool Tfrmmain::CheckBitDepth() {
  const auto refusal = BitDepthRefusal(cformat->currentIndex(), FBitsPerSample);
  if (refusal) Messages().show(MsgKind::Information, *refusal, MsgButtons::Ok);
  return refusal.has_value();
}

void Tfrmmain::UpdateStatusText() {
  StatusChoices c;
  c.dar = cdar->isChecked();
  if (frmoption_) {
    c.pauseAction = frmoption_->cslientpause->isChecked();
    c.stopAction = frmoption_->cslientstop->isChecked();
    c.newFileAction = frmoption_->cslientnew->isChecked();
  }
  c.splitMode = FSplitMode;
  FStatusText = RecordingStatusText(c);
}

// The encoder's command line for a format, from the options dialog; WAV is
// written directly and WMA has no command line.
QString Tfrmmain::EncoderCommandLine(int format, const QString& file) const {
  if (!frmoption_) return QString();
  const Tfrmoption& o = *frmoption_;
  // On the mixer path the encoder always receives two channels.
  const int channels = FVistaOrLater && LoopbackSelected() ? 2 : FChannels;
  switch (format) {
    case kMp3: return o.BuildMp3CommandLine(channels, file);
    case kOgg: return o.BuildOggCommandLine(channels, file);
    case kApe: return ApeCommandLine(o.apelevelcom->currentIndex(), file);
    case kFlac: return FlacCommandLine(o.flaclevelcom->currentIndex(), file);
    case kTta: return TtaCommandLine(file);
    case kWv: return o.BuildWavPackCommandLine(file);
    case kAac: return o.BuildAacCommandLine(file);
    case kMpc: return o.BuildMpcCommandLine(file);
    case kSpx: return o.BuildSpeexCommandLine(file);
    default: return QString();
  }
}

// Decides the next file's path (asking about an existing file). False when
// the user cancelled. A folder that cannot be created throws EAppError.
bool Tfrmmain::ChooseOutputFile(QString& path) {
  OutputNameSources sources;
  sources.numberedName = [this](int n) { return frmoption_->NextOutputName(true, n); };
  if (FWizardName) sources.wizardName = FWizardOutName;
  sources.alwaysOverwrite = frmoption_->coverwrite->isChecked();
  // A task that records daily keeps the earlier days' files unless every
  // existing file is to be replaced.
  if (FScheduledRun)
    sources.scheduledName = sources.alwaysOverwrite
                                ? FScheduledOutName
                                : FirstFreeName(FScheduledOutName, [](const QString& p) { return PathTaken(p); });
  sources.removeExisting = cformat->currentIndex() == kWv;  // the WavPack encoder will not replace a file
  sources.exists = [](const QString& p) { return PathTaken(p); };
  sources.isLink = [](const QString& p) { return QFileInfo(p).isSymLink(); };
  sources.remove = [](const QString& p) { return QFile::remove(p); };
  // The question must not open behind the window; the window is on top
  // again once it is answered, whatever the answer.
  bool droppedTop = false;
  sources.beforeAsking = [this, &droppedTop] {
    if (IsStayOnTop()) {
      SetStayOnTop(false);
      droppedTop = true;
    }
  };
  sources.ask = [](const QString& question) {
    return Messages().show(MsgKind::Confirmation, question, MsgButtons::YesNoCancel);
  };
  const OutputNameDecision d = DecideOutputName(FRecordCounter, sources);
  if (droppedTop) SetStayOnTop(true);
  FRecordCounter = d.counter;
  if (!d.wizardNameUsed) FWizardName = false;
  if (!d.accepted) return false;
  path = d.path;
  return true;
}

// What the writer of a format gets: the WAV file itself, or the encoder's
// command line with the file in double quotes (so a file name holding one
// would break the line and is refused).
bool Tfrmmain::WriterFor(int format, const QString& file, WriterRequest& writer) {
  writer.format = format;
  writer.file = file;
  writer.wavFile = format == kWav;
  if (writer.wavFile) {
    writer.target = file;
    return true;
  }
  if (format == kWma) {
    // A list the codec left empty has no value to open the writer with: the
    // start then fails with the writer's message.
    writer.target = WmaWriterSettingsFor(writer.wma) ? file : QString();
    return true;
  }
  if (file.contains(QLatin1Char('"'))) {
    Messages().show(MsgKind::Error,
                    QStringLiteral("The file name %1 contains a double quote (\"), which cannot be passed to the "
                                   "encoder. Please choose another prefix or output folder.")
                        .arg(file),
                    MsgButtons::Ok);
    return false;
  }
  writer.target = EncoderCommandLine(format, file);
  return true;
}

bool Tfrmmain::WmaWriterSettingsFor(WmaWriterSettings& wma) const {
  wma.codecFlag = WmaCodecFlag(frmoption_->wmacodeccom->currentIndex());
  wma.vbr = frmoption_->cwmavbr->isChecked();
  const auto value =
      WmaWriterValue(wma.vbr, frmoption_->wmaqualitycom->currentText(), frmoption_->wmacbrbitratecom->currentText());
  wma.value = value.value_or(0);
  return value.has_value();
}

// The monitor's start for a new file: name, free space, counters, split and
// the status line.
void Tfrmmain::PrepareFileMonitor() {
  lrname->setText(QFileInfo(FLastRecordedFile).fileName());
  const QStorageInfo volume(QFileInfo(FLastRecordedFile).absolutePath());
  FFreeSpaceText = FormatSizeText(volume.isValid() ? volume.bytesAvailable() : 0);
  FElapsedSeconds = 0;
  FOutputSize = 0;
  FMeterColumn = 0;
  FOutputSeen = false;
  FSplitMode = frmoption_->SplitMode();
  FSplitLimit = frmoption_->SplitLimit();
  FSplitNewFile = frmoption_->SplitCreatesNewFile();
  UpdateStatusText();
  FTrayTicks = 0;
}

void Tfrmmain::StartRecording() {
  if (!frmoption_ || CheckBitDepth()) return;
  const int format = cformat->currentIndex();
  QString file;
  if (!ChooseOutputFile(file)) return;
  WriterRequest writer;
  if (!WriterFor(format, file, writer)) return;
  FLastRecordedFile = file;
  PrepareFileMonitor();

  SilenceSettings silence;
  silence.thresholdDb = frmoption_->barstartdb->value();
  silence.silentLength = frmoption_->barslient->value();
  silence.action = ChosenSilenceAction(frmoption_->cslientpause->isChecked(), frmoption_->cslientstop->isChecked(),
                                       frmoption_->cslientnew->isChecked());
  if (format == kMp3) FMp3Bitrate = frmoption_->Mp3NominalBitrate();
  if (format == kOgg) FOggBitrate = frmoption_->OggNominalBitrate();
  if (format == kWma) FWmaBitrate = frmoption_->WmaNominalBitrate();
  PaintFrame->show();

  CaptureRequest capture;
  capture.rate = FSampleRate;
  capture.channels = FChannels;
  capture.bits = FBitsPerSample;
  capture.mixerPath = FVistaOrLater && LoopbackSelected();
  if (format == kWma) {
    // The WMA page chooses the channels, and the WMA writer's highest rate
    // stands in for 192000 Hz; both for this recording only.
    capture.channels = frmoption_->wmachannelcom->currentIndex() + 1;
    if (capture.rate == 192000) capture.rate = 88200;
  }
  FRecordingFailed = false;
  if (!FEngine->start(capture, writer, silence, cdar->isChecked())) return;
  FRecordingFormat = format;
  FRecordChannel = FEngine->FRecordChannel;
  if (!AttachFilters() || !AttachCompressor() || !AttachAgc()) {
    ChainFailed();
    return;
  }
  // The capture was opened paused; with its chain in place it runs.
  FEngine->play();
  Rectimer->start();
  if (!FDiskTimer) {
    FDiskTimer = new QTimer(this);
    FDiskTimer->setInterval(250);
    connect(FDiskTimer, &QTimer::timeout, this, &Tfrmmain::DiskWatchTick);
  }
  FDiskWatch.reset();
  FDiskTimer->start();
  SetControlState(ControlState::Recording);
  if (!FTaskUnit.isEmpty() && !FTaskRecording) TaskRecordingStarted();
  ReclistClick();  // Edit Tag is off for the file being recorded
  if (frmoption_->csot->isChecked()) SetStayOnTop(true);
  UpdateTrayAnimation();
}

void Tfrmmain::StopRecording() {
  if (FRecordChannel == 0 || FStopping) return;
  FStopping = true;
  PaintFrame->hide();
  FWaveBitmap.fill(Qt::black);
  PB->update();
  accessible::SetTextAlternative(PB, QStringLiteral("Idle"));
  Rectimer->stop();
  if (FDiskTimer) FDiskTimer->stop();
  // A file of an earlier split may still be completing; this one follows.
  FBackground->waitAll();
  bool nothingWritten = false;
  const bool written = RunResponsively([this, &nothingWritten] { return FEngine->stop(&nothingWritten); });
  FStopping = false;
  FRecordChannel = 0;
  FFilters.reset();  // the capture and its DSP functions are gone
  FWizardName = false;
  ListCompletedFiles();
  // A file still waiting for sound holds nothing: it goes, and the last
  // recorded file is the one before it.
  if (nothingWritten) {
    QFile::remove(FLastRecordedFile);
    FLastRecordedFile = FFileBeforeWait;
    lrname->setText(QFileInfo(FLastRecordedFile).fileName());
  } else {
    FinishedFile(FLastRecordedFile, written);
  }
  SetControlState(ControlState::IdleAfterStop);
  UpdateTrayAnimation();
  ReclistClick();
  FScheduledRun = false;
  TaskRecordingEnded();
  // Nothing plays after a stop that a close or a termination signal made.
  if (!nothingWritten && frmoption_ && frmoption_->cadd->isChecked())
    AddFinishedRecording(!FClosing && !closingWithoutAsking_);
}

// After a file is complete: says when it could not be written completely and
// opens its folder when asked to.
void Tfrmmain::FinishedFile(const QString& file, bool written) {
  if (!written && !FRecordingFailed)
    Messages().show(MsgKind::Error,
                    QStringLiteral("The recording could not be completed correctly: %1").arg(file),
                    MsgButtons::Ok);
  if (frmoption_ && frmoption_->copen->isChecked()) TheDesktop().open(QFileInfo(file).absolutePath());
}

void Tfrmmain::ListCompletedFiles() {
  // A message shown for one file runs the event loop, where the next
  // completion arrives; the loop below takes that one in its turn.
  if (FListingFinished) return;
  const QScopedValueRollback listing(FListingFinished, true);
  while (!FFinishing.empty() && FFinishing.front().written->load() >= 0) {
    const FinishingFile f = FFinishing.front();
    FFinishing.pop_front();
    FinishedFile(f.path, f.written->load() == 1);
    if (frmoption_ && frmoption_->cadd->isChecked())
      AddFinishedFile(f.path, f.length, cformat->itemText(f.format), false);
  }
}

// The split and the silence new-file action: the capture runs on and the next
// file starts with the sample after the last one of the previous file, or
// after a silence with the first block louder than the threshold.
void Tfrmmain::ContinueInNextFile(bool awaitSound) {
  // The ticks go on while the overwrite question is open; none of them may
  // decide a second time: the audio meanwhile still goes to the current file.
  if (FRecordChannel == 0 || FStopping || FSwitchingFile) return;
  const QScopedValueRollback switching(FSwitchingFile, true);
  // The previous file's name sources end with it.
  FWizardName = false;
  FScheduledRun = false;
  QString file;
  try {
    if (!ChooseOutputFile(file)) {
      StopRecording();
      return;
    }
  } catch (const EAppError& e) {
    // The recording so far is kept; trying again every second would only
    // pile up the same message.
    StopRecording();
    ShowAppError(e.text());
    return;
  }
  // A failure, a close or a termination ended the recording meanwhile.
  if (FRecordChannel == 0 || FStopping) return;
  const QString finished = FLastRecordedFile;
  const QString finishedLength = ElapsedText(static_cast<std::uint64_t>(FElapsedSeconds));
  WriterRequest writer;
  RecordingEngine::PreviousWriter previous;
  if (!WriterFor(FRecordingFormat, file, writer) || !FEngine->switchToNextFile(writer, previous, awaitSound)) {
    StopRecording();
    return;
  }
  FLastRecordedFile = file;
  FFileBeforeWait = finished;
  FDiskWatch.reset();
  PrepareFileMonitor();
  ReclistClick();
  // The new file already takes the capture; the previous one is completed
  // meanwhile, and what looks at it waits for that.
  auto written = std::make_shared<std::atomic<int>>(-1);
  FFinishing.push_back({finished, finishedLength, FRecordingFormat, written});
  FBackground->start(
      [previous, written] {
        const bool ok = RecordingEngine::completeWriter(previous);
        *written = ok ? 1 : 0;
        return ok;
      },
      [this](bool) { ListCompletedFiles(); });
}

void Tfrmmain::TogglePauseRecording() {
  if (FEngine->paused()) {
    FEngine->resume();
    Rectimer->start();
    btnpause->setToolTip(QStringLiteral("Pasue Recording"));
    lrstatus->setText(FStatusText);
    SetControlState(ControlState::Recording);
    UpdateTrayAnimation();
  } else {
    FEngine->pause();
    Rectimer->stop();
    btnpause->setToolTip(QStringLiteral("Resume Recording"));
    lrstatus->setText(QStringLiteral("Recording Paused"));
    SetControlState(ControlState::Paused);
    UpdateTrayAnimation();
  }
}

namespace {
QString FailureText(RecordingFailure failure, const QString& format, const QString& file, const QString& detail) {
  const QString said = detail.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(detail);
  switch (failure) {
    case RecordingFailure::DeviceGone:
      return QStringLiteral("The recording stopped: the recording device or the sound server is no longer "
                            "available.\nWhat was recorded until then is in %1.")
          .arg(file);
    case RecordingFailure::EncoderEnded:
      return QStringLiteral("The %1 encoder stopped unexpectedly%2; the recording was ended and the file so far "
                            "kept:\n%3")
          .arg(format, said, file);
    case RecordingFailure::EncoderBehind:
      return QStringLiteral("The recording stopped: the disk or the encoder could not keep up.\nWhat was recorded "
                            "until then is in %1.")
          .arg(file);
    case RecordingFailure::WriteFailed:
      return QStringLiteral("The recording stopped: %1 could not be written, the disk may be full%2.\nWhat was "
                            "written before is kept.")
          .arg(file, said);
  }
  return QString();
}
}  // namespace

// Reported from a library thread, handled here on the window's: the running
// recording stops and its file is completed, then the user learns why.
void Tfrmmain::OnRecordingFailure(RecordingFailure failure, zaudio::DWORD handle, const QString& detail) {
  const bool current = FRecordChannel != 0 && (handle == FEngine->FRecordChannel.load() ||
                                               handle == FEngine->FEncoder.load() ||
                                               handle == FEngine->FWmaEncoder.load());
  // A stop under way completes the file and reports its own failure.
  if (!current || FStopping) return;
  const bool mixerPath = FEngine->mixerPath();
  FRecordingFailed = true;
  lrstatus->setText(QStringLiteral("Idle..."));
  lrstatus->setStyleSheet(QStringLiteral("color: black;"));
  StopRecording();
  // After the stop: a file still waiting for sound is gone by now, and the
  // one before it holds what was recorded.
  const QString file = FLastRecordedFile;
  // An encoder that refused its input before writing anything failed to
  // start, as far as the user is concerned: nothing of it is left.
  const QFileInfo written(file);
  if (failure == RecordingFailure::EncoderEnded && (!written.exists() || written.size() == 0)) {
    QFile::remove(file);
    Messages().show(MsgKind::Error, WithCause(WriterFailureText(FRecordingFormat, mixerPath), WriteFailureCause(file)),
                    MsgButtons::Ok);
    return;
  }
  // An encoder that ends on a full disk says little of it itself (its last
  // line may be a bitrate): the system's cause is named instead.
  QString cause = detail;
  if ((failure == RecordingFailure::EncoderEnded || failure == RecordingFailure::WriteFailed) && VolumeFull(file)) {
    failure = RecordingFailure::WriteFailed;
    cause = SystemErrorText(ENOSPC);
  }
  Messages().show(MsgKind::Error, FailureText(failure, cformat->itemText(FRecordingFormat), file, cause),
                  MsgButtons::Ok);
}

void Tfrmmain::DiskWatchTick() {
  if (FRecordChannel == 0 || FStopping || FSwitchingFile) return;
  struct statvfs fs {};
  if (::statvfs(QFile::encodeName(QFileInfo(FLastRecordedFile).absolutePath()).constData(), &fs) != 0) return;
  const std::uint64_t freeBytes = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize;
  const QFileInfo file(FLastRecordedFile);
  const std::uint64_t size = file.exists() ? static_cast<std::uint64_t>(file.size()) : 0;
  // The TTA writer holds its frames until the end: at most what it was given.
  const std::uint64_t heldBack = FRecordingFormat == kTta ? FEngine->receivedBytes() : 0;
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                       .count();
  if (FDiskWatch.due(now, size, heldBack, freeBytes)) StopForFullDisk(freeBytes);
}

void Tfrmmain::StopForFullDisk(std::uint64_t freeBytes) {
  const QString file = FLastRecordedFile;
  FRecordingFailed = true;  // this says what happened, not the stop
  lrstatus->setText(QStringLiteral("Idle..."));
  lrstatus->setStyleSheet(QStringLiteral("color: black;"));
  StopRecording();
  Messages().show(MsgKind::Error,
                  QStringLiteral("The recording stopped: the disk that holds %1 is full (%2 free).\nWhat was recorded "
                                 "is complete in that file.")
                      .arg(file, FormatSizeText(static_cast<qint64>(freeBytes))),
                  MsgButtons::Ok);
}

// The folder is gone, or the file that was there is. Some encoders make
// their file only at the end, so a file never seen yet is not missed.
bool Tfrmmain::OutputVanished() {
  if (FLastRecordedFile.isEmpty()) return false;
  if (PathTaken(FLastRecordedFile)) {
    FOutputSeen = true;
    return false;
  }
  return FOutputSeen || !QFileInfo(QFileInfo(FLastRecordedFile).absolutePath()).isDir();
}

void Tfrmmain::RecoverVanishedOutput() {
  const QString lost = FLastRecordedFile;
  const QString folder = QFileInfo(lost).absolutePath();
  // The folder first, for an encoder that writes its file only at the end;
  // then a hold on the deleted file, which outlives the writer's.
  const bool folderBack = QFileInfo(folder).isDir() || ForceFolders(folder);
  const int held = OpenDeletedFile(lost);
  FRecordingFailed = true;  // this says what happened, not the stop
  lrstatus->setText(QStringLiteral("Idle..."));
  lrstatus->setStyleSheet(QStringLiteral("color: black;"));
  StopRecording();
  QString kept;
  if (held >= 0) {
    kept = folderBack && !PathTaken(lost) ? lost : QString();
    if (kept.isEmpty() || !CopyOutOf(held, kept)) {
      kept = FirstFreeName(FWorkFolder + QFileInfo(lost).fileName(), [](const QString& p) { return PathTaken(p); });
      if (!CopyOutOf(held, kept)) kept.clear();
    }
    ::close(held);
  } else if (PathTaken(lost)) {
    kept = lost;
  }
  if (kept.isEmpty()) {
    Messages().show(MsgKind::Error,
                    QStringLiteral("%1 was deleted while recording, and what was recorded could not be kept.").arg(lost),
                    MsgButtons::Ok);
    return;
  }
  FLastRecordedFile = kept;
  lrname->setText(QFileInfo(kept).fileName());
  if (frmoption_ && frmoption_->cadd->isChecked()) AddFinishedRecording(false);
  Messages().show(MsgKind::Error,
                  QStringLiteral("The output folder %1 or the file in it was removed while recording. The recording "
                                 "was stopped; what was recorded is in %2.")
                      .arg(folder, kept),
                  MsgButtons::Ok);
}

void Tfrmmain::EndForTermination() {
  // Nobody may be there to click: what is still to be said goes to standard
  // error.
  SetUnattended(true);
  CloseWithoutAsking();
}

void Tfrmmain::CloseWithoutAsking() {
  closingWithoutAsking_ = true;
  // A box or dialog already open is closed as if cancelled. A stop under
  // way, or the windows closed just now, finish first; the close follows
  // once their event loops have returned.
  if (RejectModalWindows() || FStopping) {
    QTimer::singleShot(50, this, [this] { CloseWithoutAsking(); });
    return;
  }
  if (!FClosing) close();  // a close under way ends the program itself
}

bool Tfrmmain::RejectModalWindows() {
  bool rejected = false;
  // Each one closed uncovers the one it was opened from.
  while (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
    dialog->done(QDialog::Rejected);
    rejected = true;
    if (QApplication::activeModalWidget() == dialog) dialog->hide();  // it would not close: hiding ends it too
  }
  return rejected;
}
