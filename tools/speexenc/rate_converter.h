// Brings interleaved 16-bit frames from the input's rate to the band's rate.
// The filter's delay is taken out: output frame i is input time i / outRate,
// and after finish() the output holds exactly inputFrames × outRate / inRate
// frames (rounded), so the length of the recording is kept to the sample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct SpeexResamplerState_;

namespace speexenc {

class RateConverter {
 public:
  // Throws std::runtime_error when the resampler cannot be set up.
  RateConverter(int channels, int inRate, int outRate);
  ~RateConverter();
  RateConverter(const RateConverter&) = delete;
  RateConverter& operator=(const RateConverter&) = delete;

  // Appends the converted frames of `frames` input frames to `out`.
  void push(const std::int16_t* in, size_t frames, std::vector<std::int16_t>& out);
  // Appends what the filter still holds once the input has ended.
  void finish(std::vector<std::int16_t>& out);

 private:
  void process(const std::int16_t* in, size_t frames, std::vector<std::int16_t>& out);

  int channels_;
  int inRate_, outRate_;
  SpeexResamplerState_* state_ = nullptr;  // none when the rates are equal
  std::uint64_t inFrames_ = 0, outFrames_ = 0;
};

}  // namespace speexenc
