// A decode-only mixer: pulls its sources, converts each to the mixer's own
// rate, channels and sample type, and sums them. It delivers only what every
// source still playing has supplied, so no source is padded with silence;
// a source that has ended is drained (its resampler too) and dropped. With
// MIXER_END the mixer ends once no source is left.
#pragma once

#include <memory>
#include <vector>

#include "audio/decode_channel.h"
#include "audio/resampler.h"

namespace zaudio {

class MixerStream final : public DecodeChannel {
 public:
  MixerStream(DWORD handle, CaptureFormat format, bool endWithoutSources);

  // False when the source is no decode channel or cannot be converted.
  bool addSource(std::shared_ptr<Channel> source);
  bool ended() const override;
  DWORD channelType() const override { return CTYPE_STREAM_MIXER; }

 protected:
  size_t produce(void* out, size_t maxFrames) override;

 private:
  struct Source {
    std::shared_ptr<Channel> channel;
    std::unique_ptr<Resampler> resampler;
    std::vector<std::uint8_t> ready;  // converted, in the mixer's format
    bool finished = false;            // ended and drained into `ready`
  };
  void fill(Source& s, size_t frames);
  size_t readyFrames(const Source& s) const;
  void mix(void* out, size_t frames);

  const bool endWithoutSources_;
  mutable std::mutex sourcesMutex_;  // addSource runs on any thread
  std::vector<Source> sources_;
  std::vector<std::uint8_t> pull_;
  std::vector<float> sum_;
};

}  // namespace zaudio
