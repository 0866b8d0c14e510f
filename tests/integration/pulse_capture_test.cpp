// Capture streams of the PulseAudio backend on the test server: the played
// tone arrives in the requested format, pausing and stopping hold, and the
// sink can end the capture.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "audio/pulse/pulse_backend.h"
#include "pulse_test_server.h"
#include "support/tone_analysis.h"

namespace zovedu_test {
namespace {

using namespace zaudio;
using namespace std::chrono_literals;

// Collects what a capture delivers.
struct Collected {
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<std::uint8_t> bytes;
  std::atomic<int> calls{0};
  std::atomic<bool> partFrame{false};

  CaptureSink sink(int frameBytes) {
    return [this, frameBytes](const void* data, size_t n) {
      if (n % frameBytes != 0) partFrame = true;
      {
        std::lock_guard lock(mutex);
        auto* p = static_cast<const std::uint8_t*>(data);
        bytes.insert(bytes.end(), p, p + n);
      }
      ++calls;
      arrived.notify_all();
      return true;
    };
  }

  // Waits until the audio holds a sample above threshold followed by at least
  // 50 ms of quiet. Call it once the tone has played to its end: then it
  // returns once the end has come through the server, however busy the
  // machine is. False when that has not happened within ten seconds.
  bool waitForToneAndQuiet(const CaptureFormat& format, float threshold) {
    std::unique_lock lock(mutex);
    return arrived.wait_for(lock, 10s, [&] {
      return ToneHasEnded(ToFloats(format.type, bytes), static_cast<int>(format.channels), format.rate, threshold);
    });
  }
};

int OpenById(PulseBackend& backend, const std::string& id) {
  auto list = backend.captureDevices(true);
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].id == id) return backend.openCapture(static_cast<int>(i), true);
  return ERROR_DEVICE;
}

using PulseCapture = PulseServerTest;

TEST_F(PulseCapture, PlayedToneArrivesInEveryFormat) {
  struct Case {
    const char* what;
    std::string device, sink;
    SampleType type;
    DWORD rate, channels;
  } cases[] = {
      {"monitor u8 44100 stereo", kPlayMonitor, kPlaySink, SampleType::U8, 44100, 2},
      {"monitor s16 48000 mono", kPlayMonitor, kPlaySink, SampleType::S16, 48000, 1},
      {"monitor float 48000 stereo", kPlayMonitor, kPlaySink, SampleType::F32, 48000, 2},
      {"remapped source s16 48000 stereo", kMicSource, kCaptureSink, SampleType::S16, 48000, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PulseBackend backend;
    ASSERT_EQ(OpenById(backend, c.device), OK);
    CaptureFormat format{c.rate, c.channels, c.type};
    Collected got;
    int error = -1;
    auto stream = backend.startCapture(format, false, got.sink(format.frameBytes()), error);
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(error, OK);

    TonePlayer tone(c.sink, 1000, 0.5, 0.3);
    ASSERT_TRUE(tone.finish()) << tone.error();
    EXPECT_TRUE(got.waitForToneAndQuiet(format, 0.02f)) << "the tone and its end did not arrive";
    stream->stop();

    EXPECT_FALSE(got.partFrame);
    ExpectTestToneOnEveryChannel(ToFloats(c.type, got.bytes), static_cast<int>(c.channels), c.rate);
  }
}

TEST_F(PulseCapture, InputLevelScalesTheCapturedTone) {
  PulseBackend backend;
  ASSERT_EQ(OpenById(backend, kMicSource), OK);
  // The volume is the mixer's (cubic) scale: half volume is 1/8 amplitude.
  ASSERT_TRUE(backend.setInput(0, 0, 0.5f));
  CaptureFormat format{48000, 1, SampleType::F32};
  Collected got;
  int error = -1;
  auto stream = backend.startCapture(format, false, got.sink(format.frameBytes()), error);
  ASSERT_NE(stream, nullptr);
  TonePlayer tone(kCaptureSink, 1000, 0.5, 0.2);
  ASSERT_TRUE(tone.finish()) << tone.error();
  EXPECT_TRUE(got.waitForToneAndQuiet(format, 0.01f)) << "the tone and its end did not arrive";
  stream->stop();
  ToneFound t = FindTone(ToFloats(format.type, got.bytes), format.rate, 1000, 0.01);
  ASSERT_TRUE(t.found);
  EXPECT_NEAR(t.peak, 0.5 / 8, 0.005);
  EXPECT_NEAR(t.frequency, 1000, 5);
}

TEST_F(PulseCapture, BadFormatsAreRefused) {
  PulseBackend backend;
  ASSERT_EQ(backend.openCapture(-1, true), OK);
  for (CaptureFormat f : {CaptureFormat{0, 2, SampleType::S16}, CaptureFormat{44100, 0, SampleType::S16},
                          CaptureFormat{44100, 200, SampleType::F32}, CaptureFormat{10000000, 2, SampleType::U8}}) {
    int error = OK;
    int calls = 0;
    EXPECT_EQ(backend.startCapture(f, false, [&](const void*, size_t) { return ++calls, true; }, error), nullptr);
    EXPECT_EQ(error, ERROR_FORMAT);
    EXPECT_EQ(calls, 0);
  }
}

TEST_F(PulseCapture, PausedStartDeliversNothingUntilResumed) {
  PulseBackend backend;
  ASSERT_EQ(backend.openCapture(-1, false), OK);
  Collected got;
  int error = -1;
  auto stream = backend.startCapture({48000, 2, SampleType::S16}, true, got.sink(4), error);
  ASSERT_NE(stream, nullptr);
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(got.calls, 0);

  ASSERT_TRUE(stream->resume());
  std::this_thread::sleep_for(150ms);
  EXPECT_GT(got.calls, 0);

  ASSERT_TRUE(stream->pause());
  int paused = got.calls;
  std::this_thread::sleep_for(120ms);
  EXPECT_EQ(got.calls, paused);

  ASSERT_TRUE(stream->resume());
  std::this_thread::sleep_for(120ms);
  EXPECT_GT(got.calls, paused);

  stream->stop();
  EXPECT_FALSE(stream->resume());
  EXPECT_FALSE(stream->pause());
}

TEST_F(PulseCapture, NoDeliveryAfterStopReturns) {
  PulseBackend backend;
  ASSERT_EQ(backend.openCapture(-1, false), OK);
  std::atomic<bool> stopped{false};
  std::atomic<int> calls{0}, late{0};
  int error = -1;
  auto stream = backend.startCapture(
      {48000, 2, SampleType::F32}, false,
      [&](const void*, size_t) {
        if (stopped) ++late;
        ++calls;
        std::this_thread::sleep_for(2ms);  // widen the window a racing stop could hit
        return true;
      },
      error);
  ASSERT_NE(stream, nullptr);
  while (calls < 5) std::this_thread::sleep_for(1ms);
  stream->stop();
  stopped = true;
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(late, 0);
  stream->stop();  // a second stop is harmless
}

TEST_F(PulseCapture, SinkEndsTheCapture) {
  PulseBackend backend;
  ASSERT_EQ(backend.openCapture(-1, false), OK);
  std::atomic<int> calls{0};
  int error = -1;
  auto stream = backend.startCapture(
      {44100, 1, SampleType::S16}, false, [&](const void*, size_t) { return ++calls < 3; }, error);
  ASSERT_NE(stream, nullptr);
  std::this_thread::sleep_for(200ms);
  EXPECT_EQ(calls, 3);
  EXPECT_FALSE(stream->resume());
  stream.reset();
  EXPECT_EQ(calls, 3);
}

TEST_F(PulseCapture, SinkMayStopOrDestroyItsOwnStream) {
  PulseBackend backend;
  ASSERT_EQ(backend.openCapture(-1, false), OK);
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "destroy" : "stop");
    std::unique_ptr<CaptureStream> stream;
    std::mutex streamMutex;
    std::atomic<bool> armed{false};  // set once stream holds the capture
    std::atomic<int> calls{0};
    int error = -1;
    auto started = backend.startCapture(
        {48000, 2, SampleType::S16}, false,
        [&](const void*, size_t) {
          if (!armed) return true;
          if (++calls == 2) {
            std::lock_guard lock(streamMutex);
            if (destroy)
              stream.reset();
            else
              stream->stop();
          }
          return true;
        },
        error);
    ASSERT_NE(started, nullptr);
    {
      std::lock_guard lock(streamMutex);
      stream = std::move(started);
    }
    armed = true;
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(calls, 2);
    std::unique_ptr<CaptureStream> left;
    {
      std::lock_guard lock(streamMutex);
      left = std::move(stream);
    }
    EXPECT_EQ(left == nullptr, destroy);
  }
}

TEST_F(PulseCapture, CaptureOutlivesTheBackendAndTheOpenDevice) {
  std::unique_ptr<CaptureStream> stream;
  std::atomic<int> calls{0};
  {
    PulseBackend backend;
    ASSERT_EQ(backend.openCapture(-1, false), OK);
    int error = -1;
    stream = backend.startCapture({48000, 2, SampleType::S16}, false,
                                  [&](const void*, size_t) { return ++calls, true; }, error);
    ASSERT_NE(stream, nullptr);
    backend.closeCapture();
  }
  int before = calls;
  std::this_thread::sleep_for(100ms);
  EXPECT_GT(calls, before);
  stream.reset();
}

}  // namespace
}  // namespace zovedu_test
