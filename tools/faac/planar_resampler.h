// Interleaved float samples from the WAV stream to the planar floats the AAC
// encoder takes, at the encoder's rate.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

extern "C" {
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace faac {

class PlanarResampler {
 public:
  PlanarResampler(const AVChannelLayout& layout, int inRate, int outRate);

  // Converts `frames` interleaved frames. Returns how many frames planes()
  // now holds (a resampler keeps a few back until flush()).
  int convert(const float* interleaved, int frames);

  // Converts what the resampler still holds; returns the frames in planes().
  int flush();

  // One plane per channel, valid until the next call.
  const std::uint8_t* const* planes() const { return pointers_.data(); }

 private:
  int run(const std::uint8_t** in, int frames);

  struct SwrFree {
    void operator()(SwrContext* s) const { swr_free(&s); }
  };
  std::unique_ptr<SwrContext, SwrFree> swr_;
  std::vector<std::vector<float>> planes_;
  std::vector<std::uint8_t*> pointers_;
};

}  // namespace faac
