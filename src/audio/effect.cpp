#include "audio/effect.h"

#include "audio/volume_effect.h"

namespace zaudio {

std::unique_ptr<Effect> CreateEffect(DWORD type) {
  switch (type) {
    case FX_BFX_VOLUME:
      return std::make_unique<VolumeEffect>();
    default:
      return nullptr;
  }
}

}  // namespace zaudio
