// The effects and DSP functions of one channel, run over each block in a
// fixed order: the highest priority first; among equal priorities the volume
// effect, then the compressor, then the gain control, then the rest in the
// order they were set. Re-setting an effect therefore keeps its place.
// Not thread-safe: the channel runs and edits it under its processing lock.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "audio/backend.h"
#include "audio/effect.h"

namespace zaudio {

class ProcessingChain {
 public:
  void addEffect(HFX fx, int priority, std::unique_ptr<Effect> effect);
  void addDsp(HDSP dsp, int priority, DSPPROC proc, void* user);
  bool remove(DWORD handle);
  Effect* effect(HFX fx);  // nullptr when the handle is no effect here

  // Runs every slot over one block of whole frames, in place. Effects work on
  // floats, DSP functions on the channel's own sample type.
  void run(DWORD channel, const CaptureFormat& format, void* data, size_t frames);

 private:
  struct Slot {
    DWORD handle;
    int priority;
    int rank;
    std::uint64_t order;
    std::unique_ptr<Effect> effect;  // or:
    DSPPROC dsp;
    void* user = nullptr;
  };
  void insert(Slot slot);

  std::vector<Slot> slots_;
  std::uint64_t nextOrder_ = 0;
  std::vector<float> scratch_;
};

}  // namespace zaudio
