// Going on in the next file while the capture runs: a split whose overwrite
// question stays open while audio flows, the files a split closes reaching
// the recordings list, and the silence new-file action, whose next file waits
// for sound instead of filling with silence.
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QRadioButton>
#include <QThread>
#include <cmath>

#include "recording_window_fixture.h"
#include "services/size_text.h"
#include "support/ffmpeg_decode.h"

namespace {

// Frame i carries its own number: left (i mod 32768) / 32768, right
// (i div 32768) / 32768, which 16-bit samples hold exactly.
zaudio::VirtualSignal CountingSignal(size_t frames) {
  zaudio::VirtualSignal s;
  for (size_t i = 0; i < frames; ++i) {
    s.samples.push_back(static_cast<float>(i % 32768) / 32768.0f);
    s.samples.push_back(static_cast<float>(i / 32768) / 32768.0f);
  }
  return s;
}

// Sample n of a 16-bit file's data.
long Sample(const zovedu_test::WavInfo& wav, size_t n) {
  return static_cast<std::int16_t>(static_cast<std::uint8_t>(wav.data[2 * n]) |
                                   (static_cast<std::uint8_t>(wav.data[2 * n + 1]) << 8));
}

// The frame numbers a 16-bit stereo file holds, in order.
std::vector<long> FrameNumbers(const zovedu_test::WavInfo& wav) {
  std::vector<long> numbers;
  for (size_t frame = 0; frame < wav.data.size() / 4; ++frame)
    numbers.push_back(Sample(wav, 2 * frame + 1) * 32768 + Sample(wav, 2 * frame));
  return numbers;
}

// `loud` seconds of a half-scale tone, then `quiet` seconds of digital
// silence, in turn.
zaudio::VirtualSignal ToneAndSilence(std::initializer_list<std::pair<int, int>> stretches, int rate) {
  zaudio::VirtualSignal s;
  size_t i = 0;
  for (const auto& [loud, quiet] : stretches) {
    for (int n = 0; n < loud * rate; ++n, ++i) {
      const auto v = static_cast<float>(0.5 * std::sin(2 * 3.141592653589793 * 1000 * double(i) / rate));
      s.samples.push_back(v);
      s.samples.push_back(v);
    }
    s.samples.insert(s.samples.end(), size_t(quiet) * size_t(rate) * 2, 0.0f);
    i += size_t(quiet) * size_t(rate);
  }
  return s;
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
  QFile f(path);
  return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

}  // namespace

class NextFileTest : public RecordingWindowTest {
 protected:
  // Ticks until `done` holds, running what background work hands back.
  template <typename Done>
  bool WaitFor(Done done) {
    const QDeadlineTimer deadline(30000);
    while (!done()) {
      if (deadline.hasExpired()) return false;
      Deliver();
      QThread::msleep(5);
    }
    return true;
  }
  int Shown(const QString& part) const {
    int n = 0;
    for (const QString& t : messages.texts()) n += t.contains(part) ? 1 : 0;
    return n;
  }
};

// The question about an existing next file is open for four seconds of
// audio and four ticks: it is asked once, and the two files joined hold
// every captured frame exactly once, in order.
TEST_F(NextFileTest, ASplitAsksOnceWhileAudioFlowsAndTheFilesJoinedAreOneCapture) {
  backend->setSignal(0, CountingSignal(44100 * 30));
  Tfrmmain& w = Open();
  options->csplitnew->setChecked(true);
  options->csplitcs->setChecked(true);
  options->esplitcs->setText("1");
  ASSERT_TRUE(WriteFile(OutFile("Rectest-02.wav"), "an earlier recording"));
  int seconds = 0;
  messages.whileOpen = [&](const ShownMessage&) {
    for (int i = 0; i < 4; ++i, ++seconds) Second();
  };
  w.btnrecClick();
  while (w.lrname->text() == "Rectest-01.wav" && seconds < 20) {
    Second();
    ++seconds;
  }
  ASSERT_EQ(w.lrname->text(), "Rectest-02.wav");
  Second();
  ++seconds;
  w.btnstopClick();

  EXPECT_EQ(Shown("Rectest-02.wav"), 1) << messages.texts().join("|").toStdString();
  const auto first = Wav("Rectest-01.wav"), second = Wav("Rectest-02.wav");
  ASSERT_TRUE(first && second);
  std::vector<long> joined = FrameNumbers(*first);
  const std::vector<long> rest = FrameNumbers(*second);
  joined.insert(joined.end(), rest.begin(), rest.end());
  ASSERT_EQ(joined.size(), size_t(seconds) * 44100);
  for (size_t i = 0; i < joined.size(); ++i)
    ASSERT_EQ(joined[i], long(i)) << "frame " << i << " of the joined files";
  // The first file took the audio that came while the question was open.
  EXPECT_GE(first->data.size(), 10u * 44100 * 4);
}

// A next file that cannot be named stops the recording once, with one
// message however long it stays open, and keeps what was recorded.
TEST_F(NextFileTest, ANextFileThatCannotBeNamedStopsOnceWithOneMessage) {
  Tfrmmain& w = Open();
  options->csplitnew->setChecked(true);
  options->csplitcs->setChecked(true);
  options->esplitcs->setText("1");
  messages.whileOpen = [&](const ShownMessage&) {
    for (int i = 0; i < 3; ++i) Second();
  };
  w.btnrecClick();
  options->eprefix->setText("../../x");  // a name outside the output folder
  for (int s = 0; s < 9; ++s) Second();
  EXPECT_EQ(w.FRecordChannel, 0u);
  EXPECT_EQ(messages.shown.size(), 1u) << messages.texts().join("|").toStdString();
  const auto wav = Wav("Rectest-01.wav");
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->data.size(), 6u * 44100 * 4);
}

// Every file a split closes is listed in its turn, with its own length, size
// and type, and the file the stop closes after them.
TEST_F(NextFileTest, FilesClosedBySplitsAreListedAsAStopListsThem) {
  Tfrmmain& w = Open();
  options->csplitnew->setChecked(true);
  options->csplitcl->setChecked(true);
  options->esplitcl->setText("2");
  w.btnrecClick();
  Second();
  Second();
  ASSERT_TRUE(WaitFor([&] { return w.FRecordingRows.size() == 1; })) << "the first file is listed while recording";
  EXPECT_NE(w.FRecordChannel, 0u);
  for (int s = 0; s < 3; ++s) Second();
  w.btnstopClick();
  Deliver();

  const struct {
    const char* name;
    const char* length;
  } expected[] = {{"Rectest-01.wav", "00:00:02"}, {"Rectest-02.wav", "00:00:02"}, {"Rectest-03.wav", "00:00:01"}};
  ASSERT_EQ(w.FRecordingRows.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    const RecordingListEntry& row = w.FRecordingRows[i];
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(row.Name, expected[i].name);
    EXPECT_EQ(row.Length, expected[i].length);
    EXPECT_EQ(row.Size, FileSizeText(OutFile(expected[i].name)).toStdString());
    EXPECT_EQ(row.Type, "WAV");
  }
  EXPECT_EQ(w.Reclist->topLevelItemCount(), 3);
}

// After five silent seconds the file closes; the next one begins with the
// first loud block, however long the silence lasts, and the display stands
// still meanwhile. A stop while waiting leaves no file behind. On both
// capture paths and for the WMA writer, which drops blocks instead.
struct WaitCase {
  const char* name;
  bool loopback;  // the mixer path, capturing at the output's 48000 Hz
  int format;
};
void PrintTo(const WaitCase& c, std::ostream* os) { *os << c.name; }

class NextFileAtSilenceTest : public NextFileTest, public ::testing::WithParamInterface<WaitCase> {};

TEST_P(NextFileAtSilenceTest, WaitsForSoundAndAStopWhileWaitingLeavesNoFile) {
  const WaitCase c = GetParam();
  const int rate = c.loopback ? 48000 : 44100;
  const char* ext = c.format == 2 ? ".wma" : ".wav";
  const auto name = [ext](int n) { return QStringLiteral("Rectest-0%1%2").arg(n).arg(ext); };
  zaudio::VirtualDevice mix = Device("Stereo Mix", zaudio::DEVICE_LOOPBACK, 48000);
  if (c.loopback) backend->addCaptureDevice(mix);
  backend->setSignal(c.loopback ? 1 : 0, ToneAndSilence({{1, 12}, {2, 30}}, rate));
  Tfrmmain& w = Open();
  ASSERT_EQ(w.infodevice->text(), c.loopback ? "Loopback Device" : "Capture Device");
  w.cformat->setCurrentIndex(c.format);
  options->barslient->setValue(5);
  options->cslientnew->setChecked(true);
  w.cdar->setChecked(true);
  w.btnrecClick();
  ASSERT_NE(w.FRecordChannel, 0u) << messages.texts().join("|").toStdString();
  for (int s = 0; s < 7; ++s) Second(rate);
  EXPECT_EQ(w.lrname->text(), name(2));
  const QString lengthAtTheAction = w.lrlength->text();
  for (int s = 7; s < 13; ++s) Second(rate);  // still silent: nothing new
  EXPECT_EQ(w.lrname->text(), name(2));
  EXPECT_EQ(w.lrstatus->text(), "Waiting for sound...");
  EXPECT_EQ(w.lrlength->text(), lengthAtTheAction);
  EXPECT_EQ(w.FElapsedSeconds, 0);
  Second(rate);  // the tone again
  Second(rate);
  EXPECT_EQ(w.lrlength->text(), "00:00:02");
  EXPECT_TRUE(w.lrstatus->text().startsWith("Recording..."));
  for (int s = 0; s < 12; ++s) Second(rate);  // five silent seconds end it; the next waits
  EXPECT_EQ(w.lrname->text(), name(3));
  w.btnstopClick();
  Deliver();

  EXPECT_FALSE(QFile::exists(OutFile(qPrintable(name(3)))));
  EXPECT_EQ(w.lrname->text(), name(2));
  EXPECT_EQ(w.FLastRecordedFile, OutFile(qPrintable(name(2))));
  std::vector<std::string> listed;
  for (const auto& row : w.FRecordingRows) listed.push_back(row.Name);
  EXPECT_EQ(listed, (std::vector<std::string>{name(1).toStdString(), name(2).toStdString()}));
  // The 2 s of tone, then the 5 s of silence before the action (to the
  // monitor's step); none of the 7 s of waiting.
  EXPECT_NEAR(zovedu_test::DecodeMono(OutFile(qPrintable(name(2))), 8000).size() / 8000.0, 7.0, 1.05);
  if (c.format != 0) return;
  // The tone from the file's first millisecond.
  const auto second = Wav(qPrintable(name(2)));
  ASSERT_TRUE(second && second->data.size() >= 4u * 44);
  long peak = 0;
  for (size_t f = 0; f < 44; ++f) peak = std::max(peak, std::abs(Sample(*second, 2 * f)));
  EXPECT_GT(peak, 8000);
}

INSTANTIATE_TEST_SUITE_P(Paths, NextFileAtSilenceTest,
                         ::testing::Values(WaitCase{"DirectWav", false, 0}, WaitCase{"MixerWav", true, 0},
                                           WaitCase{"DirectWma", false, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// The output folder removed while recording: noticed at the next tick, the
// recording stops, and what was recorded is kept, in the folder made again
// or, when that cannot be, in the work folder; the message says where.
TEST_F(NextFileTest, ARemovedOutputFolderKeepsWhatWasRecorded) {
  const struct {
    const char* name;
    bool fileInItsPlace;  // the folder cannot be made again
  } cases[] = {{"folder removed", false}, {"a file where the folder was", true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Tfrmmain& w = Open();
    messages.shown.clear();
    const QString folder = out.filePath(QString::fromLatin1(c.name).replace(' ', '-'));
    options->Efolder->setText(folder + "/");
    w.btnrecClick();
    ASSERT_NE(w.FRecordChannel, 0u) << messages.texts().join("|").toStdString();
    Second();
    Second();
    ASSERT_TRUE(QDir(folder).removeRecursively());
    if (c.fileInItsPlace) {
      ASSERT_TRUE(WriteFile(folder, "in the way"));
    }
    Second();
    EXPECT_EQ(w.FRecordChannel, 0u);
    const QString kept = c.fileInItsPlace ? w.FWorkFolder + "Rectest-01.wav" : folder + "/Rectest-01.wav";
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.texts()[0].endsWith("what was recorded is in " + kept + ".")) << messages.texts()[0].toStdString();
    const auto wav = zovedu_test::ReadWav(kept.toStdString());
    ASSERT_TRUE(wav) << kept.toStdString();
    EXPECT_GE(wav->data.size(), 2u * 44100 * 4);
    EXPECT_EQ(w.FLastRecordedFile, kept);
    ASSERT_FALSE(w.FRecordingRows.empty());
    EXPECT_EQ(QString::fromStdString(w.FRecordingRows.back().fullPath()), kept);
    QFile::remove(kept);
  }
}
