// Capture through the library: formats, pausing, stopping, level and effects.
#include <cmath>
#include <thread>

#include "support/tone_analysis.h"
#include "virtual_fixture.h"

using namespace zaudio;
using zovedu_test::ChannelOf;
using zovedu_test::FindTone;

namespace {
// The tone on one channel of interleaved samples.
zovedu_test::ToneFound Tone(const std::vector<float>& interleaved, int channels, int channel, double rate,
                            double frequency = 1000) {
  return FindTone(ChannelOf(interleaved, channels, channel), rate, frequency);
}
}  // namespace

namespace {
struct FormatCase {
  DWORD flags;
  SampleType type;
  DWORD rate;
  DWORD chans;
  double tolerance;  // quantisation of the sample type and of sampling the crest
};
}  // namespace

class CaptureFormats : public VirtualLibrary, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(CaptureFormats, DeliversTheGeneratedToneInTheRequestedFormat) {
  const FormatCase c = GetParam();
  VirtualSignal sig;
  sig.frequency[0] = 1000;
  sig.frequency[1] = 2500;
  sig.amplitude[0] = 0.5;
  sig.amplitude[1] = 0.25;
  backend->setSignal(1, sig);
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD h = RecordStart(c.rate, c.chans, c.flags, Collect(cap, c.type));
  ASSERT_NE(h, 0u) << ErrorGetCode();
  backend->pump(c.rate / 2, c.rate / 100);  // half a second in 10 ms blocks

  ASSERT_EQ(cap.samples.size(), c.rate / 2 * c.chans);
  EXPECT_EQ(cap.calls, 50u);
  const auto left = Tone(cap.samples, c.chans, 0, c.rate);
  EXPECT_NEAR(left.peak, 0.5, c.tolerance);
  EXPECT_NEAR(left.frequency, 1000, 5);
  if (c.chans == 2) {
    const auto right = Tone(cap.samples, 2, 1, c.rate, 2500);
    EXPECT_NEAR(right.peak, 0.25, c.tolerance);
    EXPECT_NEAR(right.frequency, 2500, 10);
  }
  const DWORD level = ChannelGetLevel(h);
  EXPECT_NEAR(level & 0xFFFF, 16384, 32768 * c.tolerance + 1);
  EXPECT_NEAR(level >> 16, c.chans == 2 ? 8192 : 16384, 32768 * c.tolerance + 1);
}

INSTANTIATE_TEST_SUITE_P(
    AllTypes, CaptureFormats,
    ::testing::Values(FormatCase{SAMPLE_8BITS, SampleType::U8, 44100, 2, 0.01},
                      FormatCase{0, SampleType::S16, 44100, 2, 0.005},
                      FormatCase{SAMPLE_FLOAT, SampleType::F32, 44100, 2, 0.005},
                      FormatCase{0, SampleType::S16, 48000, 1, 0.005},
                      FormatCase{SAMPLE_FLOAT, SampleType::F32, 192000, 2, 0.005},
                      FormatCase{SAMPLE_8BITS, SampleType::U8, 8000, 1, 0.01}));

TEST_F(VirtualLibrary, StartRequiresAnOpenDeviceAndASaneFormat) {
  Capture cap;
  EXPECT_EQ(RecordStart(44100, 2, 0, Collect(cap, SampleType::S16)), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_INIT);
  ASSERT_TRUE(RecordInit(1));
  EXPECT_EQ(RecordStart(44100, 0, 0, Collect(cap, SampleType::S16)), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FORMAT);
  EXPECT_EQ(RecordStart(0, 2, 0, Collect(cap, SampleType::S16)), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_FORMAT);
}

TEST_F(VirtualLibrary, PausedStartDeliversNothingUntilPlay) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD h = RecordStart(44100, 2, RECORD_PAUSE, Collect(cap, SampleType::S16));
  ASSERT_NE(h, 0u);
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_PAUSED);
  backend->pump(4410);
  EXPECT_EQ(cap.calls, 0u);
  EXPECT_EQ(ChannelGetLevel(h), 0u);

  ASSERT_TRUE(ChannelPlay(h, false));
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_PLAYING);
  backend->pump(4410);
  EXPECT_EQ(cap.calls, 10u);

  ASSERT_TRUE(ChannelPause(h));
  EXPECT_FALSE(ChannelPause(h));
  EXPECT_EQ(ErrorGetCode(), ERROR_ALREADY);
  backend->pump(4410);
  EXPECT_EQ(cap.calls, 10u);
}

TEST_F(VirtualLibrary, CaptureEndsWhenTheCallbackReturnsFalse) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  cap.stopAfter = 3;
  const HRECORD h = RecordStart(44100, 2, 0, Collect(cap, SampleType::S16));
  backend->pump(44100);
  EXPECT_EQ(cap.calls, 3u);
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
  EXPECT_EQ(ChannelGetLevel(h), 0xFFFFFFFFu);
  EXPECT_EQ(ErrorGetCode(), ERROR_NOPLAY);
  EXPECT_FALSE(ChannelPlay(h, false));
}

TEST_F(VirtualLibrary, StopFreesTheRecordingAndRecordFreeStopsAll) {
  ASSERT_TRUE(RecordInit(1));
  Capture a, b;
  const HRECORD h1 = RecordStart(44100, 2, 0, Collect(a, SampleType::S16));
  const HRECORD h2 = RecordStart(44100, 1, 0, Collect(b, SampleType::S16));
  ASSERT_NE(h1, h2);
  ASSERT_TRUE(ChannelStop(h1));
  EXPECT_FALSE(ChannelStop(h1));
  EXPECT_EQ(ErrorGetCode(), ERROR_HANDLE);
  backend->pump(441);
  EXPECT_EQ(a.calls, 0u);
  EXPECT_EQ(b.calls, 1u);
  ASSERT_TRUE(RecordFree());
  EXPECT_EQ(backend->runningCaptures(), 0);
  EXPECT_EQ(ChannelIsActive(h2), ACTIVE_STOPPED);
}

TEST_F(VirtualLibrary, LevelFollowsTheLastTwentyMilliseconds) {
  VirtualSignal sig;
  // 100 ms of a loud constant on the left and half of it on the right, then silence.
  for (int i = 0; i < 4410; ++i) {
    sig.samples.push_back(0.8f);
    sig.samples.push_back(-0.4f);
  }
  backend->setSignal(1, sig);
  ASSERT_TRUE(RecordInit(1));
  const HRECORD h = RecordStart(44100, 2, 0, nullptr);
  backend->pump(4410, 441);
  const DWORD loud = ChannelGetLevel(h);
  EXPECT_NEAR(loud & 0xFFFF, 26214, 2);
  EXPECT_NEAR(loud >> 16, 13107, 2);
  backend->pump(441, 441);  // 10 ms of silence: still within the window
  EXPECT_NEAR(ChannelGetLevel(h) & 0xFFFF, 26214, 2);
  backend->pump(882, 441);  // 30 ms of silence: out of the window
  EXPECT_EQ(ChannelGetLevel(h), 0u);
}

TEST_F(VirtualLibrary, VolumeEffectScalesTheCapturedSignalUntilRemoved) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD hf = RecordStart(44100, 2, SAMPLE_FLOAT, Collect(cap, SampleType::F32));
  const HFX fx = ChannelSetFX(hf, FX_BFX_VOLUME, 1);
  ASSERT_NE(fx, 0u);
  BFX_VOLUME p;
  ASSERT_TRUE(FXGetParameters(fx, &p));
  EXPECT_FLOAT_EQ(p.fVolume, 1.0f);
  p.lChannel = BFX_CHANALL;
  p.fVolume = 0.5f;
  ASSERT_TRUE(FXSetParameters(fx, &p));
  backend->pump(4410);
  EXPECT_NEAR(Tone(cap.samples, 2, 0, 44100).peak, 0.25, 1e-4);
  EXPECT_NEAR(ChannelGetLevel(hf) & 0xFFFF, 8192, 2);

  ASSERT_TRUE(ChannelRemoveFX(hf, fx));
  EXPECT_FALSE(ChannelRemoveFX(hf, fx));
  EXPECT_FALSE(FXGetParameters(fx, &p));
  cap.samples.clear();
  backend->pump(4410);
  EXPECT_NEAR(Tone(cap.samples, 2, 0, 44100).peak, 0.5, 1e-4);

  EXPECT_EQ(ChannelSetFX(hf, 0x7777, 1), 0u);
  EXPECT_EQ(ErrorGetCode(), ERROR_ILLTYPE);
  p.fVolume = -1;
  const HFX fx2 = ChannelSetFX(hf, FX_BFX_VOLUME, 1);
  EXPECT_FALSE(FXSetParameters(fx2, &p));
}

TEST_F(VirtualLibrary, VolumeEffectOnOneChannelOf16BitCapture) {
  ASSERT_TRUE(RecordInit(1));
  Capture cap;
  const HRECORD h = RecordStart(44100, 2, 0, Collect(cap, SampleType::S16));
  const HFX fx = ChannelSetFX(h, FX_BFX_VOLUME, 1);
  BFX_VOLUME p{2, 0.0f};  // silence the right channel only
  ASSERT_TRUE(FXSetParameters(fx, &p));
  backend->pump(4410);
  EXPECT_NEAR(Tone(cap.samples, 2, 0, 44100).peak, 0.5, 1e-3);
  EXPECT_EQ(Tone(cap.samples, 2, 1, 44100).peak, 0.0);
}

TEST_F(VirtualLibrary, RealTimeBackendCallsBackOnItsOwnThread) {
  auto rt = std::make_shared<VirtualBackend>(VirtualBackend::Pacing::RealTime);
  rt->addOutputDevice("Out", true);
  rt->addCaptureDevice(CaptureDevice("Mic", DEVICE_DEFAULT, 8000));
  UseBackend(rt);
  ASSERT_TRUE(RecordInit(-1));
  std::mutex m;
  std::thread::id seen;
  size_t bytes = 0;
  const HRECORD h = RecordStart(8000, 1, 0, [&](HRECORD, const void*, DWORD len) {
    std::lock_guard lock(m);
    seen = std::this_thread::get_id();
    bytes += len;
    return true;
  });
  ASSERT_NE(h, 0u);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ChannelStop(h);
  std::lock_guard lock(m);
  EXPECT_NE(seen, std::this_thread::get_id());
  EXPECT_GT(bytes, 1000u);  // about 3200 bytes in 200 ms
}
