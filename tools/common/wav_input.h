// The WAV stream every encoder in bin/ reads from its standard input: the
// header up to the data chunk, then sample frames to the end of the input.
// The sizes the header declares are ignored (a recorder streaming into a
// pipe cannot know them: they may be 0, 0xFFFFFFFF or simply wrong).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace wavin {

enum class Encoding { Unsigned8, Signed16, Signed24, Signed32, Float32 };

struct Format {
  Encoding encoding = Encoding::Signed16;
  int channels = 0;
  int rate = 0;
  int bits = 0;              // 8, 16, 24 or 32
  std::uint32_t channelMask = 0;  // from WAVE_FORMAT_EXTENSIBLE, else 0
  int frameBytes() const { return channels * (bits / 8); }
};

class Input {
 public:
  explicit Input(int fd = 0) : fd_(fd) {}

  // Reads the header. False with a message when the input is no WAV stream
  // or holds a sample format no encoder here takes.
  bool open(std::string& error);
  const Format& format() const { return format_; }

  // Reads up to maxFrames whole frames of raw samples into out (resized to
  // what was read). Returns the frames read; 0 at the end of the input. A
  // partial frame at the very end is dropped. Throws std::runtime_error on a
  // read error.
  size_t read(std::vector<std::uint8_t>& out, size_t maxFrames);

  // The same, converted: floats in -1..1, or integers scaled to 16 or 32 bits
  // (the top bits: a 24-bit sample becomes value << 8 in 32 bits).
  size_t readFloat(std::vector<float>& out, size_t maxFrames);
  size_t readInt16(std::vector<std::int16_t>& out, size_t maxFrames);
  size_t readInt32(std::vector<std::int32_t>& out, size_t maxFrames);

 private:
  bool readExactly(void* buffer, size_t bytes);  // false at the end of input
  size_t readSome(std::uint8_t* buffer, size_t bytes);

  int fd_;
  Format format_;
  std::vector<std::uint8_t> raw_;
};

// Conversions of raw samples in a format (samples = frames × channels).
void ToFloat(const Format& f, const std::uint8_t* raw, size_t samples, float* out);
void ToInt32(const Format& f, const std::uint8_t* raw, size_t samples, std::int32_t* out);
void ToInt16(const Format& f, const std::uint8_t* raw, size_t samples, std::int16_t* out);

}  // namespace wavin
