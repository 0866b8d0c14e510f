// The loops that run a filter over an interleaved buffer in place. Channels
// go in groups of up to four, each group walking the buffer frame by frame
// with its state held in locals: the groups' recursions are independent, so
// the processor overlaps them, and no state goes through memory per sample.
#pragma once

#include <algorithm>
#include <cstddef>

#include "dsp/samples.h"
#include "dsp/svf.h"

namespace zdsp {

// What a filter does with each sample, given its sections.
enum class Plan {
  kUnchanged,    // passes everything (a low-pass open at the Nyquist frequency)
  kSilence,      // passes nothing (a high- or band-pass open at the Nyquist frequency)
  kLow,          // the first section's low output
  kBand,         // the first section's band output
  kHigh,         // the first section's high output
  kLowThenHigh,  // the first section's low output through the second's high output
};

template <Plan P>
inline constexpr int kSectionsUsed = P == Plan::kLowThenHigh ? 2 : 1;

template <Plan P>
inline double Apply(const SvfSection& s0, const SvfSection& s1, SvfState* st, double x) {
  if constexpr (P == Plan::kLow) return s0.tick(st[0], x).low;
  if constexpr (P == Plan::kBand) return s0.tick(st[0], x).band;
  if constexpr (P == Plan::kHigh) return s0.tick(st[0], x).high;
  if constexpr (P == Plan::kLowThenHigh) return s1.tick(st[1], s0.tick(st[0], x).low).high;
}

// Channels first .. first + G - 1 of `frames` frames. `state` holds
// `stride` entries per channel; the plan's sections start at entry `stage`.
template <Plan P, SampleKind K, int G>
void RunGroup(typename SampleIo<K>::Type* data, std::size_t frames, int channels, int first, const SvfSection* sections,
              SvfState* state, int stride, int stage) {
  constexpr int kUsed = kSectionsUsed<P>;
  SvfState local[G][kUsed];
  for (int j = 0; j < G; ++j)
    for (int u = 0; u < kUsed; ++u) local[j][u] = state[(first + j) * stride + stage + u];
  const SvfSection s0 = sections[0];
  const SvfSection s1 = sections[kUsed - 1];
  auto* p = data + first;
  for (std::size_t f = 0; f < frames; ++f, p += channels) {
#pragma GCC unroll 4
    for (int j = 0; j < G; ++j) p[j] = SampleIo<K>::Write(Apply<P>(s0, s1, local[j], SampleIo<K>::Read(p[j])));
  }
  for (int j = 0; j < G; ++j)
    for (int u = 0; u < kUsed; ++u) state[(first + j) * stride + stage + u] = local[j][u];
}

template <Plan P, SampleKind K>
void RunPlan(void* buffer, std::size_t frames, int channels, const SvfSection* sections, SvfState* state, int stride,
             int stage) {
  using T = typename SampleIo<K>::Type;
  T* data = static_cast<T*>(buffer);
  if constexpr (P == Plan::kUnchanged) {
    return;
  } else if constexpr (P == Plan::kSilence) {
    std::fill_n(data, frames * static_cast<std::size_t>(channels), SampleIo<K>::kSilence);
  } else {
    int c = 0;
    for (; channels - c >= 4; c += 4) RunGroup<P, K, 4>(data, frames, channels, c, sections, state, stride, stage);
    for (; channels - c >= 2; c += 2) RunGroup<P, K, 2>(data, frames, channels, c, sections, state, stride, stage);
    for (; c < channels; ++c) RunGroup<P, K, 1>(data, frames, channels, c, sections, state, stride, stage);
  }
}

}  // namespace zdsp
