// Captured buffers for the filter tests: deterministic noise in any sample
// kind, the DSP callbacks called the way the library calls them, and sox
// running the same filters on the same samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/zaudio.h"
#include "dsp/recording_filters.h"
#include "support/scratch_dir.h"

namespace dsp_test {

// Uniform white noise in [-amplitude, amplitude] (of full scale), the same
// on every machine for a seed.
std::vector<double> Noise(std::size_t samples, double amplitude, std::uint64_t seed);

// Interleaved samples in one sample kind, as a capture channel holds them.
struct Buffer {
  zdsp::SampleKind kind = zdsp::SampleKind::F32;
  int channels = 1;
  std::vector<std::uint8_t> bytes;

  // From samples in -1..1 of full scale, rounded and clipped for integers.
  static Buffer From(zdsp::SampleKind kind, int channels, const std::vector<double>& samples);

  std::size_t frameBytes() const;
  std::size_t frames() const { return bytes.size() / frameBytes(); }
  std::size_t samples() const { return frames() * static_cast<std::size_t>(channels); }
  // Sample i on the filters' own scale (8-bit less 128, 16-bit as it is).
  double at(std::size_t i) const;
  void set(std::size_t i, double value);  // value already on that scale and representable
  std::vector<double> values() const;
};

// The library's view of a filter: its DSP callback.
zaudio::DSPPROC DspFor(zdsp::FilterKind kind);

// Calls `proc` with user = &filters over the buffer, `blockFrames` frames at
// a time (the last call gets what is left).
void RunBlocks(const zaudio::DSPPROC& proc, zdsp::RecordingFilters& filters, Buffer& buffer, std::size_t blockFrames);

// A fresh RecordingFilters for settings on the buffer's format at `rate`,
// run over all of a copy of `in` in one call.
Buffer Filtered(zdsp::FilterKind kind, const zdsp::FilterSettings& settings, int rate, const Buffer& in);

// sox -D reading `in` as a WAV at `rate` and writing raw samples of the
// same kind through `effects`. Fails the test when sox does.
Buffer Sox(const Buffer& in, int rate, const std::vector<std::string>& effects, const zovedu_test::ScratchDir& dir);

// RMS of (ours - reference) relative to the RMS of input, in dB; -inf when equal.
double ErrorDb(const Buffer& ours, const Buffer& reference, const Buffer& input);

}  // namespace dsp_test
