// The recording engine on both capture paths: what reaches the file, failed
// starts, the hand-over to the next file, silence and failures while recording.
#include <QFile>
#include <QProcess>
#include <cmath>
#include <cstring>
#include <numbers>

#include "engine_fixture.h"
#include "support/ffmpeg_decode.h"

using namespace zaudio;
using zovedu_test::ReadWav;
using zovedu_test::WaitUntil;

namespace {

std::vector<float> Tone(size_t frames, double rate, double freq, double amp) {
  std::vector<float> s(frames);
  for (size_t i = 0; i < frames; ++i) s[i] = static_cast<float>(amp * std::sin(2 * std::numbers::pi * freq * i / rate));
  return s;
}

std::vector<float> Join(std::initializer_list<std::vector<float>> parts) {
  std::vector<float> out;
  for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

size_t Frames(const zovedu_test::WavInfo& w) { return w.data.size() / w.blockAlign; }

}  // namespace

TEST_F(EngineTest, DirectPathWritesTheChosenFormatOnceItPlays) {
  struct Case {
    int rate, channels, bits;
  } cases[] = {{44100, 2, 16}, {22050, 1, 8}, {48000, 2, 24}, {96000, 1, 32}};
  Open(kMicrophone);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    const QString file = File("direct.wav");
    ASSERT_TRUE(engine.start({c.rate, c.channels, c.bits, false}, Wav(file), {}, false));
    backend->pump(c.rate / 10, c.rate / 100);  // opened paused: nothing yet
    EXPECT_EQ(engine.receivedBytes(), 0u);
    ASSERT_TRUE(engine.play());
    backend->pump(c.rate, c.rate / 100);
    EXPECT_EQ(engine.receivedBytes(), static_cast<std::uint64_t>(c.rate) * c.channels * c.bits / 8);
    ASSERT_TRUE(engine.stop());
    EXPECT_FALSE(engine.running());
    auto wav = ReadWav(file.toStdString());
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->rate, static_cast<std::uint32_t>(c.rate));
    EXPECT_EQ(wav->channels, c.channels);
    EXPECT_EQ(wav->bits, c.bits);
    EXPECT_EQ(Frames(*wav), static_cast<size_t>(c.rate));
    EXPECT_EQ(backend->runningCaptures(), 0);
  }
}

TEST_F(EngineTest, MixerPathAlwaysWritesTwo16BitChannelsAtTheChosenRate) {
  Open(kLoopback);
  const QString file = File("loop.wav");
  // Mono 8-bit chosen: the loopback capture still gives two 16-bit channels.
  ASSERT_TRUE(engine.start({22050, 1, 8, true}, Wav(file), {}, false));
  ASSERT_TRUE(engine.play());
  backend->pump(48000, 480);
  ASSERT_TRUE(engine.stop());
  auto wav = ReadWav(file.toStdString());
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->rate, 22050u);
  EXPECT_EQ(wav->channels, 2);
  EXPECT_EQ(wav->bits, 16);
  EXPECT_NEAR(static_cast<double>(Frames(*wav)), 22050, 2);  // every captured frame, resampled
  EXPECT_EQ(backend->runningCaptures(), 0);
}

TEST_F(EngineTest, FailedStartsSayWhyAndLeaveNothingRunning) {
  struct Case {
    const char* what;
    int device;  // -1: none open
    bool mixer;
    int bits;
    WriterRequest writer;
    std::string message;
  } cases[] = {
      // The program's text, then the cause the library or the system gave.
      {"no device, 16-bit", -1, false, 16, WriterRequest::Wav("x.wav"),
       "Couldn't start recording!\nNo recording device is open."},
      {"no device, 24-bit", -1, false, 24, WriterRequest::Wav("x.wav"),
       "Your system not support 24bits Recording\nNo recording device is open."},
      {"no device, loopback 32-bit", -1, true, 32, WriterRequest::Wav("x.wav"),
       "Your system not support 32bits Recording\nNo recording device is open."},
      {"WAV into a missing folder", kMicrophone, false, 16, WriterRequest::Wav("/nonexistent/x.wav"),
       "Couldn't use WAVE Encoder\n/nonexistent/x.wav: no such file or directory."},
      {"WAV with a name too long", kMicrophone, false, 16, WriterRequest::Wav("/tmp/" + QString(300, 'x') + ".wav"),
       "Couldn't use WAVE Encoder\n/tmp/" + std::string(300, 'x') + ".wav: file name too long."},
      {"APE without an encoder, direct", kMicrophone, false, 16, WriterRequest::CommandLine(4, ""), "Couldn't start APE Encorder!"},
      {"APE without an encoder, loopback", kLoopback, true, 16, WriterRequest::CommandLine(4, ""), "Couldn't use APE Encoder"},
      {"FLAC program missing, direct", kMicrophone, false, 16, WriterRequest::CommandLine(5, "no-such-flac -o \"x.flac\" -"),
       "Couldn't start FLAC Encorder!"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordFree();
    if (c.device >= 0) Open(c.device);
    messages.shown.clear();
    EXPECT_FALSE(engine.start({44100, 2, c.bits, c.mixer}, c.writer, {}, false));
    ASSERT_EQ(messages.texts(), QStringList{QString::fromStdString(c.message)});
    EXPECT_EQ(messages.shown[0].kind, MsgKind::Error);
    EXPECT_FALSE(engine.running());
    EXPECT_EQ(engine.FMixer.load(), 0u);
    EXPECT_EQ(backend->runningCaptures(), 0);
  }
}

// The next file starts with the sample after the last one of the previous
// file: joined, the files equal one continuous recording.
TEST_F(EngineTest, NextFileContinuesWithoutLossOrOverlap) {
  for (bool mixer : {false, true}) {
    SCOPED_TRACE(mixer ? "mixer path" : "direct path");
    RecordFree();
    const int device = mixer ? kLoopback : kMicrophone;
    const DWORD inRate = mixer ? 48000 : 44100;
    Signal(device, Tone(inRate * 3, inRate, 997, 0.5), Tone(inRate * 3, inRate, 1499, 0.25));
    Open(device);
    const CaptureRequest capture{44100, 2, 16, mixer};

    ASSERT_TRUE(engine.start(capture, Wav(File("whole.wav")), {}, false));
    engine.play();
    backend->pump(inRate * 2, inRate / 100);
    ASSERT_TRUE(engine.stop());

    ASSERT_TRUE(engine.start(capture, Wav(File("part1.wav")), {}, false));
    engine.play();
    backend->pump(inRate * 2 / 3 + 17, inRate / 100);  // not on a block boundary of the output
    bool previousWritten = false;
    ASSERT_TRUE(engine.nextFile(Wav(File("part2.wav")), previousWritten));
    EXPECT_TRUE(previousWritten);
    backend->pump(inRate * 2 - (inRate * 2 / 3 + 17), inRate / 100);
    ASSERT_TRUE(engine.stop());

    auto whole = ReadWav(File("whole.wav").toStdString());
    auto a = ReadWav(File("part1.wav").toStdString()), b = ReadWav(File("part2.wav").toStdString());
    ASSERT_TRUE(whole && a && b);
    EXPECT_GT(a->data.size(), 0u);
    EXPECT_GT(b->data.size(), 0u);
    zovedu_test::Bytes joined = a->data;
    joined.insert(joined.end(), b->data.begin(), b->data.end());
    EXPECT_EQ(joined.size(), whole->data.size());
    EXPECT_TRUE(joined == whole->data);
  }
}

TEST_F(EngineTest, NextFileThatCannotStartKeepsThePreviousFile) {
  Open(kMicrophone);
  ASSERT_TRUE(engine.start({44100, 2, 16, false}, Wav(File("first.wav")), {}, false));
  engine.play();
  backend->pump(4410);
  bool previousWritten = false;
  EXPECT_FALSE(engine.nextFile(Wav("/nonexistent/second.wav"), previousWritten));
  EXPECT_EQ(messages.texts(), QStringList{"Couldn't use WAVE Encoder\n/nonexistent/second.wav: no such file or directory."});
  backend->pump(4410);
  ASSERT_TRUE(engine.stop());
  auto first = ReadWav(File("first.wav").toStdString());
  ASSERT_TRUE(first);
  EXPECT_EQ(Frames(*first), 8820u);
}

TEST_F(EngineTest, SilenceSuspendsWriting) {
  const DWORD rate = 44100;
  const auto tone = Tone(rate / 2, rate, 1000, 0.5);
  const std::vector<float> quiet(rate / 2, 0.0f), tiny(rate / 2, 0.001f);
  struct Case {
    const char* what;
    std::vector<float> left, right;
    int threshold;
    double seconds;  // left in the file
  } cases[] = {
      {"a silent stretch is left out", Join({tone, quiet, tone}), Join({tone, quiet, tone}), -50, 1.0},
      {"the right channel alone counts as silence", Join({quiet, quiet}), Join({tone, tone}), -50, 0.0},
      {"a quiet level below the threshold", Join({tone, tiny, tone}), Join({tone, tiny, tone}), -50, 1.0},
      {"digital silence is silent even at -100 dB", Join({tone, quiet}), Join({tone, quiet}), -100, 0.5},
      {"nothing is louder than 0 dB", Join({tone, tone}), Join({tone, tone}), 0, 0.0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordFree();
    Signal(kMicrophone, c.left, c.right);
    Open(kMicrophone);
    SilenceSettings silence;
    silence.thresholdDb = c.threshold;
    silence.silentLength = 0;
    ASSERT_TRUE(engine.start({static_cast<int>(rate), 2, 16, false}, Wav(File("dar.wav")), silence, true));
    engine.play();
    backend->pump(c.left.size(), rate / 100);
    ASSERT_TRUE(engine.stop());
    auto wav = ReadWav(File("dar.wav").toStdString());
    ASSERT_TRUE(wav);
    // The level looks back 20 ms, so silence is seen up to two blocks late.
    EXPECT_NEAR(static_cast<double>(Frames(*wav)) / rate, c.seconds, 0.035);
  }
}

TEST_F(EngineTest, FailuresWhileRecordingAreReported) {
  Open(kMicrophone);
  ASSERT_TRUE(engine.start({44100, 2, 16, false}, Wav(File("gone.wav")), {}, false));
  engine.play();
  backend->pump(4410);
  const DWORD channel = engine.FRecordChannel;
  backend->failCaptures();
  ASSERT_EQ(Failures().size(), 1u);
  EXPECT_EQ(Failures()[0].failure, RecordingFailure::DeviceGone);
  EXPECT_EQ(Failures()[0].handle, channel);
  EXPECT_TRUE(engine.stop());  // what was recorded is complete
  auto wav = ReadWav(File("gone.wav").toStdString());
  ASSERT_TRUE(wav);
  EXPECT_EQ(Frames(*wav), 4410u);

  // An encoder program that ends on its own.
  ASSERT_TRUE(engine.start({44100, 2, 16, false}, WriterRequest::CommandLine(1, "sh -c \"echo giving up >&2; exit 3\""),
                           {}, false));
  engine.play();
  const DWORD encoder = engine.FEncoder;
  ASSERT_TRUE(WaitUntil([&] {
    backend->pump(441);
    return Failures().size() == 2;
  }));
  EXPECT_EQ(Failures()[1].failure, RecordingFailure::EncoderEnded);
  EXPECT_EQ(Failures()[1].handle, encoder);
  EXPECT_EQ(Failures()[1].detail, "giving up");
  EXPECT_FALSE(engine.stop());
}

TEST_F(EngineTest, CommandLineEncoderGetsTheRecording) {
  Open(kMicrophone);
  const QString file = File("take.flac");
  const auto flac = WriterRequest::CommandLine(5, QStringLiteral("flac --silent --ignore-chunk-sizes -f -o \"%1\" -").arg(file));
  ASSERT_TRUE(engine.start({44100, 2, 24, false}, flac, {}, false));
  engine.play();
  backend->pump(44100, 441);
  ASSERT_TRUE(engine.stop());
  QProcess probe;
  probe.start("sox", {"--i", "-s", file});
  ASSERT_TRUE(probe.waitForFinished(20000));
  EXPECT_EQ(probe.readAllStandardOutput().trimmed(), "44100");
  probe.start("sox", {"--i", "-b", file});
  ASSERT_TRUE(probe.waitForFinished(20000));
  EXPECT_EQ(probe.readAllStandardOutput().trimmed(), "24");
}

namespace {
// Seconds of audio a file decodes to, counted from the decoded samples.
double DecodedSeconds(const QString& file, int rate) {
  return static_cast<double>(zovedu_test::DecodeMono(file, rate).size()) / rate;
}

WriterRequest Wma(const QString& file, DWORD bitrate = 64000) {
  WmaWriterSettings wma;
  wma.value = bitrate;
  return WriterRequest::Wma(file, wma);
}
}  // namespace

TEST_F(EngineTest, WmaRecordsOnBothPathsInTheWritersChannels) {
  struct Case {
    const char* what;
    int device;
    CaptureRequest capture;
  } cases[] = {
      {"direct, stereo 16-bit", kMicrophone, {44100, 2, 16, false}},
      {"direct, mono float", kMicrophone, {32000, 1, 24, false}},
      {"loopback mixed to mono", kLoopback, {22050, 1, 16, true}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RecordFree();
    Open(c.device);
    const QString file = File("take.wma");
    ASSERT_TRUE(engine.start(c.capture, Wma(file), {}, false)) << messages.texts().join("|").toStdString();
    engine.play();
    const DWORD inRate = c.capture.mixerPath ? 48000 : static_cast<DWORD>(c.capture.rate);
    backend->pump(inRate * 2, inRate / 100);
    ASSERT_TRUE(engine.stop());
    EXPECT_EQ(zovedu_test::ProbeAudioStream(file, "codec_name"), "wmav2");
    EXPECT_EQ(zovedu_test::ProbeAudioStream(file, "channels"), QString::number(c.capture.channels));
    EXPECT_EQ(zovedu_test::ProbeAudioStream(file, "sample_rate"), QString::number(c.capture.rate));
    EXPECT_NEAR(DecodedSeconds(file, c.capture.rate), 2.0, 0.1);
  }
}

TEST_F(EngineTest, WmaAboveTheWritersRatesFailsWithoutAFile) {
  Open(kMicrophone);
  const QString file = File("high.wma");
  EXPECT_FALSE(engine.start({88200, 2, 16, false}, Wma(file), {}, false));
  EXPECT_EQ(messages.texts(), QStringList{"Couldn't use WMA Encoder"});
  EXPECT_FALSE(QFile::exists(file));
  EXPECT_EQ(backend->runningCaptures(), 0);
  EXPECT_FALSE(engine.running());
}

TEST_F(EngineTest, WmaSilenceDropsBlocksAndTheNextFileContinues) {
  const DWORD rate = 44100;
  const auto tone = Tone(rate, rate, 1000, 0.5);
  const std::vector<float> quiet(rate, 0.0f);
  Signal(kMicrophone, Join({tone, quiet, tone, tone}), Join({tone, quiet, tone, tone}));
  Open(kMicrophone);
  SilenceSettings silence;
  silence.silentLength = 0;
  ASSERT_TRUE(engine.start({static_cast<int>(rate), 2, 16, false}, Wma(File("a.wma")), silence, true));
  engine.play();
  backend->pump(rate * 3, rate / 100);  // tone, silence, tone: the silence is dropped
  bool previousWritten = false;
  ASSERT_TRUE(engine.nextFile(Wma(File("b.wma")), previousWritten));
  EXPECT_TRUE(previousWritten);
  backend->pump(rate, rate / 100);
  ASSERT_TRUE(engine.stop());
  EXPECT_NEAR(DecodedSeconds(File("a.wma"), rate), 2.0, 0.1);
  EXPECT_NEAR(DecodedSeconds(File("b.wma"), rate), 1.0, 0.1);
}
