// The sample rate the AAC stream gets for an input rate.
#pragma once

extern "C" {
#include <libavcodec/codec.h>
}

namespace faac {

// The input rate when `encoder` takes it, else the nearest rate it takes
// (192000 Hz becomes 96000 Hz): a recording at a rate AAC lacks is resampled
// rather than lost. An encoder that lists no rates takes any.
int AacRateFor(const AVCodec& encoder, int inputRate);

}  // namespace faac
