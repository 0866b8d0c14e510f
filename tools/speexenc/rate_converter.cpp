#include "rate_converter.h"

#include <speex/speex_resampler.h>

#include <algorithm>
#include <stdexcept>
#include <string>

namespace speexenc {

namespace {

// Quality 5 of 10 is the resampler's own choice for desktop use: a flat
// passband up to the band's edge at little cost even from 192 kHz.
constexpr int kResamplerQuality = SPEEX_RESAMPLER_QUALITY_DESKTOP;

}  // namespace

RateConverter::RateConverter(int channels, int inRate, int outRate)
    : channels_(channels), inRate_(inRate), outRate_(outRate) {
  if (inRate == outRate) return;
  int err = RESAMPLER_ERR_SUCCESS;
  state_ = speex_resampler_init(static_cast<spx_uint32_t>(channels), static_cast<spx_uint32_t>(inRate),
                                static_cast<spx_uint32_t>(outRate), kResamplerQuality, &err);
  if (!state_ || err != RESAMPLER_ERR_SUCCESS)
    throw std::runtime_error("cannot resample " + std::to_string(inRate) + " Hz to " + std::to_string(outRate) +
                             " Hz: " + speex_resampler_strerror(err));
  speex_resampler_skip_zeros(state_);
}

RateConverter::~RateConverter() {
  if (state_) speex_resampler_destroy(state_);
}

void RateConverter::process(const std::int16_t* in, size_t frames, std::vector<std::int16_t>& out) {
  const auto ch = static_cast<size_t>(channels_);
  while (frames > 0) {
    const size_t room = frames * static_cast<size_t>(outRate_) / static_cast<size_t>(inRate_) + 64;
    const size_t start = out.size();
    out.resize(start + room * ch);
    spx_uint32_t inLen = static_cast<spx_uint32_t>(std::min<size_t>(frames, 1u << 20));
    spx_uint32_t outLen = static_cast<spx_uint32_t>(room);
    const int err = speex_resampler_process_interleaved_int(state_, in, &inLen, out.data() + start, &outLen);
    if (err != RESAMPLER_ERR_SUCCESS)
      throw std::runtime_error(std::string("resampling failed: ") + speex_resampler_strerror(err));
    out.resize(start + outLen * ch);
    if (inLen == 0 && outLen == 0) throw std::runtime_error("resampling failed: the resampler stalled");
    in += inLen * ch;
    frames -= inLen;
    outFrames_ += outLen;
  }
}

void RateConverter::push(const std::int16_t* in, size_t frames, std::vector<std::int16_t>& out) {
  inFrames_ += frames;
  if (!state_) {
    out.insert(out.end(), in, in + frames * static_cast<size_t>(channels_));
    outFrames_ += frames;
    return;
  }
  process(in, frames, out);
}

void RateConverter::finish(std::vector<std::int16_t>& out) {
  if (!state_) return;
  const std::uint64_t expected =
      (inFrames_ * static_cast<std::uint64_t>(outRate_) + static_cast<std::uint64_t>(inRate_) / 2) /
      static_cast<std::uint64_t>(inRate_);
  // Silence after the end pushes the filter's tail out.
  const size_t start = out.size();
  const std::vector<std::int16_t> silence(
      static_cast<size_t>(speex_resampler_get_input_latency(state_) + 64) * static_cast<size_t>(channels_), 0);
  for (int round = 0; outFrames_ < expected; ++round) {
    if (round == 16) throw std::runtime_error("resampling failed: the filter's tail does not come out");
    process(silence.data(), silence.size() / static_cast<size_t>(channels_), out);
  }
  // What the silence itself produced beyond the input's length goes.
  const std::uint64_t extra =
      std::min<std::uint64_t>(outFrames_ - expected, (out.size() - start) / static_cast<size_t>(channels_));
  out.resize(out.size() - extra * static_cast<size_t>(channels_));
  outFrames_ -= extra;
}

}  // namespace speexenc
