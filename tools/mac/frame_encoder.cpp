#include "frame_encoder.h"

#include <memory>
#include <stdexcept>

extern "C" {
#include <libavutil/crc.h>
}

#include "nn_filter.h"
#include "predictor.h"
#include "range_encoder.h"
#include "value_coder.h"

namespace ape {

namespace {

// The CRC of the samples as a WAV file holds them (little-endian, 2 or 3
// bytes each), frames interleaved.
std::uint32_t SampleCrc(const std::int32_t* samples, std::size_t count, int bytesPerSample) {
  const AVCRC* table = av_crc_get_table(AV_CRC_32_IEEE_LE);
  std::uint32_t crc = UINT32_MAX;
  std::uint8_t chunk[3 * 1024];
  std::size_t filled = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const auto v = static_cast<std::uint32_t>(samples[i]);
    for (int b = 0; b < bytesPerSample; ++b) chunk[filled++] = static_cast<std::uint8_t>(v >> (8 * b));
    if (filled + 3 > sizeof chunk) {
      crc = av_crc(table, crc, chunk, filled);
      filled = 0;
    }
  }
  crc = av_crc(table, crc, chunk, filled);
  return ~crc;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(v >> shift));
}

// The filter stages of a level, for one channel, in the order a sample
// passes them when compressing (the reverse of decoding).
class FilterChain {
 public:
  explicit FilterChain(const LevelSettings& s) {
    for (const FilterStage& stage : s.filters)
      if (stage.order) stages_.insert(stages_.begin(), std::make_unique<NNFilter>(stage.order, stage.fracBits));
  }
  std::int32_t compress(std::int32_t v) {
    for (auto& stage : stages_) v = stage->compress(v);
    return v;
  }

 private:
  std::vector<std::unique_ptr<NNFilter>> stages_;
};

}  // namespace

FrameEncoder::FrameEncoder(const AudioFormat& format, int level) : format_(format), settings_(SettingsFor(level)) {
  if (!settings_) throw std::invalid_argument("unknown compression level " + std::to_string(level));
}

std::vector<std::uint8_t> FrameEncoder::encode(const std::int32_t* samples, std::uint32_t blocks) {
  const int channels = format_.channels;
  const std::size_t count = static_cast<std::size_t>(blocks) * channels;

  bool silent = true, sameChannels = channels == 2;
  for (std::size_t i = 0; i < count && (silent || sameChannels); i += channels) {
    if (samples[i] != 0 || (channels == 2 && samples[i + 1] != 0)) silent = false;
    if (channels == 2 && samples[i] != samples[i + 1]) sameChannels = false;
  }
  const std::uint32_t flags = silent ? kFrameSilence : sameChannels ? kFramePseudoStereo : 0;

  std::vector<std::uint8_t> bytes;
  bytes.reserve(count * 2 + 64);
  const std::uint32_t crc = SampleCrc(samples, count, format_.bitsPerSample / 8) >> 1;
  PutBigEndian(bytes, flags ? (crc | 0x80000000u) : crc);
  if (flags) PutBigEndian(bytes, flags);

  RangeEncoder coder(bytes);
  const bool wide = settings_->level >= 5000;
  bool coded = true;
  if (!silent) {
    Predictor predictor(wide);
    ValueCoder first(coder), second(coder);
    FilterChain firstFilters(*settings_), secondFilters(*settings_);
    if (channels == 1 || sameChannels) {
      for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::int32_t v = predictor.compressMono(samples[static_cast<std::size_t>(i) * channels]);
        coded &= first.encode(firstFilters.compress(v));
      }
    } else {
      for (std::uint32_t i = 0; i < blocks; ++i) {
        const std::int32_t left = samples[2 * i], right = samples[2 * i + 1];
        // Side first, then the mid value that rebuilds left with it.
        const std::int32_t side = right - left;
        const std::int32_t mid = left + side / 2;
        std::int32_t a, b;
        predictor.compressStereo(side, mid, a, b);
        coded &= first.encode(firstFilters.compress(a));
        coded &= second.encode(secondFilters.compress(b));
      }
    }
  }
  coder.finish();
  if (!coded) throw std::runtime_error("a residual fell outside what the format can code");

  // Whole words, each stored little-endian.
  while (bytes.size() % 4) bytes.push_back(0);
  for (std::size_t i = 0; i < bytes.size(); i += 4) {
    std::swap(bytes[i], bytes[i + 3]);
    std::swap(bytes[i + 1], bytes[i + 2]);
  }
  return bytes;
}

}  // namespace ape
