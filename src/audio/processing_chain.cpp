#include "audio/processing_chain.h"

#include <algorithm>
#include <tuple>

#include "audio/sample_convert.h"

namespace zaudio {

namespace {
// Place among slots of equal priority.
int RankOf(DWORD effectType) {
  switch (effectType) {
    case FX_BFX_VOLUME:
      return 0;
    case FX_DX8_COMPRESSOR:
      return 1;
    case FX_BFX_DAMP:
      return 2;
    default:
      return 3;
  }
}
constexpr int kDspRank = 3;
}  // namespace

void ProcessingChain::insert(Slot slot) {
  slot.order = nextOrder_++;
  auto before = [](const Slot& a, const Slot& b) {
    return std::make_tuple(-a.priority, a.rank, a.order) < std::make_tuple(-b.priority, b.rank, b.order);
  };
  slots_.insert(std::upper_bound(slots_.begin(), slots_.end(), slot, before), std::move(slot));
}

void ProcessingChain::addEffect(HFX fx, int priority, std::unique_ptr<Effect> effect) {
  const int rank = RankOf(effect->type());
  insert(Slot{fx, priority, rank, 0, std::move(effect), nullptr, nullptr});
}

void ProcessingChain::addDsp(HDSP dsp, int priority, DSPPROC proc, void* user) {
  insert(Slot{dsp, priority, kDspRank, 0, nullptr, std::move(proc), user});
}

bool ProcessingChain::remove(DWORD handle) {
  return std::erase_if(slots_, [&](const Slot& s) { return s.handle == handle; }) > 0;
}

Effect* ProcessingChain::effect(HFX fx) {
  for (auto& s : slots_)
    if (s.handle == fx && s.effect) return s.effect.get();
  return nullptr;
}

void ProcessingChain::run(DWORD channel, const CaptureFormat& format, void* data, size_t frames) {
  if (slots_.empty() || frames == 0) return;
  const int channels = static_cast<int>(format.channels);
  const size_t samples = frames * static_cast<size_t>(channels);
  const DWORD bytes = static_cast<DWORD>(frames * static_cast<size_t>(format.frameBytes()));
  // Float blocks are worked on in place; others go through a float copy while
  // effects run and come back before a DSP function or the end.
  const bool native = format.type == SampleType::F32;
  bool inScratch = false;
  for (auto& s : slots_) {
    if (s.effect) {
      float* samplesOut = static_cast<float*>(data);
      if (!native) {
        if (!inScratch) {
          scratch_.resize(samples);
          ToFloat(format.type, data, scratch_.data(), samples);
          inScratch = true;
        }
        samplesOut = scratch_.data();
      }
      s.effect->process(samplesOut, frames, channels, format.rate);
    } else {
      if (inScratch) {
        FromFloat(format.type, scratch_.data(), data, samples);
        inScratch = false;
      }
      s.dsp(s.handle, channel, data, bytes, s.user);
    }
  }
  if (inScratch) FromFloat(format.type, scratch_.data(), data, samples);
}

}  // namespace zaudio
