// Each output format recorded by the window from the test server's loopback
// device through the encoders in bin/: the file decodes with its codec, rate
// and channels, holds the tone, lasts as long as was recorded, and the
// format's own tool reads it. APE, our own encoder, also from the microphone.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidget>
#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <ostream>
#include <unistd.h>

#include "app/scan_thread.h"
#include "support/ffmpeg_decode.h"
#include "support/tone_analysis.h"
#include "support/wav_file.h"
#include "window_on_server.h"

namespace zovedu_test {
namespace {

struct FormatCase {
  int format;
  const char* extension;
  const char* codec;                // as ffprobe names it
  int rate;                         // in the file
  std::vector<QString> ownTool;     // the format's own reader; "%1" is the file
  QStringList decodeOptions;        // ahead of -i: a decoder to prefer
};

// Names the case in test listings.
void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.extension; }

class EveryFormat : public WindowOnServer, public ::testing::WithParamInterface<FormatCase> {};

// The file decodes with the codec, rate and stereo, lasts three seconds by
// its samples (container durations are not to be trusted) and holds the tone.
void ExpectThreeSecondsOfTone(const QString& file, const QString& codec, int rate,
                              const QStringList& decodeOptions = {}) {
  ASSERT_TRUE(QFile::exists(file));
  const QStringList stream = RunTool("ffprobe", {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                 "stream=codec_name,sample_rate,channels", "-of", "csv=p=0", file})
                                 .trimmed()
                                 .split(',');
  EXPECT_EQ(stream.mid(0, 3), (QStringList{codec, QString::number(rate), "2"})) << stream.join(',').toStdString();
  const std::vector<float> samples = DecodeMono(file, 44100, decodeOptions);
  EXPECT_NEAR(static_cast<double>(samples.size()) / 44100, 3.0, 0.3);
  const ToneFound t = FindTone(samples, 44100, 1000);
  ASSERT_TRUE(t.found);
  EXPECT_GT(t.purity, 0.8);
}

TEST_P(EveryFormat, RecordsTheToneForAsLongAsItRan) {
  const FormatCase c = GetParam();
  Tfrmmain& w = Open();
  ASSERT_EQ(w.infodevice->text(), "Loopback Device");
  w.cformat->setCurrentIndex(c.format);
  TonePlayer tone(kPlaySink, 1000, 0.5, 4.5);
  ASSERT_NO_FATAL_FAILURE(RecordThreeSeconds());
  ASSERT_TRUE(tone.finish()) << tone.error();
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
  const QString file = out.filePath(QString("Rectest-01") + c.extension);
  ASSERT_NO_FATAL_FAILURE(ExpectThreeSecondsOfTone(file, c.codec, c.rate, c.decodeOptions));

  if (!c.ownTool.empty()) {
    QStringList args;
    for (size_t i = 1; i < c.ownTool.size(); ++i) args << QString(c.ownTool[i]).replace("%1", file);
    int exitCode = -1;
    const QString said = RunTool(c.ownTool[0], args, &exitCode);
    EXPECT_EQ(exitCode, 0) << said.toStdString();
  }

  // Listed at the stop and played from the list: the stream is as long as
  // what ffmpeg decodes, and the waveform scan finds the tone's level.
  ASSERT_EQ(w.Reclist->topLevelItemCount(), 1);
  w.Reclist->topLevelItem(0)->setSelected(true);
  w.ReclistDblClick();
  ASSERT_NE(w.FPlayStream, 0u) << messages.texts().join("|").toStdString();
  EXPECT_EQ(w.lformatinfo->text(), QString("%1 freq:%2 Hz Channel:2").arg(w.cformat->currentText()).arg(c.rate));
  EXPECT_EQ(zaudio::ChannelGetLength(w.FPlayStream) / 4, DecodeMono(file, c.rate, c.decodeOptions).size());
  ASSERT_TRUE(WaitUntil([&] { return w.FScan && w.FScan->finished(); }));
  int loudest = 0;
  for (int i = 0; i < w.FScan->levels().columns(); ++i) loudest = std::max<int>(loudest, w.FScan->levels().left(i));
  // The tone plays at half scale; a speech codec lets its peaks overshoot.
  EXPECT_GT(loudest / 32768.0, 0.4);
  EXPECT_LT(loudest / 32768.0, 0.9);
  w.btnstopClick();
  EXPECT_EQ(w.FPlayStream, 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Formats, EveryFormat,
    ::testing::Values(
        FormatCase{0, ".wav", "pcm_s16le", 44100, {"sox", "--i", "%1"}, {}},
        FormatCase{1, ".mp3", "mp3", 44100, {"lame", "--decode", "--quiet", "%1", "/dev/null"}, {}},
        FormatCase{2, ".wma", "wmav2", 44100, {}, {}},
        FormatCase{3, ".ogg", "vorbis", 44100, {"oggdec", "--quiet", "-o", "/dev/null", "%1"}, {}},
        FormatCase{4, ".ape", "ape", 44100, {}, {}},
        FormatCase{5, ".flac", "flac", 44100, {"flac", "-t", "--silent", "%1"}, {}},
        FormatCase{6, ".tta", "tta", 44100, {}, {}},
        FormatCase{7, ".wv", "wavpack", 44100, {"wvunpack", "-v", "-q", "%1"}, {}},
        FormatCase{8, ".aac", "aac", 44100, {}, {}},
        FormatCase{9, ".mpc", "musepack8", 44100, {"mpcdec", "%1", "/dev/null"}, {}},
        // Speex encodes at its band's rate (ultra-wideband here). FFmpeg's own
        // Speex decoder garbles some valid files; libspeex does not.
        FormatCase{10, ".spx", "speex", 32000, {"speexdec", "%1", "/dev/null"}, {"-c:a", "libspeex"}}),
    [](const ::testing::TestParamInfo<FormatCase>& info) {
      return std::string(info.param.extension + 1);
    });

// The other capture path: the microphone, recorded directly.
TEST_F(WindowOnServer, RecordsApeFromTheMicrophone) {
  Tfrmmain& w = Open();
  ASSERT_NO_FATAL_FAILURE(ChooseMicrophone());
  w.cformat->setCurrentIndex(4);  // APE
  TonePlayer tone(kCaptureSink, 1000, 0.5, 4.5);
  ASSERT_NO_FATAL_FAILURE(RecordThreeSeconds());
  ASSERT_TRUE(tone.finish()) << tone.error();
  EXPECT_TRUE(messages.shown.empty()) << messages.texts().join("|").toStdString();
  ASSERT_NO_FATAL_FAILURE(ExpectThreeSecondsOfTone(out.filePath("Rectest-01.ape"), "ape", 48000));  // the device's rate
}

// mppenc refuses 22050 Hz before it writes anything: to the user that is a
// start that failed, and no file is left.
TEST_F(WindowOnServer, EncoderRefusingItsInputIsAFailedStart) {
  Tfrmmain& w = Open();
  w.cformat->setCurrentIndex(9);  // MPC
  w.csample->setCurrentIndex(3);  // 22050 Hz
  w.btnrecClick();
  ASSERT_TRUE(WaitUntil([&] {
    QCoreApplication::processEvents();
    return w.FRecordChannel == 0;
  }));
  EXPECT_EQ(messages.texts(), QStringList{"Couldn't use MPC Encoder"});
  EXPECT_FALSE(QFile::exists(out.filePath("Rectest-01.mpc")));
  EXPECT_TRUE(w.btnrec->isEnabled());
}

// Our direct children: the encoder program(s) the recording started.
std::vector<pid_t> ChildProcesses() {
  std::vector<pid_t> children;
  QDir proc("/proc");
  for (const QString& entry : proc.entryList(QDir::Dirs)) {
    bool isPid = false;
    const pid_t pid = entry.toInt(&isPid);
    if (!isPid) continue;
    QFile stat("/proc/" + entry + "/stat");
    if (!stat.open(QIODevice::ReadOnly)) continue;
    // "pid (name) state ppid ...": the name may hold blanks, so read after ')'.
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() > 1 && fields[1].toInt() == ::getpid()) children.push_back(pid);
  }
  return children;
}

TEST_F(WindowOnServer, EncoderThatDiesEndsTheRecordingAndKeepsTheFile) {
  Tfrmmain& w = Open();
  w.cformat->setCurrentIndex(1);  // MP3
  TonePlayer tone(kPlaySink, 1000, 0.5, 3.0);
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u) << messages.texts().join("|").toStdString();
  const QString file = out.filePath("Rectest-01.mp3");
  ASSERT_TRUE(WaitUntil([&] {
    QCoreApplication::processEvents();
    return QFileInfo(file).size() > 4096;
  }));
  const auto children = ChildProcesses();
  ASSERT_FALSE(children.empty());
  for (pid_t child : children) ::kill(child, SIGKILL);
  ASSERT_TRUE(WaitUntil([&] {
    QCoreApplication::processEvents();
    return w.FRecordChannel == 0;
  }));
  ASSERT_TRUE(tone.finish()) << tone.error();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_TRUE(messages.texts()[0].startsWith("The MP3 encoder stopped unexpectedly")) << messages.texts()[0].toStdString();
  EXPECT_TRUE(messages.texts()[0].contains(file));
  EXPECT_GT(QFileInfo(file).size(), 4096);
  EXPECT_TRUE(w.btnrec->isEnabled());
}

}  // namespace
}  // namespace zovedu_test
