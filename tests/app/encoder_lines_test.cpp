// The window picks the encoder line of a format from the options dialog.
#include <QComboBox>
#include <QRadioButton>

#include "recording/recording_formats.h"
#include "recording_window_fixture.h"

namespace {
const QString kFile = QStringLiteral("/music/a b.x");
const QString kQuoted = QStringLiteral("\"/music/a b.x\"");
}  // namespace

TEST_F(RecordingWindowTest, EncoderCommandLineFollowsTheFormat) {
  Tfrmmain& w = Open("[MP3]\nChannel=4\n[Lossless]\nApeLevel=4\nFlacLevel=8\n");
  const struct {
    int format;
    QString line;
  } cases[] = {
      {kWav, ""},
      {kMp3, "bin/lame  -a --preset standard -m m - " + kQuoted},
      {kWma, ""},
      {kOgg, "bin/oggenc2 -q 2.75 - -o" + kQuoted},
      {kApe, "bin/MAC - " + kQuoted + " -c5000"},
      {kFlac, "bin/flac -f --compression-level-8 -o " + kQuoted + " -"},
      {kTta, "bin/ttaenc -e - -o " + kQuoted},
      {kWv, "bin/wavpack -j1 -i - " + kQuoted},
      {kAac, "bin/FAAC -q 100 -o " + kQuoted + " -"},
      {kMpc, "bin/mppenc --silent --overwrite --standard - " + kQuoted},
      {kSpx, "bin/speexenc --bitrate 32 --quality 8 -u - " + kQuoted},
      {kFormatCount, ""},
      {-1, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(w.EncoderCommandLine(c.format, kFile), c.line) << c.format;
}

TEST_F(RecordingWindowTest, OnTheMixerPathTheEncoderReceivesTwoChannels) {
  backend->addCaptureDevice(Device("Stereo Mix", zaudio::DEVICE_LOOPBACK));
  Tfrmmain& w = Open("[MP3]\nChannel=4\n[OGG]\nChannel=0\n");
  ASSERT_EQ(w.infodevice->text(), "Loopback Device");
  w.cchannel->setCurrentIndex(0);
  w.cchannelChange();
  ASSERT_EQ(w.FChannels, 1);
  EXPECT_EQ(w.EncoderCommandLine(kMp3, kFile), "bin/lame  -a --preset standard -m m - " + kQuoted);
  EXPECT_EQ(w.EncoderCommandLine(kOgg, kFile), "bin/oggenc2 --downmix -q 2.75 - -o" + kQuoted);

  w.Rslist->setCurrentIndex(w.Rslist->findText("Microphone"));
  w.RslistChange();
  ASSERT_EQ(w.infodevice->text(), "Capture Device");
  EXPECT_EQ(w.EncoderCommandLine(kMp3, kFile), "bin/lame  --preset standard -m m - " + kQuoted);
  EXPECT_EQ(w.EncoderCommandLine(kOgg, kFile), "bin/oggenc2 -q 2.75 - -o" + kQuoted);
}

// The bitrate lists keep the items they were filled with at start; a later
// sample rate never swaps the bitrate chosen from them, on the command line
// or in the size estimate.
TEST_F(RecordingWindowTest, TheChosenMp3BitrateSurvivesALaterSampleRate) {
  Tfrmmain& w = Open();
  const struct {
    const char* mode;
    const char* cbr;
    const char* min;
    const char* max;
    const char* line;
    int nominal;
  } cases[] = {
      {"cmp3cbr", "320 kbps", nullptr, nullptr, "bin/lame  -b 320 - ", 320},
      {"cmp3vbr", nullptr, "8 kbps", "320 kbps", "bin/lame  -b 8 -V 4 -B 320 - ", 8},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.mode);
    w.csample->setCurrentIndex(5);  // 44100 Hz, as the lists were filled
    w.csampleChange();
    options->findChild<QRadioButton*>(c.mode)->setChecked(true);
    if (c.cbr) options->mp3cbrbitratecom->setCurrentText(c.cbr);
    if (c.min) options->mp3minbitratecom->setCurrentText(c.min);
    if (c.max) options->mp3maxbitratecom->setCurrentText(c.max);
    w.csample->setCurrentIndex(3);  // 22050 Hz offers no 320 kbps of its own
    w.csampleChange();
    EXPECT_EQ(w.EncoderCommandLine(kMp3, kFile).toStdString(), c.line + kQuoted.toStdString());
    EXPECT_EQ(options->Mp3NominalBitrate(), c.nominal);
  }
}
