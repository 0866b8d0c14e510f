#include "channel_layout.h"

#include <bit>

namespace avout {

AVChannelLayout LayoutFor(int channels, std::uint32_t wavChannelMask) {
  AVChannelLayout layout{};
  // WAV's mask bits are FFmpeg's native channel bits, in the same order.
  if (wavChannelMask != 0 && std::popcount(wavChannelMask) == channels &&
      av_channel_layout_from_mask(&layout, wavChannelMask) == 0)
    return layout;
  av_channel_layout_default(&layout, channels);
  return layout;
}

}  // namespace avout
