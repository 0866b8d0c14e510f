#include "audio/encode/pcm_encoding.h"

#include "audio/encode/encode_flags.h"

namespace zaudio {

std::optional<PcmEncoding> EncodingFor(SampleType input, DWORD flags) {
  std::optional<PcmEncoding> fromFloat;
  switch (flags & ENCODE_FP_MASK) {
    case 0: fromFloat = PcmEncoding::F32; break;
    case ENCODE_FP_8BIT: fromFloat = PcmEncoding::U8; break;
    case ENCODE_FP_16BIT: fromFloat = PcmEncoding::S16; break;
    case ENCODE_FP_24BIT: fromFloat = PcmEncoding::S24; break;
    case ENCODE_FP_32BIT: fromFloat = PcmEncoding::S32; break;
    default: return std::nullopt;
  }
  switch (input) {
    case SampleType::U8: return PcmEncoding::U8;
    case SampleType::S16: return PcmEncoding::S16;
    case SampleType::F32: return fromFloat;
  }
  return std::nullopt;
}

}  // namespace zaudio
