// Playing a listed recording: the play stream and its scan, the transport,
// the waveform and position bar, and the spectrum tick shared with recording.
#include <QCoreApplication>
#include <QDateTime>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QSlider>
#include <cmath>

#include "app/scan_thread.h"
#include "app/stream_choice.h"
#include "app/tfrmmain.h"
#include "app/tspectrum.h"
#include "library/recording_list.h"
#include "recording/capture_devices.h"
#include "recording/recording_monitor.h"
#include "services/accessible_names.h"
#include "services/message_service.h"

void Tfrmmain::ReclistDblClick() {
  if (FRecordChannel != 0) {
    if (Messages().show(MsgKind::Confirmation, QStringLiteral("Now Recording,Stop recording to play?"),
                        MsgButtons::YesNo) != MsgAnswer::Yes)
      return;
    // The stop may add the file to the list and play it itself.
    StopRecording();
    if (FPlayStream != 0) return;
  }
  if (const RecordingListEntry* e = SelectedEntry()) PlayListedFile(*e);
}

void Tfrmmain::PlayListedFile(const RecordingListEntry& entry) {
  const std::string path = entry.fullPath();
  if (!ListedFileExists(path)) {
    Messages().show(MsgKind::Error, QStringLiteral("Not Find ") + ShownText(path), MsgButtons::Ok);
    return;
  }
  if (FPlayStream != 0) StopPlayback();
  FScan.reset();  // an earlier scan ends before anything of this file is drawn
  // The slider shows the output's volume; nothing is set by showing it, so
  // the capture device keeps its level.
  if (const float volume = zaudio::GetVolume(); volume >= 0) {
    const QSignalBlocker quiet(Cvolume);
    Cvolume->setValue(static_cast<int>(std::lround(volume * 100)));
    lvol->setText(VolumeText(Cvolume->value()));
  }

  const StreamCreator create = StreamCreatorFor(entry.Type, path);
  const zaudio::HSTREAM play = create(false, path.c_str(), 0, 0, 0);
  const zaudio::HSTREAM scan = play ? create(false, path.c_str(), 0, 0, zaudio::STREAM_DECODE) : 0;
  zaudio::ChannelInfo info;
  if (play == 0 || !zaudio::ChannelGetInfo(play, &info)) {
    if (play) zaudio::StreamFree(play);
    if (scan) zaudio::StreamFree(scan);
    Messages().show(MsgKind::Error,
                    play == 0 ? QStringLiteral("Error creating stream!") : QStringLiteral("Error getting stream Information!"),
                    MsgButtons::Ok);
    return;
  }
  FPlayStream = play;
  lrname->setText(ShownText(entry.Name));
  lrsize->setText(QString::fromStdString(entry.Size));
  lformatinfo->setText(QString::fromStdString(entry.Type) + QStringLiteral(" freq:") + QString::number(info.freq) +
                       QStringLiteral(" Hz") + QStringLiteral(" Channel:") + QString::number(info.chans));
  // A column never covers less than 20 ms: short files use the bar's left part.
  const zaudio::QWORD length = zaudio::ChannelGetLength(play, zaudio::POS_BYTE);
  const zaudio::QWORD minimum = zaudio::ChannelSeconds2Bytes(play, 0.02);
  FBytesPerPixel = std::max<zaudio::QWORD>(length == zaudio::QWORD(-1) ? 0 : length / PB->width(), minimum);
  FPlayedPixel = 0;
  if (scan != 0) FScan = std::make_unique<TScanThread>(scan, true, FBytesPerPixel, PB->width());
  StartPlayback();
}

void Tfrmmain::StartPlayback() {
  const zaudio::HSTREAM stream = FPlayStream;
  // The end arrives on a library thread; the stop runs on ours, and only for
  // the stream that ended.
  zaudio::ChannelSetSync(stream, zaudio::SYNC_END, 0,
                         [this, stream](zaudio::HSYNC, zaudio::DWORD, zaudio::DWORD, void*) {
                           QMetaObject::invokeMethod(this, [this, stream] { PlaybackEnded(stream); },
                                                     Qt::QueuedConnection);
                         },
                         nullptr);
  if (!zaudio::ChannelPlay(stream, false)) {
    zaudio::StreamFree(stream);
    FPlayStream = 0;
    FScan.reset();
    Messages().show(MsgKind::Error, QStringLiteral("Error playing stream!"), MsgButtons::Ok);
    return;
  }
  Rectimer->start();
  PaintFrame->show();
  SetControlState(ControlState::Playing);
}

void Tfrmmain::PlaybackEnded(zaudio::DWORD stream) {
  if (stream != 0 && stream == FPlayStream) StopPlayback();
}

void Tfrmmain::StopPlayback() {
  Rectimer->stop();
  if (FPlayStream != 0) {
    zaudio::ChannelStop(FPlayStream);
    zaudio::StreamFree(FPlayStream);
  }
  FPlayStream = 0;
  FScan.reset();
  lrstatus->setText(QStringLiteral("Idle..."));
  lrstatus->setStyleSheet(QStringLiteral("color: black;"));
  FWaveBitmap.fill(Qt::black);
  PB->repaint();
  accessible::SetTextAlternative(PB, QStringLiteral("Idle"));
  PaintFrame->hide();
}

void Tfrmmain::TogglePlaybackPause() {
  if (FPlayStream == 0) return;
  if (zaudio::ChannelIsActive(FPlayStream) == zaudio::ACTIVE_PAUSED) {
    zaudio::ChannelPlay(FPlayStream, false);
    Rectimer->start();
    btnpause->setToolTip(QStringLiteral("Pasue Playing"));
    lrstatus->setText(QStringLiteral("Playing..."));
  } else {
    zaudio::ChannelPause(FPlayStream);
    Rectimer->stop();
    btnpause->setToolTip(QStringLiteral("Resume Playing"));
    lrstatus->setText(QStringLiteral("Playing Paused"));
  }
}

// The one-second tick while playing: the status blinks.
void Tfrmmain::PlayingTick() {
  lrstatus->setText(QStringLiteral("Playing..."));
  accessible::SetTextAlternative(PB, QStringLiteral("Waveform, played ") + lrlength->text());
  DescribeSpectrum();
  FBlinkRed = !FBlinkRed;
  lrstatus->setStyleSheet(FBlinkRed ? QStringLiteral("color: red;") : QStringLiteral("color: black;"));
}

void Tfrmmain::DrawWaveform() {
  FWaveBitmap.fill(Qt::black);
  const int mid = PB->height() / 2;
  if (FPlayStream == 0 || !FScan) return;
  QPainter p(&FWaveBitmap);
  const WaveLevels& levels = FScan->levels();
  for (int i = 0; i < levels.columns(); ++i) {
    const bool played = i <= FPlayedPixel;
    // Levels are read as signed 16 bits: 32768 reads as -32768, a full line.
    const int h = std::abs(static_cast<int>(std::trunc(levels.left(i) / 32768.0 * mid)));
    p.setPen(played ? QColor(255, 255, 0) : QColor(0, 255, 0));
    p.drawLine(i, mid, i, mid - h);
    const int h2 = std::abs(static_cast<int>(std::trunc(levels.right(i) / 32768.0 * mid)));
    p.setPen(played ? QColor(255, 255, 0) : QColor(255, 0, 0));
    p.drawLine(i, mid + 2, i, mid + 2 + h2);
  }
}

void Tfrmmain::DrawPlayPosition(int y, const QColor& colour, zaudio::QWORD position) {
  const double seconds = std::trunc(zaudio::ChannelBytes2Seconds(FPlayStream, position));
  FPlayedPixel = FBytesPerPixel ? static_cast<std::int32_t>(static_cast<std::uint32_t>(position / FBytesPerPixel)) : 0;
  const QString text = seconds >= 0 ? QTime(0, 0).addSecs(static_cast<int>(seconds)).toString(QStringLiteral("hh:mm:ss"))
                                    : QStringLiteral("00:00:00");
  lrlength->setText(text);
  QPainter p(&FWaveBitmap);
  p.setPen(colour);
  p.drawLine(FPlayedPixel, 0, FPlayedPixel, PB->height());
  QFont bold = p.font();
  bold.setBold(true);
  p.setFont(bold);
  const int x = FPlayedPixel < PB->width() - 60 ? FPlayedPixel + 2 : FPlayedPixel - 58;
  p.drawText(QPoint(x, y + p.fontMetrics().ascent()), text);
}

void Tfrmmain::PBMouseDown(int x) {
  if (FPlayStream != 0) zaudio::ChannelSetPosition(FPlayStream, static_cast<zaudio::QWORD>(x) * FBytesPerPixel);
}

void Tfrmmain::FFTTimerTimer() {
  if (!isVisible() || isMinimized()) return;
  const zaudio::DWORD channel = FRecordChannel != 0 ? FRecordChannel : FPlayStream;
  if (channel == 0 || zaudio::ChannelIsActive(channel) != zaudio::ACTIVE_PLAYING) return;
  std::array<float, TSpectrum::kFftValues> fft{};
  if (zaudio::ChannelGetData(channel, fft.data(), zaudio::DATA_FFT1024) == zaudio::DATA_ERROR) return;
  // Painted with the window's next update, and only when the picture changed.
  if (FSpectrum->Draw(FSpectrumFrame, fft.data(), 0, 0)) PaintFrame->update(FSpectrum->FChanged);
  if (FPlayStream != 0) {
    DrawWaveform();
    DrawPlayPosition(0, Qt::white, zaudio::ChannelGetPosition(FPlayStream, zaudio::POS_BYTE));
    PB->repaint();
  }
}

void Tfrmmain::PaintFrameClick() { FSpectrum->FMode = NextSpectrumMode(FSpectrum->FMode); }
