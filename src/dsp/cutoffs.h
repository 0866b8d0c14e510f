// The cutoffs of a recording's filters in Hz, from its settings: positions
// (0..10000 of the Nyquist frequency of the chosen rate) for the low- and
// high-pass, the notch frequency, and the band-pass edges in Hz. Each is
// clamped to what the chosen rate allows and then to the Nyquist frequency
// of the buffers actually captured.
#pragma once

#include "dsp/recording_filters.h"

namespace zdsp {

double LowPassCutoff(const FilterSettings& settings, const BufferFormat& format);
double HighPassCutoff(const FilterSettings& settings, const BufferFormat& format);
double NotchCutoff(const FilterSettings& settings, const BufferFormat& format);

struct BandEdges {
  double lower = 0;
  double upper = 0;
};
BandEdges BandPassEdges(const FilterSettings& settings, const BufferFormat& format);

}  // namespace zdsp
