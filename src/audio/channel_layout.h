// Which speaker each channel of an interleaved frame belongs to. Captures,
// streams and the mixer all use the same order, so that a 5.1 or 7.1 output's
// monitor is captured and downmixed with every channel where it belongs.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/zaudio.h"

namespace zaudio {

enum class Speaker { Mono, FrontLeft, FrontRight, FrontCenter, Lfe, RearLeft, RearRight, RearCenter, SideLeft,
                     SideRight };

constexpr DWORD kMaxChannels = 8;

// The speakers of 1..8 channels: mono; stereo; then front left, front right,
// centre, LFE, rear left, rear right, side left, side right, taking the
// layouts of the common surround setups (3 = 3.0, 4 = quad, 5 = 5.0, 6 = 5.1,
// 7 = 6.1, 8 = 7.1). Empty for other counts.
std::vector<Speaker> SpeakersFor(DWORD channels);

// The same layout as a speaker mask in the usual bit order (front left 0x1,
// front right 0x2, centre 0x4, LFE 0x8, rear left 0x10, rear right 0x20,
// rear centre 0x100, side left 0x200, side right 0x400; mono is the centre),
// as WAV headers and the resampler name layouts. 0 for other counts.
std::uint32_t SpeakerMaskFor(DWORD channels);

}  // namespace zaudio
