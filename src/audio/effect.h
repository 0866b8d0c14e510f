// Effects placed on a channel. They work on float samples in place; a channel
// runs its effects from the highest priority down.
#pragma once

#include <cstddef>
#include <memory>

#include "audio/zaudio.h"

namespace zaudio {

class Effect {
 public:
  virtual ~Effect() = default;
  virtual DWORD type() const = 0;
  virtual void process(float* samples, size_t frames, int channels, DWORD rate) = 0;
  virtual void getParameters(void* params) const = 0;
  virtual bool setParameters(const void* params) = 0;
};

// Creates an effect of the given type, or nullptr when the type is unknown.
std::unique_ptr<Effect> CreateEffect(DWORD type);

}  // namespace zaudio
