// A channel: anything that produces audio under a handle (today a recording;
// push streams, mixers and decoders join later). It owns its effect chain and
// its level meter; subclasses say how it starts, pauses and stops.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "audio/backend.h"
#include "audio/effect.h"
#include "audio/level_meter.h"

namespace zaudio {

class Channel {
 public:
  Channel(DWORD handle, CaptureFormat format) : handle_(handle), format_(format) {
    meter_.reset(format.rate);
  }
  virtual ~Channel() = default;

  DWORD handle() const { return handle_; }
  const CaptureFormat& format() const { return format_; }
  DWORD activity() const { return activity_.load(); }

  virtual bool play() = 0;
  virtual bool pause() = 0;
  virtual void stop() = 0;

  DWORD level() const { return meter_.level(); }

  // Effects; the handle comes from the library's handle table.
  void addEffect(HFX fx, int priority, std::unique_ptr<Effect> effect);
  bool removeEffect(HFX fx);
  bool getEffectParameters(HFX fx, void* params);
  bool setEffectParameters(HFX fx, const void* params);

 protected:
  // Runs the effects over one block in place (the block's own sample type)
  // and measures the level. Audio thread only.
  void processBlock(void* data, size_t frames);

  std::atomic<DWORD> activity_{ACTIVE_STOPPED};

 private:
  struct Slot {
    HFX fx;
    int priority;
    std::unique_ptr<Effect> effect;
  };

  const DWORD handle_;
  const CaptureFormat format_;
  LevelMeter meter_;
  std::mutex fxMutex_;
  std::vector<Slot> effects_;  // highest priority first; equal priorities in order of setting
  std::vector<float> scratch_;
};

}  // namespace zaudio
