// Which WMA bitrates or quality levels the WMA writer can produce for a sample
// rate, channel count and codec.
#pragma once

#include <vector>

#include "audio/zaudio.h"

namespace zaudio {

// Codec flags of the WMA functions, and the flag that asks for VBR quality
// levels instead of bitrates.
constexpr DWORD WMA_ENCODE_STANDARD = 0x2000;
constexpr DWORD WMA_ENCODE_PRO = 0x4000;
constexpr DWORD WMA_ENCODE_24BIT = 0x8000;
constexpr DWORD WMA_ENCODE_RATES_VBR = 0x10000;

// Bitrates (bit/s, CBR, ascending) or VBR quality levels that the WMA writer
// can really produce for this rate/channels/codec. Empty when there are none,
// with the thread's error code set: ERROR_NOTAVAIL when the codec or mode is
// not available, ERROR_FORMAT when the codec refuses the rate or channels.
// Without a codec flag the standard codec is meant; sample-format flags are
// ignored.
std::vector<DWORD> WMA_EncodeGetRates(DWORD freq, DWORD chans, DWORD flags);

}  // namespace zaudio
