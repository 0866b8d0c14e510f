// Turns captured samples into the samples an encoder writes.
#pragma once

#include <cstddef>

#include "audio/encode/pcm_encoding.h"

namespace zaudio {

// Converts `samples` samples (frames × channels) from `src` into `dst`, little
// endian. Integer input must be asked for in its own encoding and is copied.
// Float input becomes any encoding: integers are scaled by 2^(bits−1), rounded
// to nearest with halves to even and clipped, so +1.0 gives the largest value,
// −1.0 the smallest and NaN silence.
void ConvertSamples(SampleType input, PcmEncoding output, const void* src, void* dst,
                    size_t samples);

}  // namespace zaudio
