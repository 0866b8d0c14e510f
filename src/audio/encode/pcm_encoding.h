// The sample encodings an encoder writes, and which one a capture format and
// the ENCODE_FP_* flags select.
#pragma once

#include <optional>

#include "audio/backend.h"

namespace zaudio {

enum class PcmEncoding { U8, S16, S24, S32, F32 };

inline int BytesPerSample(PcmEncoding e) {
  switch (e) {
    case PcmEncoding::U8: return 1;
    case PcmEncoding::S16: return 2;
    case PcmEncoding::S24: return 3;
    case PcmEncoding::S32:
    case PcmEncoding::F32: return 4;
  }
  return 0;
}

// Integer input is written as it is; float input becomes the integer width the
// FP bits of `flags` ask for, or stays float without them. Nothing when the FP
// bits hold a value that names no width.
std::optional<PcmEncoding> EncodingFor(SampleType input, DWORD flags);

}  // namespace zaudio
