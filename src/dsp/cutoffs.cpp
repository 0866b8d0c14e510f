#include "dsp/cutoffs.h"

#include <algorithm>
#include <cstdint>

namespace zdsp {

namespace {

// Integer samples keep every cutoff at 1 Hz or more; floats allow 0 Hz.
std::int64_t Floor(const BufferFormat& format) { return format.sample == SampleKind::F32 ? 0 : 1; }

std::int64_t HalfRate(const FilterSettings& settings) { return settings.sampleRate / 2; }

double WithinBuffer(double fc, const BufferFormat& format) { return std::min(fc, format.rate / 2.0); }

// A frequency in whole Hz: floored, capped at the chosen rate div 2, then
// capped at the buffers' Nyquist frequency.
double Clamped(std::int64_t fc, const FilterSettings& settings, const BufferFormat& format) {
  fc = std::max(fc, Floor(format));
  fc = std::min(fc, HalfRate(settings));
  return WithinBuffer(static_cast<double>(fc), format);
}

// (rate div 2) x position / 10000, truncated.
double FromPosition(int position, const FilterSettings& settings, const BufferFormat& format) {
  return Clamped(HalfRate(settings) * position / 10000, settings, format);
}

// A band edge: floored like a cutoff, but above rate div 2 it becomes the
// exact half of the chosen rate.
double Edge(int hz, std::int64_t floor, const FilterSettings& settings, const BufferFormat& format) {
  double fc = static_cast<double>(std::max<std::int64_t>(hz, floor));
  if (hz > HalfRate(settings)) fc = settings.sampleRate / 2.0;
  return WithinBuffer(fc, format);
}

}  // namespace

double LowPassCutoff(const FilterSettings& settings, const BufferFormat& format) {
  return FromPosition(settings.lowCut, settings, format);
}

double HighPassCutoff(const FilterSettings& settings, const BufferFormat& format) {
  return FromPosition(settings.highCut, settings, format);
}

double NotchCutoff(const FilterSettings& settings, const BufferFormat& format) {
  return Clamped(settings.notchFrequency, settings, format);
}

BandEdges BandPassEdges(const FilterSettings& settings, const BufferFormat& format) {
  return {Edge(settings.lowCut, Floor(format), settings, format), Edge(settings.highCut, 1, settings, format)};
}

int NotchFrequencyFor(int rate, int position) {
  const std::int64_t n = static_cast<std::int64_t>(rate / 2) * position;
  // n / 100 rounded to nearest, halves to even, for either sign.
  std::int64_t q = n / 100, r = n % 100;
  if (r < 0) {
    q -= 1;
    r += 100;
  }
  if (r > 50 || (r == 50 && q % 2 != 0)) ++q;
  return static_cast<int>(std::clamp<std::int64_t>(q, INT32_MIN, INT32_MAX));
}

}  // namespace zdsp
