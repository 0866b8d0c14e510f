#include "audio/channel.h"

#include <algorithm>

#include "audio/sample_convert.h"

namespace zaudio {

void Channel::addEffect(HFX fx, int priority, std::unique_ptr<Effect> effect) {
  std::lock_guard lock(fxMutex_);
  auto pos = std::find_if(effects_.begin(), effects_.end(),
                          [&](const Slot& s) { return s.priority < priority; });
  effects_.insert(pos, Slot{fx, priority, std::move(effect)});
}

bool Channel::removeEffect(HFX fx) {
  std::lock_guard lock(fxMutex_);
  auto it = std::find_if(effects_.begin(), effects_.end(), [&](const Slot& s) { return s.fx == fx; });
  if (it == effects_.end()) return false;
  effects_.erase(it);
  return true;
}

bool Channel::getEffectParameters(HFX fx, void* params) {
  std::lock_guard lock(fxMutex_);
  for (auto& s : effects_)
    if (s.fx == fx) {
      s.effect->getParameters(params);
      return true;
    }
  return false;
}

bool Channel::setEffectParameters(HFX fx, const void* params) {
  std::lock_guard lock(fxMutex_);
  for (auto& s : effects_)
    if (s.fx == fx) return s.effect->setParameters(params);
  return false;
}

void Channel::processBlock(void* data, size_t frames) {
  const int channels = static_cast<int>(format_.channels);
  {
    std::lock_guard lock(fxMutex_);
    if (!effects_.empty()) {
      const size_t samples = frames * static_cast<size_t>(channels);
      scratch_.resize(samples);
      ToFloat(format_.type, data, scratch_.data(), samples);
      for (auto& s : effects_) s.effect->process(scratch_.data(), frames, channels, format_.rate);
      FromFloat(format_.type, scratch_.data(), data, samples);
    }
  }
  meter_.feed(format_.type, data, frames, channels);
}

}  // namespace zaudio
