// Conversions between the capture sample types and float, and peak measuring.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/backend.h"

namespace zaudio {

// samples = frames × channels.
void ToFloat(SampleType type, const void* in, float* out, size_t samples);
void FromFloat(SampleType type, const float* in, void* out, size_t samples);

// Peak of one channel of interleaved data, on the 0..32768 scale.
std::uint32_t PeakOf(SampleType type, const void* data, size_t frames, int channels, int channel);

}  // namespace zaudio
