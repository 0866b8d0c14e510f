// The spectrum of a channel's most recent audio (DATA_FFT1024): 1024 mono
// frames under a Hann window, 512 magnitudes, scaled so that a full-scale
// sine on a bin reads 1.0 there. One FFTW plan serves every thread; it is
// made once under a lock, because FFTW's planner is not thread-safe.
#pragma once

#include <cstddef>

#include "audio/zaudio.h"

namespace zaudio {

class Channel;

constexpr size_t kFftSize = 1024;

// 512 magnitudes of 1024 samples.
void FftMagnitudes1024(const float* samples, float* magnitudes);

namespace detail {
// ChannelGetData with DATA_FFT1024: the bytes written (512 floats) or
// DATA_ERROR, the error set either way.
DWORD GetFft1024(Channel& channel, float* out);
}  // namespace detail

}  // namespace zaudio
