// Linear gain on all channels or one channel.
#pragma once

#include "audio/effect.h"

namespace zaudio {

class VolumeEffect final : public Effect {
 public:
  DWORD type() const override { return FX_BFX_VOLUME; }
  void process(float* samples, size_t frames, int channels, DWORD rate) override;
  void getParameters(void* params) const override;
  bool setParameters(const void* params) override;

 private:
  BFX_VOLUME params_{};
};

}  // namespace zaudio
