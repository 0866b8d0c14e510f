// Running bin/speexenc on WAV streams made here and looking at what speexdec
// and ffmpeg make of its files.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace speexenc_test {

using Bytes = std::vector<std::uint8_t>;

// One sample of channel `channel` at time t in seconds, in -1..1.
using SignalFn = std::function<double(int channel, double t)>;

// A WAV stream as the recorder writes it: a 44-byte header whose sizes are
// `declaredBytes` (0xFFFFFFFF: unknown), then `seconds` of the signal as
// 8-bit unsigned or 16-, 24- or 32-bit signed PCM.
Bytes WavStream(int rate, int channels, int bits, double seconds, const SignalFn& signal,
                std::uint32_t declaredBytes = 0xFFFFFFFF);

// Deterministic white noise with unit variance, a fresh value per call.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed ? seed : 1) {}
  double next();

 private:
  std::uint64_t state_;
};

// The pages of an Ogg file, each with the packets that end on it (a packet
// continued from an earlier page comes whole); nothing, and a test failure,
// when the file is no Ogg stream.
struct OggPage {
  std::uint8_t flags = 0;  // 2: first page, 4: last page
  std::int64_t granule = 0;
  std::uint32_t serial = 0, sequence = 0;
  size_t bytes = 0;  // header and body
  std::vector<Bytes> packets;
};
std::optional<std::vector<OggPage>> ReadOggPages(const std::filesystem::path& path);

// Little-endian 32-bit value at `at`.
std::uint32_t Le32(const Bytes& b, size_t at);

// A 1 kHz tone of the given peak level that swells and fades three times a
// second, as speech does (a steady sine is what the codec's activity
// detection takes for background noise), over a faint noise floor. The right
// channel plays at `rightGain` times the left's level.
SignalFn SpeechLikeTone(double peak = 0.5, double rightGain = 0.5, double noise = 0.003);

struct ProgramRun {
  int exitCode = -1;  // -1 when killed by a signal
  std::string err;
};
// Runs a program with `input` (a file path, or empty for /dev/null) on its
// standard input, waiting for it to end. With fileSizeLimit, writing past
// that many bytes into any file fails (EFBIG) as on a full disk.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& input = {},
                      std::optional<size_t> fileSizeLimit = std::nullopt);

std::string EncoderPath();

struct Decoded {
  int rate = 0;
  int channels = 0;
  std::vector<float> samples;  // interleaved
  double seconds() const { return channels ? double(samples.size()) / channels / rate : 0; }
  std::vector<float> channel(int c) const;
};
// ffmpeg reads the Ogg stream itself but decodes with libspeex: its own
// Speex decoder (5.1) drifts into loud garbage on long tonal CBR passages
// that libspeex decodes cleanly.
enum class Decoder { Speexdec, Ffmpeg };
const char* Name(Decoder d);
// The file decoded to 16-bit PCM; nothing (and a test failure) if the decoder fails.
std::optional<Decoded> Decode(Decoder decoder, const std::filesystem::path& spx, const std::filesystem::path& scratch);

// Measures on one channel's samples, between from and to seconds.
double Rms(const std::vector<float>& x, int rate, double from, double to);
// The frequency with the most energy between lo and hi Hz, in 5 Hz steps,
// from the power averaged over 50 ms blocks.
double StrongestFrequency(const std::vector<float>& x, int rate, double from, double to, double lo = 300,
                          double hi = 3000);

// Both decoders play `spx` at the band's rate with `channels` channels for
// `seconds` (± 0.1), with the 1 kHz tone on every channel (the right one of
// two at half the left's level, as SpeechLikeTone makes it).
void ExpectDecodesToTone(const std::filesystem::path& spx, const std::filesystem::path& scratch, int bandRate,
                         int channels, double seconds = 3.0);

// A fresh folder per test, removed afterwards.
class SpeexencTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  const std::filesystem::path& dir() const { return dir_; }
  std::filesystem::path file(const std::string& name) const { return dir_ / name; }
  // Writes the stream to a file and encodes it with the given switches into
  // `output`; returns the run.
  ProgramRun encode(const Bytes& stream, const std::vector<std::string>& switches, const std::filesystem::path& output,
                    std::optional<size_t> fileSizeLimit = std::nullopt);

 private:
  std::filesystem::path dir_;
};

}  // namespace speexenc_test
