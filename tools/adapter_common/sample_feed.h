// How an adapter hands the samples on: the encoding the encoder gets and the
// data size its rewritten header declares.
#pragma once

#include <cstdint>
#include <vector>

#include "wav_input.h"

namespace adapter {

// A data size the encoders here take as "to the end of the input".
inline constexpr std::uint32_t kUnknownSize = 0xFFFFFFFF;

enum class Samples { AsRead, Float32, Signed32 };

struct Feed {
  Samples samples = Samples::AsRead;
  std::uint32_t declaredSize = kUnknownSize;
  bool extensibleBeyondStereo = true;  // false: a plain PCM header whatever the channels
};

// The format the encoder sees once the samples are converted.
wavin::Format FedFormat(const wavin::Format& in, Samples samples);

// Reads the next block of frames from in, as little-endian bytes in the fed
// encoding. Returns false at the end of the input.
bool ReadBlock(wavin::Input& in, Samples samples, std::vector<std::uint8_t>& out);

}  // namespace adapter
