// Overrides for tests: read when an encoder starts, so that changing them never
// affects a running encoder. Default values keep the normal behaviour.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace zaudio {

struct EncoderTestOverrides {
  size_t queueBytes = 0;                     // queue capacity, 0 = sized from the format
  std::uint64_t largestPlainRiffSize = 0;    // a WAV file turns RF64 past this RIFF size, 0 = 32-bit limit
  std::optional<std::uint64_t> failWriteAfter = std::nullopt;  // a WAV file's data write fails (ENOSPC) past this many bytes
  std::chrono::milliseconds stopTimeout{0};  // how long stop() grants a program, 0 = the normal 60 s
};

void OverrideEncodersForTesting(const EncoderTestOverrides& overrides);
EncoderTestOverrides CurrentEncoderOverrides();

}  // namespace zaudio
