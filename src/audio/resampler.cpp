#include "audio/resampler.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <vector>

#include "audio/channel_layout.h"

namespace zaudio {

namespace {

AVSampleFormat AvFormatOf(SampleType t) {
  switch (t) {
    case SampleType::U8: return AV_SAMPLE_FMT_U8;
    case SampleType::S16: return AV_SAMPLE_FMT_S16;
    case SampleType::F32: return AV_SAMPLE_FMT_FLT;
  }
  return AV_SAMPLE_FMT_NONE;
}

// The library's speaker order is the native (bit) order of the masks.
bool LayoutOf(DWORD channels, AVChannelLayout& layout) {
  const std::uint64_t mask = SpeakerMaskFor(channels);
  return mask != 0 && av_channel_layout_from_mask(&layout, mask) == 0 &&
         layout.nb_channels == static_cast<int>(channels);
}

}  // namespace

Resampler::Resampler(const CaptureFormat& in, const CaptureFormat& out) : in_(in), out_(out) {
  if (in.rate == out.rate && in.channels == out.channels && in.type == out.type) {
    passThrough_ = true;
    return;
  }
  AVChannelLayout inLayout{}, outLayout{};
  if (!LayoutOf(in.channels, inLayout) || !LayoutOf(out.channels, outLayout)) return;
  SwrContext* swr = nullptr;
  if (swr_alloc_set_opts2(&swr, &outLayout, AvFormatOf(out.type), static_cast<int>(out.rate), &inLayout,
                          AvFormatOf(in.type), static_cast<int>(in.rate), 0, nullptr) < 0)
    return;
  if (in.channels == 1 && out.channels > 1) {
    // Mono is the same signal on every side, at full level.
    std::vector<double> matrix(out.channels, 1.0);
    swr_set_matrix(swr, matrix.data(), 1);
  }
  if (swr_init(swr) < 0) {
    swr_free(&swr);
    return;
  }
  swr_ = swr;
}

Resampler::~Resampler() { swr_free(&swr_); }

void Resampler::convert(const void* in, size_t frames, std::vector<std::uint8_t>& out) {
  if (frames == 0) return;
  const auto* bytes = static_cast<const std::uint8_t*>(in);
  if (passThrough_) {
    out.insert(out.end(), bytes, bytes + frames * static_cast<size_t>(in_.frameBytes()));
    return;
  }
  // Large inputs go in pieces that keep the frame count in an int.
  constexpr size_t kPiece = 1 << 20;
  while (frames > 0) {
    const size_t n = std::min(frames, kPiece);
    run(bytes, static_cast<int>(n), out);
    bytes += n * static_cast<size_t>(in_.frameBytes());
    frames -= n;
  }
}

void Resampler::flush(std::vector<std::uint8_t>& out) {
  if (swr_) run(nullptr, 0, out);
}

void Resampler::run(const std::uint8_t* in, int frames, std::vector<std::uint8_t>& out) {
  if (!swr_) return;
  for (;;) {
    const int room = swr_get_out_samples(swr_, frames);
    if (room <= 0) return;
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(room) * static_cast<size_t>(out_.frameBytes()));
    std::uint8_t* outPlane = out.data() + at;
    const std::uint8_t* inPlane = in;
    const int got = swr_convert(swr_, &outPlane, room, in ? &inPlane : nullptr, frames);
    out.resize(at + static_cast<size_t>(std::max(got, 0)) * static_cast<size_t>(out_.frameBytes()));
    // Converting input is one call; draining at the end repeats until empty.
    if (in || got <= 0) return;
  }
}

}  // namespace zaudio
