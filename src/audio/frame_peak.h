// The detector the dynamics effects share: one frame's loudest channel.
#pragma once

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>

namespace zaudio {

// The largest magnitude among a frame's samples. NaN and infinities are
// made silence on the way, so that no effect passes them on or keeps them.
inline float SanitizedFramePeak(float* frame, std::size_t channels) {
  float peak = 0;
  for (std::size_t c = 0; c < channels; ++c) {
    if (!(std::fabs(frame[c]) <= FLT_MAX)) frame[c] = 0;
    peak = std::max(peak, std::fabs(frame[c]));
  }
  return peak;
}

}  // namespace zaudio
