// The WAV streams the recorder pipes into an encoder: a 44-byte header whose
// sizes say "unknown" (0xFFFFFFFF) unless told otherwise, then PCM samples.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "support/wav_file.h"

namespace zovedu_test {

struct PcmFormat {
  int bits = 16;  // 8 (unsigned), 16, 24 or 32 (signed)
  int channels = 1;
  int rate = 44100;
};

void PrintTo(const PcmFormat& format, std::ostream* os);

// Interleaved samples in -1..1: a sine of `frequency` on every channel, plus,
// when `noise` > 0, that much deterministic white noise (different on every
// channel).
std::vector<double> TestSignal(const PcmFormat& format, double seconds, double frequency, double amplitude,
                               double noise = 0);

// The samples as little-endian PCM of the format's bits, rounded and clipped.
Bytes ToPcm(const std::vector<double>& samples, int bits);
// Integer samples, already in the range of `bits`, as little-endian PCM.
Bytes ToPcm(const std::vector<std::int32_t>& samples, int bits);

// The header and the PCM data. `declaredDataBytes` is the size the header
// states for the data (the RIFF size follows from it); unknown by default.
Bytes WavStream(const PcmFormat& format, const Bytes& pcm, std::optional<std::uint32_t> declaredDataBytes = {});

// ReadFile is in support/wav_file.h.
void WriteFile(const std::filesystem::path& path, const Bytes& bytes);

}  // namespace zovedu_test
