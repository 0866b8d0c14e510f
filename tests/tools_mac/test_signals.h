// Integer sample sequences for the encoder tests: what a level must get back
// bit for bit, from the easy (silence) to the hard (full-scale noise and
// squares that swing between the extreme values) and real speech.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "support/test_wav.h"

namespace tools_mac {

using zovedu_test::Bytes;
using zovedu_test::PcmFormat;

// Blocks in one frame at levels 1000 to 3000; 4000 has four times as many,
// 5000 sixteen times.
constexpr std::size_t kFrameBlocks = 73728;
std::size_t FrameBlocksAt(int level);

// Interleaved signed samples in the range of format.bits.
struct Pcm {
  PcmFormat format;
  std::vector<std::int32_t> samples;

  std::size_t blocks() const { return samples.size() / static_cast<std::size_t>(format.channels); }
  Bytes bytes() const { return zovedu_test::ToPcm(samples, format.bits); }
  Bytes wavStream() const { return zovedu_test::WavStream(format, bytes()); }
};

// Uniform noise in -2^(amplitudeBits-1) .. 2^(amplitudeBits-1)-1, different
// on every channel; the same for the same seed.
Pcm Noise(const PcmFormat& format, std::size_t blocks, int amplitudeBits, std::uint32_t seed = 1);
Pcm Silence(const PcmFormat& format, std::size_t blocks);
// A square wave between the format's most negative and most positive value;
// a second channel carries its complement, so their difference is as large
// as it can be. It switches every sample at first, then every 50.
Pcm FullScaleSquare(const PcmFormat& format, std::size_t blocks);

// The concatenation (same format).
Pcm Join(const std::vector<Pcm>& parts);
// Channel `channel` of `pcm` replaced by zeros.
Pcm Muted(Pcm pcm, int channel);
// A mono signal on both channels of a stereo one.
Pcm BothChannels(const Pcm& mono);

// Real speech: the spoken channel names Debian's alsa-utils installs (48 kHz,
// 16-bit), one after another. Mono: all of them, about 11 s (more than seven
// frames). Stereo: two voices (the first half of the recordings and the
// second) mixed with one panned to each side, about 5.8 s. With bits 24 the samples move to the top bits and the bottom
// eight carry low noise, as a 24-bit recording of the same voice would.
// Nothing when the recordings are not installed.
std::optional<Pcm> Speech(int channels, int bits = 16);
// Why Speech() has nothing, for GTEST_SKIP.
const char* SpeechMissingReason();

}  // namespace tools_mac
