// The FFmpeg channel layout for a WAV stream's channels.
#pragma once

#include <cstdint>

extern "C" {
#include <libavutil/channel_layout.h>
}

namespace avout {

// The layout the WAV channel mask names when it names `channels` channels,
// else FFmpeg's usual layout for that many (mono, stereo, ...). Always in
// native order, so it owns nothing and needs no uninit.
AVChannelLayout LayoutFor(int channels, std::uint32_t wavChannelMask);

}  // namespace avout
