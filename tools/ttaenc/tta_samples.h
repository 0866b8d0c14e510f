// The WAV stream's samples in the form the TTA encoder takes: 8-bit stays
// unsigned 8-bit, 16-bit stays 16-bit, 24-bit goes in the top of 32 bits.
// TTA holds up to 24 bits of integers, so 32-bit and float input is refused.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/samplefmt.h>
}

#include "wav_input.h"

namespace tta {

struct SampleLayout {
  AVSampleFormat format;  // interleaved
  int bits;               // significant bits per sample
};

// Empty, with a message in `error`, for input TTA cannot hold.
std::optional<SampleLayout> SampleLayoutFor(const wavin::Format& format, std::string& error);

class SampleReader {
 public:
  SampleReader(wavin::Input& input, SampleLayout layout) : input_(input), layout_(layout) {}

  // Reads up to maxFrames frames; 0 at the end of the input. data() then
  // holds them, interleaved in the layout's format.
  size_t read(size_t maxFrames);
  const std::uint8_t* data() const { return data_; }

 private:
  wavin::Input& input_;
  SampleLayout layout_;
  std::vector<std::uint8_t> bytes_;
  std::vector<std::int16_t> int16_;
  std::vector<std::int32_t> int32_;
  const std::uint8_t* data_ = nullptr;
};

}  // namespace tta
