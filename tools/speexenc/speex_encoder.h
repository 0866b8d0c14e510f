// The Speex codec set up from the command line: band, rate control, quality
// and voice activity detection; one 20 ms frame in, one packet out. Stereo
// is intensity stereo: the channel balance goes in-band before the mono mix.
#pragma once

#include <speex/speex_bits.h>
#include <speex/speex_header.h>

#include <cstdint>
#include <vector>

#include "options.h"

namespace speexenc {

class Preprocessor;

struct EncoderSettings {
  Band band = Band::Narrow;
  RateControl control = RateControl::Constant;
  int kbps = 0;     // Constant and Average
  int quality = 8;  // 0..10
  bool vad = false;
  int channels = 1;  // 1 or 2
};

// The quality used when the command line gives none.
constexpr int kDefaultQuality = 8;

class SpeexEncoder {
 public:
  // Throws std::runtime_error when the codec refuses a setting.
  explicit SpeexEncoder(const EncoderSettings& settings);
  ~SpeexEncoder();
  SpeexEncoder(const SpeexEncoder&) = delete;
  SpeexEncoder& operator=(const SpeexEncoder&) = delete;

  int rate() const { return rate_; }            // the band's own rate
  int frameSize() const { return frameSize_; }  // samples per channel and frame
  int lookahead() const { return lookahead_; }  // the codec's delay in samples
  int channels() const { return settings_.channels; }
  SpeexHeader header() const;

  // One frame of frameSize() interleaved frames (used as scratch space).
  // The preprocessor, if any, runs on what the codec encodes. The packet
  // stays valid until the next call.
  const std::vector<unsigned char>& encode(std::int16_t* frame, Preprocessor* preprocessor);

 private:
  void ctl(int request, void* value, const char* what);

  EncoderSettings settings_;
  const SpeexMode* mode_ = nullptr;
  void* state_ = nullptr;
  SpeexBits bits_{};
  int rate_ = 0, frameSize_ = 0, lookahead_ = 0, bitrate_ = 0;
  std::vector<unsigned char> packet_;
};

}  // namespace speexenc
