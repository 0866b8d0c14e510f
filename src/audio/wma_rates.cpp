#include "audio/wma_rates.h"

#include <array>
#include <map>
#include <mutex>
#include <utility>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "audio/error_state.h"

namespace zaudio {
namespace {

// The standard codec is FFmpeg's WMA version 2 encoder. It has no
// quality-based mode (it only takes a bitrate), and nothing here encodes the
// Pro formats.
constexpr const char* kStandardEncoder = "wmav2";

// The usual WMA bitrates; each is offered where the encoder accepts it.
constexpr std::array<DWORD, 12> kCandidateBitrates = {
    24000, 32000, 40000, 48000, 64000, 80000, 96000, 128000, 160000, 192000, 256000, 320000};

struct ProbeResult {
  std::vector<DWORD> bitrates;
  int error = OK;
};

AVSampleFormat EncoderSampleFormat(const AVCodec* codec) {
  return codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
}

// True when the encoder opens with this format and bitrate. Refusals are
// expected while probing, so the encoder's own complaints are logged at debug
// level only.
bool EncoderOpens(const AVCodec* codec, DWORD freq, DWORD chans, DWORD bitrate) {
  AVCodecContext* ctx = avcodec_alloc_context3(codec);
  if (!ctx) return false;
  ctx->log_level_offset = AV_LOG_DEBUG;
  ctx->sample_rate = static_cast<int>(freq);
  av_channel_layout_default(&ctx->ch_layout, static_cast<int>(chans));
  ctx->sample_fmt = EncoderSampleFormat(codec);
  ctx->bit_rate = bitrate;
  const bool opened = avcodec_open2(ctx, codec, nullptr) >= 0;
  avcodec_free_context(&ctx);
  return opened;
}

ProbeResult ProbeStandardBitrates(DWORD freq, DWORD chans) {
  ProbeResult result;
  const AVCodec* codec = avcodec_find_encoder_by_name(kStandardEncoder);
  if (!codec) {
    result.error = ERROR_NOTAVAIL;
    return result;
  }
  for (DWORD bitrate : kCandidateBitrates) {
    if (EncoderOpens(codec, freq, chans, bitrate)) result.bitrates.push_back(bitrate);
  }
  if (result.bitrates.empty()) result.error = ERROR_FORMAT;
  return result;
}

// Probing opens the encoder a dozen times, so each (rate, channels) answer is
// kept for the life of the process.
ProbeResult CachedStandardBitrates(DWORD freq, DWORD chans) {
  static std::mutex mutex;
  static std::map<std::pair<DWORD, DWORD>, ProbeResult> cache;
  std::lock_guard lock(mutex);
  const auto key = std::make_pair(freq, chans);
  auto it = cache.find(key);
  if (it == cache.end()) it = cache.emplace(key, ProbeStandardBitrates(freq, chans)).first;
  return it->second;
}

}  // namespace

std::vector<DWORD> WMA_EncodeGetRates(DWORD freq, DWORD chans, DWORD flags) {
  if (flags & (WMA_ENCODE_PRO | WMA_ENCODE_24BIT)) return detail::Fail(ERROR_NOTAVAIL, std::vector<DWORD>{});
  if (flags & WMA_ENCODE_RATES_VBR) return detail::Fail(ERROR_NOTAVAIL, std::vector<DWORD>{});
  // The standard codec carries mono and stereo only; other counts are refused
  // without probing (and without filling the cache).
  if (freq == 0 || chans < 1 || chans > 2) return detail::Fail(ERROR_FORMAT, std::vector<DWORD>{});

  ProbeResult result = CachedStandardBitrates(freq, chans);
  detail::SetError(result.error);
  return std::move(result.bitrates);
}

}  // namespace zaudio
