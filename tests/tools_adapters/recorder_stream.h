// The WAV streams the recorder writes to an encoder's standard input: a
// 44-byte header (sizes 0xFFFFFFFF unless a test says otherwise) and then
// the samples of a test signal, each channel a tone of its own level under
// a little noise that reaches the lowest bits.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace tools_adapters {

using Bytes = std::vector<std::uint8_t>;

struct StreamLayout {
  int rate = 44100;
  int channels = 2;
  int bits = 16;  // 8 (unsigned), 16, 24 or 32 (signed)
  double seconds = 3.0;
  std::optional<double> declaredSeconds;  // nothing: sizes unknown (0xFFFFFFFF)

  size_t frames() const { return static_cast<size_t>(rate * seconds); }
  std::string describe() const;
};

// The samples as little-endian bytes, interleaved.
Bytes SignalSamples(const StreamLayout& layout);

// The signal's channel c at full scale (-1..1), frame by frame.
std::vector<double> SignalChannel(const StreamLayout& layout, int c);

// The header followed by the samples.
Bytes RecorderStream(const StreamLayout& layout);
void WriteRecorderStream(const StreamLayout& layout, const std::filesystem::path& path);

// The same samples as a regular WAV file whose header states their size.
void WriteRegularWav(const StreamLayout& layout, const std::filesystem::path& path);

void WriteBytes(const Bytes& bytes, const std::filesystem::path& path);

}  // namespace tools_adapters
