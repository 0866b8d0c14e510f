// The private test server (scripts/pulse/test-server.pa) as the tests see it:
// its device names, a fixture that insists on it, and a tone player.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace zovedu_test {

// Sinks, monitors and the remapped source of the test server.
inline const std::string kPlaySink = "zovedu_play";          // default sink, 44100 Hz
inline const std::string kCaptureSink = "zovedu_cap";        // 48000 Hz
inline const std::string kSurroundSink = "zovedu_surround";   // 48000 Hz, 5.1
inline const std::string kPlayMonitor = "zovedu_play.monitor";
inline const std::string kSurroundMonitor = "zovedu_surround.monitor";
inline const std::string kCaptureMonitor = "zovedu_cap.monitor";
inline const std::string kMicSource = "zovedu_mic";          // default source, remaps zovedu_cap.monitor
inline const std::string kMicDescription = "Zovedu_Microphone";

// Tests that need the test server. Without one they fail, so that a broken
// setup never passes as green; ZOVEDU_NO_PULSE=1 skips them instead.
// Each test leaves the server's device volumes at normal.
class PulseServerTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  bool ready_ = false;
};

// Plays a sine on both channels of a sink, in real time, on its own thread;
// it fades in and out over 5 ms.
class TonePlayer {
 public:
  TonePlayer(std::string sink, double frequency, double amplitude, double seconds);
  ~TonePlayer();
  // Waits until the last sample has been played; false when playing failed.
  bool finish();
  const std::string& error() const { return error_; }

 private:
  void run(std::string sink, double frequency, double amplitude, double seconds);

  std::string error_;
  bool ok_ = false;
  std::thread thread_;  // last: starts once the fields it writes exist
};

}  // namespace zovedu_test
