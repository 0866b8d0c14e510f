// Shared pieces of the encoder tests: a WAV reader written from the format's
// layout (not from the encoder's code), test signals, running programs and
// waiting for what an encoder's threads do.
#pragma once

#include <gtest/gtest.h>

#include <QStringList>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "audio/encode/encoder.h"
#include "audio/encode/encoder_testing.h"
#include "support/wav_file.h"

namespace encoder_test {

using zovedu_test::Bytes;
using zovedu_test::ParseWav;
using zovedu_test::ReadFile;
using zovedu_test::ReadWav;
using zovedu_test::WaitUntil;
using zovedu_test::WavInfo;

// Deterministic test signals: noise over a tone, across the full range.
Bytes S16Signal(size_t frames, int channels, unsigned seed = 1);
Bytes U8Signal(size_t frames, int channels);
Bytes F32Signal(size_t frames, int channels);  // floats strictly inside ±1

// Float samples that are exact 24-bit values k / 2^23, and those values as
// 3-byte little-endian integers.
struct Float24Signal {
  Bytes floats;
  Bytes expected;
};
Float24Signal ExactFloat24Signal(size_t frames, int channels);

// Feeds `bytes` in blocks of irregular sizes (whole frames).
void FeedInBlocks(zaudio::Encoder& encoder, const Bytes& bytes, size_t frameBytes);

Bytes Concat(const Bytes& a, const Bytes& b);

// A program run to its end, with its standard output.
struct ProgramRun {
  bool finished = false;
  int exitCode = -1;
  Bytes out;
  std::string err;
};
ProgramRun RunProgram(const QString& program, const QStringList& args);

// The processes whose parent we are, zombies included.
std::vector<int> ChildProcesses();

// Collects the statuses an encoder reports.
class NotifyLog {
 public:
  zaudio::Encoder::NotifyProc proc();
  bool waitForStatus(std::chrono::milliseconds deadline = std::chrono::seconds(20));
  std::vector<zaudio::DWORD> statuses() const;

 private:
  mutable std::mutex mutex_;
  std::condition_variable arrived_;
  std::vector<zaudio::DWORD> statuses_;
};

// Test overrides for the encoders started while it lives.
class ScopedEncoderOverrides {
 public:
  explicit ScopedEncoderOverrides(const zaudio::EncoderTestOverrides& o) { zaudio::OverrideEncodersForTesting(o); }
  ~ScopedEncoderOverrides() { zaudio::OverrideEncodersForTesting({}); }
};

}  // namespace encoder_test
