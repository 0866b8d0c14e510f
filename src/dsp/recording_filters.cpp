#include "dsp/recording_filters.h"

#include <algorithm>

#include "dsp/buffer_loops.h"
#include "dsp/cutoffs.h"
#include "dsp/samples.h"

namespace zdsp {

RecordingFilters::RecordingFilters(const FilterSettings& settings, const BufferFormat& format) : format_(format) {
  const double rate = format.rate;
  auto& low = filters_[kLowPass];
  low.sections[0] = SvfSection(LowPassCutoff(settings, format), rate);
  auto& high = filters_[kHighPass];
  high.sections[0] = SvfSection(HighPassCutoff(settings, format), rate);
  auto& notch = filters_[kNotchPass];
  notch.sections[0] = SvfSection(NotchCutoff(settings, format), rate);
  auto& band = filters_[kBandPass];
  const BandEdges edges = BandPassEdges(settings, format);
  band.stages = 2;
  band.sections[0] = SvfSection(edges.upper, rate);
  band.sections[1] = SvfSection(edges.lower, rate);
  const int channels = std::max(format.channels, 0);
  for (auto& f : filters_) f.state.assign(static_cast<std::size_t>(channels * f.stages), SvfState{});
}

std::span<const SvfSection> RecordingFilters::sections(FilterKind kind) const {
  const Filter& f = filters_[kind];
  return {f.sections.data(), static_cast<std::size_t>(f.stages)};
}

std::span<const SvfState> RecordingFilters::state(FilterKind kind) const { return filters_[kind].state; }

namespace {

struct Choice {
  Plan plan;
  int stage;  // the first section the plan uses
};

Choice ChoosePlan(FilterKind kind, std::span<const SvfSection> s) {
  switch (kind) {
    case kLowPass:
      return {s[0].open() ? Plan::kUnchanged : Plan::kLow, 0};
    case kHighPass:
      return {s[0].open() ? Plan::kSilence : Plan::kHigh, 0};
    case kNotchPass:
      return {s[0].open() ? Plan::kSilence : Plan::kBand, 0};
    case kBandPass:
      // An open low-pass at the upper edge passes everything to the
      // high-pass; an open high-pass at the lower edge passes nothing.
      if (s[1].open()) return {Plan::kSilence, 0};
      if (s[0].open()) return {Plan::kHigh, 1};
      return {Plan::kLowThenHigh, 0};
  }
  return {Plan::kUnchanged, 0};
}

template <Plan P>
void RunKind(SampleKind sample, void* buffer, std::size_t frames, int channels, const SvfSection* sections,
             SvfState* state, int stride, int stage) {
  switch (sample) {
    case SampleKind::U8:
      return RunPlan<P, SampleKind::U8>(buffer, frames, channels, sections, state, stride, stage);
    case SampleKind::S16:
      return RunPlan<P, SampleKind::S16>(buffer, frames, channels, sections, state, stride, stage);
    case SampleKind::F32:
      return RunPlan<P, SampleKind::F32>(buffer, frames, channels, sections, state, stride, stage);
  }
}

}  // namespace

void FilterBuffer(RecordingFilters& filters, FilterKind kind, void* buffer, DWORD length) {
  if (static_cast<unsigned>(kind) > kNotchPass) return;
  const BufferFormat& format = filters.format_;
  if (!buffer || format.channels <= 0) return;
  const std::size_t frameBytes = static_cast<std::size_t>(BytesPerSample(format.sample)) * format.channels;
  const std::size_t frames = length / frameBytes;  // a partial frame at the end is left alone
  if (frames == 0) return;
  auto& f = filters.filters_[kind];
  const Choice c = ChoosePlan(kind, filters.sections(kind));
  const SvfSection* sections = f.sections.data() + c.stage;
  SvfState* state = f.state.data();
  const auto run = [&]<Plan P>() {
    RunKind<P>(format.sample, buffer, frames, format.channels, sections, state, f.stages, c.stage);
  };
  switch (c.plan) {
    case Plan::kUnchanged: return;
    case Plan::kSilence: return run.template operator()<Plan::kSilence>();
    case Plan::kLow: return run.template operator()<Plan::kLow>();
    case Plan::kBand: return run.template operator()<Plan::kBand>();
    case Plan::kHigh: return run.template operator()<Plan::kHigh>();
    case Plan::kLowThenHigh: return run.template operator()<Plan::kLowThenHigh>();
  }
}

namespace {

void Dsp(FilterKind kind, void* buffer, DWORD length, void* user) {
  if (user) FilterBuffer(*static_cast<RecordingFilters*>(user), kind, buffer, length);
}

}  // namespace

void HighPassDsp(HDSP, DWORD, void* buffer, DWORD length, void* user) { Dsp(kHighPass, buffer, length, user); }
void LowPassDsp(HDSP, DWORD, void* buffer, DWORD length, void* user) { Dsp(kLowPass, buffer, length, user); }
void BandPassDsp(HDSP, DWORD, void* buffer, DWORD length, void* user) { Dsp(kBandPass, buffer, length, user); }
void NotchPassDsp(HDSP, DWORD, void* buffer, DWORD length, void* user) { Dsp(kNotchPass, buffer, length, user); }

int Clip8(int value) { return std::clamp(value, -128, 127); }
int Clip16(int value) { return std::clamp(value, -32768, 32767); }
std::int32_t Clip32(std::int64_t value) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(value, -2147483647, 2147483647));
}

}  // namespace zdsp
