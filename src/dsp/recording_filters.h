// The four filters a recording can run on its captured samples: low-pass,
// high-pass, band-pass and a notch pass that keeps a band around its centre.
// Each is a state-variable filter whose state lives for the whole recording,
// in one RecordingFilters object: the user value of the DSP callbacks.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "audio/zaudio.h"
#include "dsp/svf.h"

namespace zdsp {

using zaudio::DWORD;
using zaudio::HDSP;

enum class SampleKind { U8, S16, F32 };

// How the capture channel lays out its buffers.
struct BufferFormat {
  int rate = 44100;
  int channels = 2;
  SampleKind sample = SampleKind::S16;
};

// The settings a recording's filters use, fixed when it starts.
struct FilterSettings {
  int lowCut = 5000;        // FLowCut: low-pass position (0..10000) or band-pass lower edge (Hz)
  int highCut = 5000;       // FHighCut: high-pass position (0..10000) or band-pass upper edge (Hz)
  int notchFrequency = 0;   // FNotchFrequency, Hz
  int sampleRate = 44100;   // FSampleRate: the rate the positions refer to
};

enum FilterKind { kHighPass = 0, kLowPass = 1, kBandPass = 2, kNotchPass = 3 };

// The state of the four filters of one recording, for all its channels:
// made when the recording starts, fed every captured buffer in order, freed
// after the capture stops. The callbacks of one recording run one at a time
// on the capture thread; nothing here allocates after construction.
class RecordingFilters {
 public:
  // Cutoffs in Hz come from settings (and settings.sampleRate); the buffers
  // are read with format, whose rate sets the filters' sampling rate and
  // Nyquist limit.
  RecordingFilters(const FilterSettings& settings, const BufferFormat& format);

  const BufferFormat& format() const { return format_; }

  // The kind's sections: one, or two for the band-pass (its low-pass at the
  // upper edge first, then its high-pass at the lower edge).
  std::span<const SvfSection> sections(FilterKind kind) const;
  // The kind's state, channel by channel, one entry per section.
  std::span<const SvfState> state(FilterKind kind) const;

 private:
  friend void FilterBuffer(RecordingFilters& filters, FilterKind kind, void* buffer, DWORD length);

  struct Filter {
    int stages = 1;
    std::array<SvfSection, 2> sections;
    std::vector<SvfState> state;  // channels x stages
  };

  BufferFormat format_;
  std::array<Filter, 4> filters_;
};

// Filters a buffer of whole frames in place with the kind's kernel,
// continuing from the state the last buffer left.
void FilterBuffer(RecordingFilters& filters, FilterKind kind, void* buffer, DWORD length);

// The DSP callbacks; user is the recording's RecordingFilters.
void HighPassDsp(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);
void LowPassDsp(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);
void BandPassDsp(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);
void NotchPassDsp(HDSP handle, DWORD channel, void* buffer, DWORD length, void* user);

// FNotchFrequency from the notch slider (0..100 per cent of the Nyquist
// frequency of rate): (rate div 2) x position / 100, halves to even.
int NotchFrequencyFor(int rate, int position);

int Clip8(int value);
int Clip16(int value);
std::int32_t Clip32(std::int64_t value);

}  // namespace zdsp
