// The recording engine on the test server: a tone recorded through the
// direct path (the remapped source) and the mixer path (a sink's monitor),
// resampling purity, a split without a seam, silence removed, and a 5.1
// output's monitor.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>

#include "audio/pulse/pulse_backend.h"
#include "pulse_test_server.h"
#include "recording/recording_engine.h"
#include "support/test_messages.h"
#include "support/tone_analysis.h"
#include "support/wav_file.h"

namespace zovedu_test {
namespace {

using namespace zaudio;

class PulseRecording : public PulseServerTest {
 protected:
  void SetUp() override {
    PulseServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    ASSERT_TRUE(dir.isValid());
    UseBackend(std::make_shared<PulseBackend>());
    inUse_ = true;
    ASSERT_TRUE(SetConfig(CONFIG_REC_LOOPBACK, 1));
  }
  void TearDown() override {
    if (inUse_) {
      engine.stop();
      RecordFree();
      Free();
      UseBackend(nullptr);
    }
    PulseServerTest::TearDown();
  }

  // The output whose monitor the mixer path captures, and the capture device.
  void Devices(const std::string& sink, const std::string& source) {
    DeviceInfo info;
    int output = -1, capture = -1;
    for (DWORD i = 0; GetDeviceInfo(i, &info); ++i)
      if (info.driver == sink) output = static_cast<int>(i);
    for (DWORD i = 0; RecordGetDeviceInfo(i, &info); ++i)
      if (info.driver == source) capture = static_cast<int>(i);
    ASSERT_GE(output, 0);
    ASSERT_GE(capture, 0);
    ASSERT_TRUE(Init(output, 44100, 0));
    ASSERT_TRUE(RecordInit(capture));
  }

  // Records while `play` plays, until `seconds` of audio have reached the
  // file, and returns the file.
  std::optional<WavInfo> Record(const CaptureRequest& capture, double seconds, const std::string& name = "take.wav") {
    const QString file = dir.filePath(QString::fromStdString(name));
    EXPECT_TRUE(engine.start(capture, WriterRequest::Wav(file), {}, false)) << messages.texts().join("|").toStdString();
    if (!engine.running()) return std::nullopt;
    engine.play();
    const int outChannels = capture.mixerPath ? 2 : capture.channels;
    const int outBits = capture.mixerPath ? 16 : capture.bits;
    const auto bytes = static_cast<std::uint64_t>(seconds * capture.rate * outChannels * outBits / 8);
    EXPECT_TRUE(WaitUntil([&] { return engine.receivedBytes() >= bytes; }, std::chrono::seconds(30)));
    EXPECT_TRUE(engine.stop());
    return ReadWav(file.toStdString());
  }

  static std::vector<float> Samples(const WavInfo& w) {
    std::vector<float> out;
    if (w.bits == 16) {
      for (size_t i = 0; i + 1 < w.data.size(); i += 2) {
        std::int16_t v;
        std::memcpy(&v, &w.data[i], 2);
        out.push_back(v / 32768.0f);
      }
    } else if (w.bits == 24) {
      for (size_t i = 0; i + 2 < w.data.size(); i += 3) {
        const std::int32_t v = static_cast<std::int32_t>(w.data[i] | w.data[i + 1] << 8 | w.data[i + 2] << 16) << 8 >> 8;
        out.push_back(static_cast<float>(v / 8388608.0));
      }
    }
    return out;
  }

  QTemporaryDir dir;
  TestMessages messages;
  RecordingEngine engine{nullptr};

 private:
  bool inUse_ = false;
};

TEST_F(PulseRecording, ToneRecordedThroughBothPaths) {
  struct Case {
    const char* what;
    std::string sink, source;
    CaptureRequest capture;
    int channels, bits;
  } cases[] = {
      {"direct, remapped source", kCaptureSink, kMicSource, {48000, 2, 24, false}, 2, 24},
      {"mixer, monitor", kPlaySink, kPlayMonitor, {44100, 2, 16, true}, 2, 16},
      {"mixer, mono 8-bit chosen", kPlaySink, kPlayMonitor, {22050, 1, 8, true}, 2, 16},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Devices(c.sink, c.source);
    TonePlayer tone(c.sink, 1000, 0.5, 3.5);
    auto wav = Record(c.capture, 3.0);
    ASSERT_TRUE(tone.finish()) << tone.error();
    ASSERT_TRUE(wav);
    EXPECT_EQ(wav->rate, static_cast<std::uint32_t>(c.capture.rate));
    EXPECT_EQ(wav->channels, c.channels);
    EXPECT_EQ(wav->bits, c.bits);
    const double seconds = static_cast<double>(wav->data.size()) / wav->byteRate;
    EXPECT_NEAR(seconds, 3.0, 0.2);
    const auto samples = Samples(*wav);
    for (int ch = 0; ch < c.channels; ++ch) {
      const ToneFound t = FindTone(ChannelOf(samples, c.channels, ch), c.capture.rate, 1000);
      ASSERT_TRUE(t.found) << ch;
      EXPECT_NEAR(t.frequency, 1000, 5) << ch;
    }
    RecordFree();
    Free();
  }
}

TEST_F(PulseRecording, MixerResamplesWithoutAddingNoise) {
  Devices(kCaptureSink, kCaptureMonitor);  // a 48000 Hz output
  TonePlayer tone(kCaptureSink, 1000, 0.5, 2.5);
  auto wav = Record({44100, 2, 16, true}, 2.0);
  ASSERT_TRUE(tone.finish()) << tone.error();
  ASSERT_TRUE(wav);
  const auto left = ChannelOf(Samples(*wav), 2, 0);
  // The steady middle of the tone, away from where it started.
  const std::vector<float> middle(left.begin() + 22050, left.begin() + 66150);
  EXPECT_LT(ResidualToToneDb(middle, 44100, 1000), -80);
}

TEST_F(PulseRecording, SplitLeavesNoGapOrPhaseJump) {
  Devices(kCaptureSink, kMicSource);
  // 997 Hz: no whole number of periods fits a capture block, so a lost or
  // doubled block would show as a phase jump.
  TonePlayer tone(kCaptureSink, 997, 0.5, 3.0);
  const QString first = dir.filePath("1.wav"), second = dir.filePath("2.wav");
  ASSERT_TRUE(engine.start({48000, 1, 16, false}, WriterRequest::Wav(first), {}, false));
  engine.play();
  ASSERT_TRUE(WaitUntil([&] { return engine.receivedBytes() >= 48000 * 2 * 3 / 2; }, std::chrono::seconds(30)));
  bool previousWritten = false;
  ASSERT_TRUE(engine.nextFile(WriterRequest::Wav(second), previousWritten));
  EXPECT_TRUE(previousWritten);
  ASSERT_TRUE(WaitUntil([&] { return engine.receivedBytes() >= 48000 * 2; }, std::chrono::seconds(30)));
  ASSERT_TRUE(engine.stop());
  ASSERT_TRUE(tone.finish()) << tone.error();
  auto a = ReadWav(first.toStdString()), b = ReadWav(second.toStdString());
  ASSERT_TRUE(a && b);
  const auto head = Samples(*a), tail = Samples(*b);
  // 50 ms either side of the joint are one undisturbed sine.
  std::vector<float> joint(head.end() - 2400, head.end());
  joint.insert(joint.end(), tail.begin(), tail.begin() + 2400);
  EXPECT_LT(ResidualToToneDb(joint, 48000, 997), -60);
}

TEST_F(PulseRecording, SilenceBetweenTwoTonesIsLeftOut) {
  Devices(kCaptureSink, kMicSource);
  const QString file = dir.filePath("dar.wav");
  SilenceSettings silence;  // -50 dB, no grace: writing pauses at once
  silence.silentLength = 0;
  ASSERT_TRUE(engine.start({48000, 2, 16, false}, WriterRequest::Wav(file), silence, true));
  engine.play();
  {
    TonePlayer tone(kCaptureSink, 1000, 0.5, 1.0);
    ASSERT_TRUE(tone.finish()) << tone.error();
  }
  const auto afterFirst = engine.receivedBytes();
  // A gap of a second and a half; its length only needs to be long.
  const auto gapEnd = std::chrono::steady_clock::now() + std::chrono::milliseconds(1500);
  while (std::chrono::steady_clock::now() < gapEnd) std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_LT(engine.receivedBytes() - afterFirst, 48000u * 4 / 5);  // at most 200 ms of tail
  {
    TonePlayer tone(kCaptureSink, 1000, 0.5, 1.0);
    ASSERT_TRUE(tone.finish()) << tone.error();
  }
  ASSERT_TRUE(WaitUntil([&] { return engine.FInSilence.load(); }, std::chrono::seconds(30)));
  ASSERT_TRUE(engine.stop());
  auto wav = ReadWav(file.toStdString());
  ASSERT_TRUE(wav);
  EXPECT_NEAR(static_cast<double>(wav->data.size()) / wav->byteRate, 2.0, 0.3);
}

TEST_F(PulseRecording, SurroundOutputIsDownmixedToStereo) {
  Devices(kSurroundSink, kSurroundMonitor);
  Info out;
  ASSERT_TRUE(GetInfo(&out));
  EXPECT_EQ(out.speakers, 6u);
  TonePlayer tone(kSurroundSink, 1000, 0.5, 2.5);
  auto wav = Record({44100, 2, 16, true}, 2.0);
  ASSERT_TRUE(tone.finish()) << tone.error();
  ASSERT_TRUE(wav);
  EXPECT_EQ(wav->channels, 2);
  const auto samples = Samples(*wav);
  for (int ch : {0, 1}) {
    const ToneFound t = FindTone(ChannelOf(samples, 2, ch), 44100, 1000);
    ASSERT_TRUE(t.found) << ch;
    EXPECT_NEAR(t.frequency, 1000, 5) << ch;
  }
}

}  // namespace
}  // namespace zovedu_test
