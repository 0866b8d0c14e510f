// File streams playing through the test server: the default sink's monitor
// hears the file, a pause corks it, a seek is heard, and the end sync comes
// once after the last frame.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <mutex>
#include <numbers>
#include <thread>
#include <vector>

#include "audio/pulse/pulse_backend.h"
#include "audio/zaudio.h"
#include "pulse_test_server.h"
#include "support/scratch_dir.h"
#include "support/test_wav.h"
#include "support/tone_analysis.h"

namespace zovedu_test {
namespace {

using namespace zaudio;
using namespace std::chrono_literals;

constexpr int kRate = 44100;

// A stereo 16-bit WAV: silence, then a half-scale sine of freq from
// `toneFrom` seconds to the end.
void WriteFileWithTone(const std::filesystem::path& path, double seconds, double toneFrom, double freq) {
  const size_t frames = static_cast<size_t>(seconds * kRate);
  std::vector<std::int16_t> s(frames * 2, 0);
  for (size_t i = static_cast<size_t>(toneFrom * kRate); i < frames; ++i)
    s[2 * i] = s[2 * i + 1] =
        static_cast<std::int16_t>(std::lround(16384 * std::sin(2 * std::numbers::pi * freq * i / kRate)));
  Bytes pcm(s.size() * 2);
  std::memcpy(pcm.data(), s.data(), pcm.size());
  WriteFile(path, WavStream({16, 2, kRate}, pcm, static_cast<std::uint32_t>(pcm.size())));
}

class PulseFilePlayback : public PulseServerTest {
 protected:
  void SetUp() override {
    PulseServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    UseBackend(std::make_shared<PulseBackend>());
    inUse_ = true;
    ASSERT_TRUE(SetConfig(CONFIG_REC_LOOPBACK, 1));
    ASSERT_TRUE(Init(-1, 44100, 0));  // the default sink: zovedu_play
    DeviceInfo info;
    int monitor = -1;
    for (DWORD i = 0; RecordGetDeviceInfo(i, &info); ++i)
      if (info.driver == kPlayMonitor) monitor = static_cast<int>(i);
    ASSERT_GE(monitor, 0);
    ASSERT_TRUE(RecordInit(monitor));
    record_ = RecordStart(kRate, 2, SAMPLE_FLOAT, [this](HRECORD, const void* data, DWORD bytes) {
      std::lock_guard lock(mutex_);
      const auto* f = static_cast<const float*>(data);
      heard_.insert(heard_.end(), f, f + bytes / sizeof(float));
      return true;
    });
    ASSERT_NE(record_, 0u) << ErrorGetCode();
  }
  void TearDown() override {
    if (inUse_) {
      RecordFree();
      Free();
      UseBackend(nullptr);
    }
    PulseServerTest::TearDown();
  }

  // The left channel of what the monitor heard so far.
  std::vector<float> Heard() {
    std::lock_guard lock(mutex_);
    return ChannelOf(heard_, 2, 0);
  }
  void ForgetHeard() {
    std::lock_guard lock(mutex_);
    heard_.clear();
  }
  // Waits (generously) until cond holds.
  static bool WaitFor(const std::function<bool()>& cond, std::chrono::seconds limit = 20s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!cond()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(5ms);
    }
    return true;
  }
  // Whether the last `seconds` of what was heard hold the tone.
  bool ToneInLast(double seconds, double freq) {
    auto h = Heard();
    const size_t n = static_cast<size_t>(seconds * kRate);
    if (h.size() < n) return false;
    std::vector<float> tail(h.end() - static_cast<long>(n), h.end());
    return SineAmplitude(tail, kRate, freq) > 0.3;
  }

  ScratchDir dir_;
  HRECORD record_ = 0;
  std::mutex mutex_;
  std::vector<float> heard_;

 private:
  bool inUse_ = false;
};

TEST_F(PulseFilePlayback, PlaysToTheEndAndTellsItOnce) {
  const auto path = dir_ / "tone.wav";
  WriteFileWithTone(path, 1.0, 0.0, 1000);
  const HSTREAM h = StreamCreateFile(false, path.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u) << ErrorGetCode();
  std::atomic<int> ends{0};
  ASSERT_NE(ChannelSetSync(
                h, SYNC_END, 0, [](HSYNC, DWORD, DWORD, void* user) { ++*static_cast<std::atomic<int>*>(user); },
                &ends),
            0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(WaitFor([&] { return ends.load() > 0; }));
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_STOPPED);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), ChannelGetLength(h, POS_BYTE));
  // The whole tone has come through the sink by the time the end is told.
  ASSERT_TRUE(WaitFor([&] { return ToneHasEnded(Heard(), 1, kRate); }));
  const ToneFound tone = FindTone(Heard(), kRate, 1000);
  EXPECT_TRUE(tone.found);
  EXPECT_NEAR(tone.seconds, 1.0, 0.1);
  EXPECT_NEAR(tone.peak, 0.5, 0.05);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(ends.load(), 1);
  StreamFree(h);
}

TEST_F(PulseFilePlayback, PauseCorksAndPlayResumes) {
  const auto path = dir_ / "long.wav";
  WriteFileWithTone(path, 6.0, 0.0, 1000);
  const HSTREAM h = StreamCreateFile(false, path.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(WaitFor([&] { return ToneInLast(0.2, 1000); }));
  ASSERT_TRUE(ChannelPause(h));
  EXPECT_EQ(ChannelIsActive(h), ACTIVE_PAUSED);
  const QWORD pausedAt = ChannelGetPosition(h, POS_BYTE);
  EXPECT_GT(pausedAt, 0u);
  // Corked: the monitor hears silence, and the position stands still.
  ForgetHeard();
  ASSERT_TRUE(WaitFor([&] { return Heard().size() > kRate / 2; }));
  auto quiet = Heard();
  quiet.erase(quiet.begin(), quiet.begin() + kRate / 4);  // what the sink still held
  EXPECT_LT(SineAmplitude(quiet, kRate, 1000), 0.01);
  EXPECT_EQ(ChannelGetPosition(h, POS_BYTE), pausedAt);
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(WaitFor([&] { return ToneInLast(0.2, 1000); }));
  EXPECT_GT(ChannelGetPosition(h, POS_BYTE), pausedAt);
  ASSERT_TRUE(ChannelStop(h));
  StreamFree(h);
}

TEST_F(PulseFilePlayback, SeekIsHeard) {
  // Ten seconds of silence, then the tone: only a seek brings it in time.
  const auto path = dir_ / "late.wav";
  WriteFileWithTone(path, 12.0, 10.0, 1500);
  const HSTREAM h = StreamCreateFile(false, path.c_str(), 0, 0, 0);
  ASSERT_NE(h, 0u);
  ASSERT_TRUE(ChannelPlay(h, false));
  ASSERT_TRUE(WaitFor([&] { return ChannelGetPosition(h, POS_BYTE) > 0; }));
  const auto seekedAt = std::chrono::steady_clock::now();
  ASSERT_TRUE(ChannelSetPosition(h, ChannelSeconds2Bytes(h, 10.0), POS_BYTE));
  EXPECT_GE(ChannelGetPosition(h, POS_BYTE), ChannelSeconds2Bytes(h, 10.0));
  ASSERT_TRUE(WaitFor([&] { return ToneInLast(0.2, 1500); }));
  EXPECT_LT(std::chrono::steady_clock::now() - seekedAt, 9s);
  // The tone has been heard, so the position is past its start.
  EXPECT_GT(ChannelGetPosition(h, POS_BYTE), ChannelSeconds2Bytes(h, 10.0));
  StreamFree(h);
}

}  // namespace
}  // namespace zovedu_test
