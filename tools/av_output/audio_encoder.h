// Creating and opening one of libavcodec's audio encoders.
#pragma once

#include "av_handles.h"

namespace avout {

// A context for the encoder called `name`, taking samples in `format` at
// `rate` Hz in `layout`, counting time in samples. The caller adds its own
// settings, then opens it with OpenEncoder. Throws when FFmpeg lacks the
// encoder.
CodecContextPtr NewAudioEncoder(const char* name, AVSampleFormat format, int rate, const AVChannelLayout& layout);

// Opens the encoder for a file written by libavformat's `muxer`, asking for
// the global header the muxer wants. Throws with a message naming the
// encoder and the input when the encoder refuses its settings.
void OpenEncoder(AVCodecContext* codec, const char* muxer);

}  // namespace avout
