#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
}

#include "audio/wma_rates.h"
#include "audio/zaudio.h"

namespace {

using zaudio::DWORD;

// Encodes a quarter second of a 1 kHz tone with the standard WMA encoder at the
// given bitrate, decodes the packets again and returns the decoded signal's
// RMS (0 when anything failed).
double EncodeDecodeToneRms(DWORD freq, DWORD chans, DWORD bitrate) {
  const AVCodec* encoder = avcodec_find_encoder_by_name("wmav2");
  const AVCodec* decoder = avcodec_find_decoder_by_name("wmav2");
  if (!encoder || !decoder) return 0;

  AVCodecContext* enc = avcodec_alloc_context3(encoder);
  enc->sample_rate = static_cast<int>(freq);
  av_channel_layout_default(&enc->ch_layout, static_cast<int>(chans));
  enc->sample_fmt = AV_SAMPLE_FMT_FLTP;
  enc->bit_rate = bitrate;
  AVCodecContext* dec = avcodec_alloc_context3(decoder);
  double sumSquares = 0;
  long samples = 0;
  if (avcodec_open2(enc, encoder, nullptr) >= 0) {
    dec->sample_rate = enc->sample_rate;
    av_channel_layout_copy(&dec->ch_layout, &enc->ch_layout);
    dec->bit_rate = enc->bit_rate;
    dec->block_align = enc->block_align;
    dec->extradata = static_cast<uint8_t*>(av_mallocz(enc->extradata_size + AV_INPUT_BUFFER_PADDING_SIZE));
    std::copy_n(enc->extradata, enc->extradata_size, dec->extradata);
    dec->extradata_size = enc->extradata_size;
    if (avcodec_open2(dec, decoder, nullptr) >= 0) {
      AVFrame* in = av_frame_alloc();
      AVFrame* out = av_frame_alloc();
      AVPacket* packet = av_packet_alloc();
      in->nb_samples = enc->frame_size;
      in->format = enc->sample_fmt;
      in->sample_rate = enc->sample_rate;
      av_channel_layout_copy(&in->ch_layout, &enc->ch_layout);
      av_frame_get_buffer(in, 0);
      const long total = freq / 4;
      auto drain = [&] {
        while (avcodec_receive_packet(enc, packet) == 0) {
          if (avcodec_send_packet(dec, packet) == 0) {
            while (avcodec_receive_frame(dec, out) == 0) {
              for (int c = 0; c < out->ch_layout.nb_channels; ++c) {
                const float* data = reinterpret_cast<const float*>(out->extended_data[c]);
                for (int i = 0; i < out->nb_samples; ++i) sumSquares += data[i] * data[i];
              }
              samples += static_cast<long>(out->nb_samples) * out->ch_layout.nb_channels;
            }
          }
          av_packet_unref(packet);
        }
      };
      for (long pos = 0; pos < total; pos += in->nb_samples) {
        av_frame_make_writable(in);
        for (DWORD c = 0; c < chans; ++c) {
          float* data = reinterpret_cast<float*>(in->extended_data[c]);
          for (int i = 0; i < in->nb_samples; ++i)
            data[i] = 0.5f * std::sin(2 * M_PI * 1000.0 * static_cast<double>(pos + i) / freq);
        }
        in->pts = pos;
        if (avcodec_send_frame(enc, in) < 0) break;
        drain();
      }
      avcodec_send_frame(enc, nullptr);
      drain();
      av_packet_free(&packet);
      av_frame_free(&out);
      av_frame_free(&in);
    }
  }
  avcodec_free_context(&dec);
  avcodec_free_context(&enc);
  return samples ? std::sqrt(sumSquares / samples) : 0;
}

TEST(WmaEncodeGetRates, StereoStandardAt44100OffersAscendingBitratesTheEncoderProduces) {
  const std::vector<DWORD> rates = zaudio::WMA_EncodeGetRates(44100, 2, zaudio::WMA_ENCODE_STANDARD);
  EXPECT_EQ(zaudio::ErrorGetCode(), zaudio::OK);
  ASSERT_FALSE(rates.empty());
  EXPECT_TRUE(std::is_sorted(rates.begin(), rates.end()));
  EXPECT_EQ(std::adjacent_find(rates.begin(), rates.end()), rates.end());
  EXPECT_NE(std::find(rates.begin(), rates.end(), 128000u), rates.end());
  EXPECT_EQ(rates.back(), 320000u);

  // The lowest and a middle bitrate really encode: a 0.5-amplitude tone comes
  // back from the decoder at about its RMS of 0.35.
  for (DWORD bitrate : {rates.front(), DWORD{128000}}) {
    const double rms = EncodeDecodeToneRms(44100, 2, bitrate);
    EXPECT_GT(rms, 0.25) << bitrate;
    EXPECT_LT(rms, 0.45) << bitrate;
  }
}

// Whether the standard encoder opens with this format and bitrate.
bool EncoderOpens(DWORD freq, DWORD chans, DWORD bitrate) {
  const AVCodec* codec = avcodec_find_encoder_by_name("wmav2");
  AVCodecContext* ctx = codec ? avcodec_alloc_context3(codec) : nullptr;
  if (!ctx) return false;
  ctx->log_level_offset = AV_LOG_DEBUG;
  ctx->sample_rate = static_cast<int>(freq);
  av_channel_layout_default(&ctx->ch_layout, static_cast<int>(chans));
  ctx->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
  ctx->bit_rate = bitrate;
  const bool opened = avcodec_open2(ctx, codec, nullptr) >= 0;
  avcodec_free_context(&ctx);
  return opened;
}

// The lists are known without asking the codec; they are exactly what the
// codec opens with, at every rate the program offers.
TEST(WmaEncodeGetRates, ListsExactlyWhatTheCodecOpensWith) {
  const std::vector<DWORD> usual = {24000, 32000, 40000, 48000, 64000, 80000,
                                    96000, 128000, 160000, 192000, 256000, 320000};
  for (DWORD freq : {8000u, 11025u, 16000u, 22050u, 32000u, 44100u, 48000u, 88200u, 96000u}) {
    for (DWORD chans : {1u, 2u}) {
      std::vector<DWORD> opens;
      for (DWORD bitrate : usual)
        if (EncoderOpens(freq, chans, bitrate)) opens.push_back(bitrate);
      EXPECT_EQ(zaudio::WMA_EncodeGetRates(freq, chans, zaudio::WMA_ENCODE_STANDARD), opens) << freq << "/" << chans;
    }
  }
}

TEST(WmaEncodeGetRates, EveryOfferedBitrateOpensForMonoAndStereoUpTo48000) {
  for (DWORD freq : {8000u, 11025u, 22050u, 48000u}) {
    for (DWORD chans : {1u, 2u}) {
      const std::vector<DWORD> rates = zaudio::WMA_EncodeGetRates(freq, chans, zaudio::WMA_ENCODE_STANDARD);
      ASSERT_FALSE(rates.empty()) << freq << "/" << chans;
      EXPECT_GT(EncodeDecodeToneRms(freq, chans, rates.front()), 0.1) << freq << "/" << chans;
    }
  }
}

TEST(WmaEncodeGetRates, RefusesWhatTheWriterCannotProduce) {
  const struct {
    DWORD freq, chans, flags;
    int error;
  } cases[] = {
      {88200, 2, zaudio::WMA_ENCODE_STANDARD, zaudio::ERROR_FORMAT},
      {96000, 1, zaudio::WMA_ENCODE_STANDARD, zaudio::ERROR_FORMAT},
      {44100, 3, zaudio::WMA_ENCODE_STANDARD, zaudio::ERROR_FORMAT},
      {44100, 0, zaudio::WMA_ENCODE_STANDARD, zaudio::ERROR_FORMAT},
      {0, 2, zaudio::WMA_ENCODE_STANDARD, zaudio::ERROR_FORMAT},
      {44100, 2, zaudio::WMA_ENCODE_PRO, zaudio::ERROR_NOTAVAIL},
      {88200, 2, zaudio::WMA_ENCODE_24BIT, zaudio::ERROR_NOTAVAIL},
      {44100, 2, zaudio::WMA_ENCODE_STANDARD | zaudio::WMA_ENCODE_RATES_VBR, zaudio::ERROR_NOTAVAIL},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(zaudio::WMA_EncodeGetRates(c.freq, c.chans, c.flags).empty()) << c.freq << "/" << c.chans;
    EXPECT_EQ(zaudio::ErrorGetCode(), c.error) << c.freq << "/" << c.chans << "/" << c.flags;
  }
}

TEST(WmaEncodeGetRates, ASuccessClearsTheLastErrorAndCachedAnswersStayTheSame) {
  const std::vector<DWORD> first = zaudio::WMA_EncodeGetRates(32000, 1, zaudio::WMA_ENCODE_STANDARD);
  ASSERT_TRUE(zaudio::WMA_EncodeGetRates(96000, 1, zaudio::WMA_ENCODE_STANDARD).empty());
  ASSERT_EQ(zaudio::ErrorGetCode(), zaudio::ERROR_FORMAT);
  // Without a codec flag the standard codec is meant.
  EXPECT_EQ(zaudio::WMA_EncodeGetRates(32000, 1, 0), first);
  EXPECT_EQ(zaudio::ErrorGetCode(), zaudio::OK);
}

TEST(WmaEncodeGetRates, TheErrorBelongsToTheCallingThread) {
  ASSERT_FALSE(zaudio::WMA_EncodeGetRates(44100, 2, zaudio::WMA_ENCODE_STANDARD).empty());
  std::thread([] {
    EXPECT_TRUE(zaudio::WMA_EncodeGetRates(44100, 2, zaudio::WMA_ENCODE_PRO).empty());
    EXPECT_EQ(zaudio::ErrorGetCode(), zaudio::ERROR_NOTAVAIL);
  }).join();
  EXPECT_EQ(zaudio::ErrorGetCode(), zaudio::OK);
}

}  // namespace
