// The WAV header an adapter puts in front of the samples it hands an encoder.
#pragma once

#include <cstdint>
#include <vector>

#include "wav_input.h"

namespace adapter {

// A canonical header for f whose data chunk declares declaredSize bytes
// (kUnknownSize or 0 tell the encoders here to read to the end). More than
// two channels get WAVE_FORMAT_EXTENSIBLE with f's channel mask unless
// plainOnly is set.
std::vector<std::uint8_t> WavHeader(const wavin::Format& f, std::uint32_t declaredSize, bool plainOnly);

}  // namespace adapter
