#include "audio/volume_effect.h"

#include <cmath>

namespace zaudio {

void VolumeEffect::process(float* samples, size_t frames, int channels, DWORD) {
  const float gain = params_.fVolume;
  if (params_.lChannel == BFX_CHANALL || params_.lChannel == 0) {
    const size_t n = frames * static_cast<size_t>(channels);
    for (size_t i = 0; i < n; ++i) samples[i] *= gain;
    return;
  }
  const int ch = params_.lChannel - 1;
  if (ch < 0 || ch >= channels) return;
  for (size_t i = 0; i < frames; ++i) samples[i * channels + ch] *= gain;
}

void VolumeEffect::getParameters(void* params) const { *static_cast<BFX_VOLUME*>(params) = params_; }

bool VolumeEffect::setParameters(const void* params) {
  const auto& p = *static_cast<const BFX_VOLUME*>(params);
  if (!std::isfinite(p.fVolume) || p.fVolume < 0 || p.lChannel < BFX_CHANALL) return false;
  params_ = p;
  return true;
}

}  // namespace zaudio
