#include "pulse_test_server.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "audio/pulse/pulse_backend.h"

namespace zovedu_test {

void PulseServerTest::SetUp() {
  const char* noPulse = std::getenv("ZOVEDU_NO_PULSE");
  if (noPulse && std::string(noPulse) == "1") GTEST_SKIP() << "ZOVEDU_NO_PULSE=1";
  const char* server = std::getenv("PULSE_SERVER");
  ASSERT_TRUE(server && *server)
      << "PULSE_SERVER is not set: eval \"$(scripts/pulse/start-test-server.sh)\" first";
  zaudio::PulseBackend probe;
  bool testServer = false;
  for (const auto& d : probe.captureDevices(true)) testServer |= d.id == kMicSource;
  ASSERT_TRUE(testServer) << "no test server at " << server
                          << " (start it with scripts/pulse/start-test-server.sh)";
  ready_ = true;
}

void PulseServerTest::TearDown() {
  if (!ready_) return;
  zaudio::PulseBackend backend;
  for (int sink = 0; sink < 2; ++sink) {
    ASSERT_EQ(backend.initOutput(sink), zaudio::OK);
    EXPECT_TRUE(backend.setOutputVolume(1.0f));
    backend.freeOutput();
  }
  auto sources = backend.captureDevices(true);
  for (size_t i = 0; i < sources.size(); ++i) {
    ASSERT_EQ(backend.openCapture(static_cast<int>(i), true), zaudio::OK);
    EXPECT_TRUE(backend.setInput(0, 0, 1.0f));
    backend.closeCapture();
  }
}

TonePlayer::TonePlayer(std::string sink, double frequency, double amplitude, double seconds)
    : thread_(&TonePlayer::run, this, std::move(sink), frequency, amplitude, seconds) {}

TonePlayer::~TonePlayer() {
  if (thread_.joinable()) thread_.join();
}

bool TonePlayer::finish() {
  if (thread_.joinable()) thread_.join();
  return ok_;
}

void TonePlayer::run(std::string sink, double frequency, double amplitude, double seconds) {
  const pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, 48000, 2};
  const auto frames = static_cast<size_t>(seconds * spec.rate);
  std::vector<float> samples;
  samples.reserve(2 * frames);
  for (size_t i = 0; i < frames; ++i) {
    // 5 ms fades: an abrupt start would overshoot after resampling.
    double fade = std::min({1.0, i / (0.005 * spec.rate), (frames - i) / (0.005 * spec.rate)});
    double gain = amplitude * (0.5 - 0.5 * std::cos(std::numbers::pi * fade));
    auto v = static_cast<float>(gain * std::sin(2 * std::numbers::pi * frequency * i / spec.rate));
    samples.push_back(v);
    samples.push_back(v);
  }
  // The whole tone fits in the playback buffer and playing starts once all of
  // it is there (or at the drain), so a busy machine that is slow to refill a
  // short buffer can never cut a gap into it. The sink still renders in small
  // blocks: the test server keeps a low-latency stream on every sink.
  const auto bytes = static_cast<uint32_t>(samples.size() * sizeof(float));
  pa_buffer_attr attr;
  attr.maxlength = attr.minreq = attr.fragsize = static_cast<uint32_t>(-1);
  attr.tlength = attr.prebuf = bytes;
  int err = 0;
  pa_simple* s = pa_simple_new(nullptr, "zovedu-tests", PA_STREAM_PLAYBACK, sink.c_str(), "tone",
                               &spec, nullptr, &attr, &err);
  if (!s) {
    error_ = std::string("pa_simple_new: ") + pa_strerror(err);
    return;
  }
  bool ok = pa_simple_write(s, samples.data(), bytes, &err) == 0;
  if (ok) ok = pa_simple_drain(s, &err) == 0;
  if (!ok) error_ = std::string("playing: ") + pa_strerror(err);
  pa_simple_free(s);
  ok_ = ok;
}

}  // namespace zovedu_test
