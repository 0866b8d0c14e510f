// The one-second monitor while recording: length, size, free space, the
// blinking status, the level display, splitting and silence handling.
#include <QCheckBox>
#include <QPainter>
#include <QSlider>

#include "app/tfrmmain.h"
#include "dialogs/tfrmoption.h"
#include "recording/recording_formats.h"
#include "recording/silence.h"
#include "services/size_text.h"

void Tfrmmain::RectimerTimer() {
  if (FRecordChannel == 0) {
    if (FPlayStream != 0) PlayingTick();
    return;
  }
  if (OutputVanished()) {
    RecoverVanishedOutput();
    return;
  }
  // After a silence closed the file, the next one waits for sound: nothing
  // counts, as in a pause.
  if (FEngine->awaitingSound()) {
    lrstatus->setText(QStringLiteral("Waiting for sound..."));
    lrstatus->setStyleSheet(QStringLiteral("color: black;"));
    return;
  }
  if (FEngine->FInSilence) {
    const int silent = ++FEngine->FSilentSeconds;
    const int length = FEngine->silence().silentLength;
    SilenceAction();
    // While the silence suspends the file, its time, size, display and
    // split stand still.
    if (FRecordChannel == 0 || length == 0 || silent >= length) return;
  }
  if (frmoption_ && frmoption_->cshowtime->isChecked() && TrayIcon1->isVisible() && ++FTrayTicks >= 60) {
    ShowTrayBalloon(QStringLiteral("Recording length:") + lrlength->text());
    FTrayTicks = 0;
  }
  ++FElapsedSeconds;
  lrlength->setText(ElapsedText(static_cast<std::uint64_t>(FElapsedSeconds)));
  lrstatus->setText(FStatusText);
  ToggleStatusColour();
  switch (FRecordingFormat) {
    case kWav: ShowWavSize(); break;
    case kMp3: ShowMp3Size(); break;
    case kWma: ShowWmaSize(); break;
    case kOgg: ShowOggSize(); break;
    case kApe: ShowApeSize(); break;
    case kFlac: ShowFlacSize(); break;
    case kTta: ShowTtaSize(); break;
    case kWv: ShowWvSize(); break;
    case kAac: ShowAacSize(); break;
    case kMpc: ShowMpcSize(); break;
    case kSpx: ShowSpxSize(); break;
  }
  lrsize->setText(lrsize->text() + QLatin1Char('/') + FFreeSpaceText + QStringLiteral(" Free Space"));
  DrawLevelMeter(FRecordChannel);
  DescribeSpectrum();
  CheckSplit();
}

// Black becomes red, any other colour black.
void Tfrmmain::ToggleStatusColour() {
  const bool red = lrstatus->styleSheet().contains(QStringLiteral("red"));
  lrstatus->setStyleSheet(red ? QStringLiteral("color: black;") : QStringLiteral("color: red;"));
}

void Tfrmmain::ShowFormatSize(int format) {
  const EstimateBitrates bitrates{FMp3Bitrate, FOggBitrate, FWmaBitrate};
  FOutputSize = EstimatedOutputSize(format, FEngine->receivedBytes(), static_cast<std::uint64_t>(FElapsedSeconds),
                                    bitrates);
  lrsize->setText(RecordingSizeText(FOutputSize));
}

void Tfrmmain::ShowWavSize() { ShowFormatSize(kWav); }
void Tfrmmain::ShowMp3Size() { ShowFormatSize(kMp3); }
void Tfrmmain::ShowWmaSize() { ShowFormatSize(kWma); }
void Tfrmmain::ShowOggSize() { ShowFormatSize(kOgg); }
void Tfrmmain::ShowApeSize() { ShowFormatSize(kApe); }
void Tfrmmain::ShowFlacSize() { ShowFormatSize(kFlac); }
void Tfrmmain::ShowTtaSize() { ShowFormatSize(kTta); }
void Tfrmmain::ShowWvSize() { ShowFormatSize(kWv); }
void Tfrmmain::ShowAacSize() { ShowFormatSize(kAac); }
void Tfrmmain::ShowMpcSize() { ShowFormatSize(kMpc); }
void Tfrmmain::ShowSpxSize() { ShowFormatSize(kSpx); }

void Tfrmmain::DrawLevelMeter(zaudio::DWORD channel) {
  const zaudio::DWORD level = zaudio::ChannelGetLevel(channel);
  const std::uint32_t word = level == 0xFFFFFFFF ? 0 : level;
  StoreLevel(FLeftLevels, FRightLevels, FMeterColumn, word, FEngine->FInSilence);
  DescribeLevels(word);
  if (!isVisible()) return;
  const int width = PB->width(), height = PB->height(), mid = height / 2;
  FWaveBitmap.fill(Qt::black);
  QPainter p(&FWaveBitmap);
  for (int i = 0; i <= FMeterColumn && i < static_cast<int>(FLeftLevels.size()); ++i) {
    p.setPen(Qt::green);
    p.drawLine(i, mid, i, mid - LevelBarHeight(FLeftLevels[size_t(i)], mid));
    p.setPen(Qt::red);
    p.drawLine(i, mid + 2, i, mid + 2 + LevelBarHeight(FRightLevels[size_t(i)], mid));
  }
  p.setPen(Qt::yellow);
  p.drawLine(FMeterColumn, 0, FMeterColumn, height);
  QFont bold = font();
  bold.setBold(true);
  p.setFont(bold);
  const int x = LevelTextX(FMeterColumn, width);
  const QString leftText = QString::number(LevelToDb(static_cast<int>(word & 0xFFFF), 32768)) + "db";
  const QString rightText = QString::number(LevelToDb(static_cast<int>(word >> 16), 32768)) + "db";
  p.drawText(QRect(x, 0, 60, 12), Qt::AlignLeft | Qt::AlignTop, leftText);
  p.drawText(QRect(x, height - 12, 60, 12), Qt::AlignLeft | Qt::AlignTop, rightText);
  p.end();
  PB->update();
}

void Tfrmmain::CheckSplit() {
  if (!SplitDue(FSplitMode, FSplitLimit, static_cast<std::uint64_t>(FElapsedSeconds), FOutputSize)) return;
  if (FSplitNewFile)
    ContinueInNextFile(false);
  else
    StopRecording();
}

void Tfrmmain::SilenceAction() {
  const SilenceTick t = SilenceTickFor(FEngine->silence(), FEngine->FSilentSeconds, FRecordingFormat == kWma);
  if (t.pauseEncoder) FEngine->suspendForSilence();
  if (t.stop) StopRecording();
  if (t.newFile) ContinueInNextFile(true);
}

void Tfrmmain::cdarClick() {
  UpdateStatusText();
  FEngine->setSilenceOn(cdar->isChecked());
  const bool suspended = FEngine->FInSilence || FEngine->awaitingSound();
  if (suspended && zaudio::ChannelIsActive(FRecordChannel) == zaudio::ACTIVE_PLAYING) {
    Rectimer->start();
    FEngine->resumeFromSilence();
  }
}
