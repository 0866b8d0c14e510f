#include "tone_analysis.h"

#include <algorithm>
#include <cmath>

ToneMeasure MeasureTone(const std::vector<float>& interleaved, int channels, int channel, double rate) {
  ToneMeasure m;
  const size_t frames = interleaved.size() / static_cast<size_t>(channels);
  long first = -1, last = -1, crossings = 0;
  float prev = 0;
  for (size_t i = 0; i < frames; ++i) {
    const float v = interleaved[i * channels + channel];
    m.peak = std::max<double>(m.peak, std::fabs(v));
    if (i > 0 && prev < 0 && v >= 0) {
      if (first < 0) first = static_cast<long>(i);
      last = static_cast<long>(i);
      ++crossings;
    }
    prev = v;
  }
  if (crossings > 1) m.frequency = (crossings - 1) * rate / static_cast<double>(last - first);
  return m;
}
