#include "audio/effect.h"

#include "audio/compressor_effect.h"
#include "audio/damp_effect.h"
#include "audio/volume_effect.h"

namespace zaudio {

std::unique_ptr<Effect> CreateEffect(DWORD type) {
  switch (type) {
    case FX_BFX_VOLUME:
      return std::make_unique<VolumeEffect>();
    case FX_DX8_COMPRESSOR:
      return std::make_unique<CompressorEffect>();
    case FX_BFX_DAMP:
      return std::make_unique<DampEffect>();
    default:
      return nullptr;
  }
}

}  // namespace zaudio
