#include "aac_setup.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "aac_quality.h"
#include "aac_rate.h"
#include "audio_encoder.h"
#include "av_error.h"

extern "C" {
#include <libavutil/opt.h>
}

namespace faac {

namespace {

constexpr const char* kEncoder = "aac";

// An AAC frame holds at most 6144 bits per channel for 1024 samples.
std::int64_t MaxBitrate(int channels, int rate) { return std::int64_t{6} * channels * rate; }

// In quality mode the encoder still reads the bitrate (by default 128 kbps);
// where the rate allows less it would clamp it with a warning, so it gets
// the clamped value to begin with.
constexpr std::int64_t kQualityModeBitrate = 128000;

}  // namespace

avout::CodecContextPtr OpenAacEncoder(const Options& options, const Container& container,
                                      const AVChannelLayout& layout, int inputRate) {
  const AVCodec* aac = avcodec_find_encoder_by_name(kEncoder);
  if (!aac) throw std::runtime_error("this FFmpeg has no AAC encoder");
  avout::CodecContextPtr codec =
      avout::NewAudioEncoder(kEncoder, AV_SAMPLE_FMT_FLTP, AacRateFor(*aac, inputRate), layout);
  if (options.control == RateControl::Bitrate) {
    codec->bit_rate = static_cast<std::int64_t>(options.kbps) * 1000;
  } else {
    codec->flags |= AV_CODEC_FLAG_QSCALE;
    codec->bit_rate = std::min(kQualityModeBitrate, MaxBitrate(layout.nb_channels, codec->sample_rate));
    codec->global_quality = static_cast<int>(std::lround(EncoderQuality(options.quality) * FF_QP2LAMBDA));
  }
  if (options.cutoffHz > 0)
    codec->cutoff = options.cutoffHz;
  else if (options.control == RateControl::Quality)
    codec->cutoff = std::min(QualityCutoffHz(options.quality), codec->sample_rate / 2);
  // MPEG-2 AAC lacks perceptual noise substitution: without it the stream is
  // what its headers claim.
  if (container.adts && options.mpegVersion == 2) {
    codec->profile = FF_PROFILE_MPEG2_AAC_LOW;
    avout::Check(av_opt_set_int(codec->priv_data, "aac_pns", 0, 0), "turning off noise substitution");
  }
  avout::OpenEncoder(codec.get(), container.muxer);
  return codec;
}

std::map<std::string, std::string> MuxerOptions(const Options& options, const Container& container) {
  if (!container.adts) return {};
  return {{"write_mpeg2", options.mpegVersion == 2 ? "1" : "0"}};
}

}  // namespace faac
