#include "planar_resampler.h"

#include <stdexcept>

#include "av_error.h"

namespace faac {

PlanarResampler::PlanarResampler(const AVChannelLayout& layout, int inRate, int outRate)
    : planes_(static_cast<size_t>(layout.nb_channels)), pointers_(planes_.size()) {
  // This FFmpeg wants a layout it may write to, although it only copies it.
  AVChannelLayout own{};
  avout::Check(av_channel_layout_copy(&own, &layout), "setting up the sample conversion");
  SwrContext* swr = nullptr;
  const int ret =
      swr_alloc_set_opts2(&swr, &own, AV_SAMPLE_FMT_FLTP, outRate, &own, AV_SAMPLE_FMT_FLT, inRate, 0, nullptr);
  av_channel_layout_uninit(&own);
  avout::Check(ret, "setting up the sample conversion");
  swr_.reset(swr);
  avout::Check(swr_init(swr_.get()), "setting up the sample conversion");
}

int PlanarResampler::convert(const float* interleaved, int frames) {
  const std::uint8_t* in[] = {reinterpret_cast<const std::uint8_t*>(interleaved)};
  return run(in, frames);
}

int PlanarResampler::flush() { return run(nullptr, 0); }

int PlanarResampler::run(const std::uint8_t** in, int frames) {
  const int room = avout::Check(swr_get_out_samples(swr_.get(), frames), "converting samples");
  for (size_t c = 0; c < planes_.size(); ++c) {
    planes_[c].resize(static_cast<size_t>(room) + 1);
    pointers_[c] = reinterpret_cast<std::uint8_t*>(planes_[c].data());
  }
  return avout::Check(swr_convert(swr_.get(), pointers_.data(), room, in, frames), "converting samples");
}

}  // namespace faac
