// One frame of a Monkey's Audio file: the samples through the stereo
// decorrelation, the prediction and the adaptive filters, then range coded.
// Every frame starts from fresh state, so frames stand alone.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "ape_format.h"

namespace ape {

class FrameEncoder {
 public:
  FrameEncoder(const AudioFormat& format, int level);

  // The frame as it is stored: whole 32-bit words (the format reads its
  // bytes through little-endian words). samples are interleaved.
  std::vector<std::uint8_t> encode(const std::int32_t* samples, std::uint32_t blocks);

 private:
  AudioFormat format_;
  const LevelSettings* settings_;
};

}  // namespace ape
