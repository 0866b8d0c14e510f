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

namespace encoder_test {

using Bytes = std::vector<std::uint8_t>;

struct WavInfo {
  std::string riffId;  // "RIFF" or "RF64"
  std::uint32_t riffSize32 = 0;
  std::vector<std::string> chunkIds;  // in file order
  std::uint16_t formatTag = 0;        // 0xFFFE when extensible
  std::uint16_t subFormatTag = 0;     // the extensible sub format, else formatTag
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bits = 0;
  std::uint32_t channelMask = 0;
  Bytes junk;  // the body of a JUNK chunk
  std::optional<std::uint64_t> ds64Riff, ds64Data, ds64Samples;
  std::uint32_t ds64Table = 0;
  std::uint32_t dataSize32 = 0;
  Bytes data;  // as much as the header states; to the end when the size is unknown
  std::uint64_t fileSize = 0;
};

// Nothing when `bytes` is no well-formed WAV or RF64 image or its header
// states more data than there is; that fails the current test unless `quiet`.
std::optional<WavInfo> ParseWav(const Bytes& bytes, bool quiet = false);
Bytes ReadFile(const std::string& path);
std::optional<WavInfo> ReadWav(const std::string& path);

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

// Polls `condition` until it holds or the generous deadline passes.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(20));

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
