#include "audio_encoder.h"

#include <stdexcept>
#include <string>

#include "av_error.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace avout {

CodecContextPtr NewAudioEncoder(const char* name, AVSampleFormat format, int rate, const AVChannelLayout& layout) {
  const AVCodec* encoder = avcodec_find_encoder_by_name(name);
  if (!encoder) throw std::runtime_error(std::string("this FFmpeg has no ") + name + " encoder");
  CodecContextPtr codec(avcodec_alloc_context3(encoder));
  if (!codec) throw std::bad_alloc();
  codec->sample_fmt = format;
  codec->sample_rate = rate;
  codec->time_base = AVRational{1, rate};
  Check(av_channel_layout_copy(&codec->ch_layout, &layout), "setting the channel layout");
  return codec;
}

void OpenEncoder(AVCodecContext* codec, const char* muxer) {
  const AVOutputFormat* format = av_guess_format(muxer, nullptr, nullptr);
  if (!format) throw std::runtime_error(std::string("this FFmpeg cannot write ") + muxer + " files");
  if (format->flags & AVFMT_GLOBALHEADER) codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  const int ret = avcodec_open2(codec, codec->codec, nullptr);
  if (ret < 0) {
    const char* sampleFormat = av_get_sample_fmt_name(codec->sample_fmt);
    throw std::runtime_error(std::string("the ") + codec->codec->name + " encoder refuses " +
                             std::to_string(codec->ch_layout.nb_channels) + " channel(s) of " +
                             (sampleFormat ? sampleFormat : "?") + " at " + std::to_string(codec->sample_rate) +
                             " Hz with these settings: " + ErrorText(ret));
  }
}

}  // namespace avout
