// The library's public operations on the PulseAudio backend and the test
// server: the device list a recorder sees, and a tone played into a sink
// recorded from its monitor, as level and as samples.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/backend.h"
#include "audio/pulse/pulse_backend.h"
#include "audio/zaudio.h"
#include "pulse_test_server.h"
#include "support/tone_analysis.h"
#include "support/wav_file.h"

namespace zovedu_test {
namespace {

using namespace zaudio;
using namespace std::chrono_literals;

class PulseLibrary : public PulseServerTest {
 protected:
  void SetUp() override {
    PulseServerTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    UseBackend(std::make_shared<PulseBackend>());
    inUse_ = true;
    ASSERT_TRUE(SetConfig(CONFIG_REC_LOOPBACK, 1));
  }
  void TearDown() override {
    if (inUse_) {
      RecordFree();
      Free();
      UseBackend(nullptr);
    }
    PulseServerTest::TearDown();
  }

  // The capture devices as the library lists them: driver id and flags.
  static std::vector<std::pair<std::string, DWORD>> CaptureDevices() {
    std::vector<std::pair<std::string, DWORD>> list;
    DeviceInfo info;
    for (DWORD i = 0; RecordGetDeviceInfo(i, &info); ++i) list.emplace_back(info.driver, info.flags);
    return list;
  }

  static int CaptureIndex(const std::string& id) {
    auto list = CaptureDevices();
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i].first == id) return static_cast<int>(i);
    return -1;
  }

 private:
  bool inUse_ = false;
};

TEST_F(PulseLibrary, RecorderSeesLoopbackAndCaptureDevices) {
  using Devices = std::vector<std::pair<std::string, DWORD>>;
  EXPECT_EQ(CaptureDevices(), (Devices{{kPlayMonitor, DEVICE_ENABLED | DEVICE_LOOPBACK},
                                       {kCaptureMonitor, DEVICE_ENABLED | DEVICE_LOOPBACK},
                                       {kMicSource, DEVICE_ENABLED | DEVICE_DEFAULT},
                                       {kSurroundMonitor, DEVICE_ENABLED | DEVICE_LOOPBACK}}));
  // The default output's monitor comes first among the loopback devices, so
  // it is the one chosen when the program starts.
  ASSERT_EQ(std::system(("pactl set-default-sink " + kSurroundSink).c_str()), 0);
  const Devices surroundFirst = CaptureDevices();
  ASSERT_EQ(std::system(("pactl set-default-sink " + kPlaySink).c_str()), 0);
  EXPECT_EQ(surroundFirst, (Devices{{kSurroundMonitor, DEVICE_ENABLED | DEVICE_LOOPBACK},
                                    {kPlayMonitor, DEVICE_ENABLED | DEVICE_LOOPBACK},
                                    {kCaptureMonitor, DEVICE_ENABLED | DEVICE_LOOPBACK},
                                    {kMicSource, DEVICE_ENABLED | DEVICE_DEFAULT}}));
  ASSERT_TRUE(SetConfig(CONFIG_REC_LOOPBACK, 0));
  EXPECT_EQ(CaptureDevices(), (Devices{{kMicSource, DEVICE_ENABLED | DEVICE_DEFAULT}}));
}

TEST_F(PulseLibrary, OpenDeviceTellsItsRateAndInput) {
  ASSERT_TRUE(RecordInit(CaptureIndex(kPlayMonitor)));
  RecordInfo info;
  ASSERT_TRUE(RecordGetInfo(&info));
  EXPECT_EQ(info.freq, 44100u);
  ASSERT_TRUE(RecordFree());

  ASSERT_TRUE(RecordInit(CaptureIndex(kMicSource)));
  ASSERT_TRUE(RecordGetInfo(&info));
  EXPECT_EQ(info.freq, 48000u);
  EXPECT_EQ(info.inputs, 1u);
  ASSERT_NE(RecordGetInputName(0), nullptr);
  EXPECT_STREQ(RecordGetInputName(0), kMicDescription.c_str());
  EXPECT_EQ(RecordGetInputName(1), nullptr);
  float volume = -1;
  EXPECT_EQ(RecordGetInput(0, &volume), INPUT_TYPE_UNDEF);  // on: no INPUT_OFF
  EXPECT_FLOAT_EQ(volume, 1.0f);
  ASSERT_TRUE(RecordSetInput(0, 0, 0.42f));
  RecordGetInput(0, &volume);
  EXPECT_NEAR(volume, 0.42f, 0.001f);
}

TEST_F(PulseLibrary, OutputIsTheDefaultSink) {
  ASSERT_TRUE(Init(-1, 44100, 0));
  Info info;
  ASSERT_TRUE(GetInfo(&info));
  EXPECT_EQ(info.freq, 44100u);
  EXPECT_EQ(info.speakers, 2u);
  ASSERT_TRUE(SetVolume(0.5f));
  EXPECT_NEAR(GetVolume(), 0.5f, 0.001f);
}

TEST_F(PulseLibrary, ToneReachesTheRecordingAtEverySampleFormat) {
  struct Case {
    const char* what;
    DWORD flags;
    SampleType type;
  } cases[] = {
      {"8-bit", SAMPLE_8BITS, SampleType::U8},
      {"16-bit", 0, SampleType::S16},
      {"float", SAMPLE_FLOAT, SampleType::F32},
  };
  const DWORD rate = 48000, channels = 2;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(RecordInit(CaptureIndex(kPlayMonitor)));
    std::mutex mutex;
    std::vector<std::uint8_t> recorded;
    HRECORD rec = RecordStart(rate, channels, c.flags, [&](HRECORD, const void* buffer, DWORD length) {
      std::lock_guard lock(mutex);
      auto* p = static_cast<const std::uint8_t*>(buffer);
      recorded.insert(recorded.end(), p, p + length);
      return true;
    });
    ASSERT_NE(rec, 0u) << ErrorGetCode();

    std::this_thread::sleep_for(50ms);
    const DWORD quiet = ChannelGetLevel(rec);
    EXPECT_LT(quiet & 0xFFFF, 100u);
    EXPECT_LT(quiet >> 16, 100u);

    // The loudest level seen while the tone plays, per side.
    DWORD left = 0, right = 0;
    std::atomic<bool> playing{true};
    std::thread meter([&] {
      while (playing) {
        DWORD level = ChannelGetLevel(rec);
        left = std::max(left, level & 0xFFFF);
        right = std::max(right, level >> 16);
        std::this_thread::sleep_for(5ms);
      }
    });
    TonePlayer tone(kPlaySink, 1000, 0.5, 0.3);
    bool played = tone.finish();
    EXPECT_TRUE(WaitUntil([&] {
      std::lock_guard lock(mutex);
      return ToneHasEnded(ToFloats(c.type, recorded), static_cast<int>(channels), rate);
    })) << "the tone and its end did not arrive";
    playing = false;
    meter.join();
    ASSERT_TRUE(played) << tone.error();
    ASSERT_TRUE(ChannelStop(rec));
    ASSERT_TRUE(RecordFree());

    // Half of full scale.
    EXPECT_NEAR(left, 16384, 700);
    EXPECT_NEAR(right, 16384, 700);
    std::lock_guard lock(mutex);
    ExpectTestToneOnEveryChannel(ToFloats(c.type, recorded), static_cast<int>(channels), rate);
  }
}

TEST_F(PulseLibrary, RecordingFromTheRemappedSource) {
  ASSERT_TRUE(RecordInit(CaptureIndex(kMicSource)));
  std::mutex mutex;
  std::vector<std::uint8_t> recorded;
  HRECORD rec = RecordStart(48000, 1, 0, [&](HRECORD, const void* buffer, DWORD length) {
    std::lock_guard lock(mutex);
    auto* p = static_cast<const std::uint8_t*>(buffer);
    recorded.insert(recorded.end(), p, p + length);
    return true;
  });
  ASSERT_NE(rec, 0u) << ErrorGetCode();
  TonePlayer tone(kCaptureSink, 440, 0.25, 0.3);
  ASSERT_TRUE(tone.finish()) << tone.error();
  EXPECT_TRUE(WaitUntil([&] {
    std::lock_guard lock(mutex);
    return ToneHasEnded(ToFloats(SampleType::S16, recorded), 1, 48000);
  })) << "the tone and its end did not arrive";
  ASSERT_TRUE(ChannelStop(rec));
  std::lock_guard lock(mutex);
  ToneFound t = FindTone(ToFloats(SampleType::S16, recorded), 48000, 440);
  ASSERT_TRUE(t.found);
  EXPECT_NEAR(t.peak, 0.25, 0.01);
  EXPECT_NEAR(t.frequency, 440, 3);
  EXPECT_GT(t.purity, 0.95);
}

TEST_F(PulseLibrary, ProcEndsTheRecording) {
  ASSERT_TRUE(RecordInit(CaptureIndex(kPlayMonitor)));
  std::atomic<int> calls{0};
  HRECORD rec = RecordStart(44100, 2, 0, [&](HRECORD, const void*, DWORD) { return ++calls < 3; });
  ASSERT_NE(rec, 0u);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(ChannelIsActive(rec), ACTIVE_STOPPED);
}


// A callback that asks the library something while the user-interface thread
// does the same must not dead-lock against the server's lock.
TEST_F(PulseLibrary, CallbackMayCallTheLibraryWhileAnotherThreadDoes) {
  ASSERT_TRUE(RecordInit(CaptureIndex(kPlayMonitor)));
  std::atomic<int> calls{0};
  const HRECORD h = RecordStart(48000, 2, 0, [&](HRECORD, const void*, DWORD) {
    float v = 0;
    RecordGetInput(0, &v);
    ++calls;
    return true;
  });
  ASSERT_NE(h, 0u);
  const auto until = std::chrono::steady_clock::now() + 700ms;
  float v = 0;
  int asked = 0;
  while (std::chrono::steady_clock::now() < until) {
    RecordGetInput(0, &v);
    RecordSetInput(0, 0, 0.9f);
    ++asked;
  }
  EXPECT_GT(asked, 10);
  EXPECT_GT(calls.load(), 10);
  EXPECT_TRUE(ChannelStop(h));
}

}  // namespace
}  // namespace zovedu_test
