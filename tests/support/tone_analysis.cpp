#include "support/tone_analysis.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <utility>

namespace zovedu_test {

std::vector<float> ToFloats(zaudio::SampleType type, const std::vector<std::uint8_t>& bytes) {
  std::vector<float> out;
  switch (type) {
    case zaudio::SampleType::U8:
      for (std::uint8_t b : bytes) out.push_back((b - 128) / 128.0f);
      break;
    case zaudio::SampleType::S16:
      for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::int16_t v;
        std::memcpy(&v, &bytes[i], 2);
        out.push_back(v / 32768.0f);
      }
      break;
    case zaudio::SampleType::F32:
      for (size_t i = 0; i + 3 < bytes.size(); i += 4) {
        float v;
        std::memcpy(&v, &bytes[i], 4);
        out.push_back(v);
      }
      break;
  }
  return out;
}

std::vector<float> ChannelOf(const std::vector<float>& interleaved, int channels, int channel) {
  std::vector<float> out;
  for (size_t i = channel; i < interleaved.size(); i += channels) out.push_back(interleaved[i]);
  return out;
}

namespace {

// Energy share of one frequency, by the Goertzel recurrence.
double Purity(const float* x, size_t n, double rate, double frequency) {
  const double w = 2 * std::numbers::pi * frequency / rate;
  const double coeff = 2 * std::cos(w);
  double s1 = 0, s2 = 0, energy = 0;
  for (size_t i = 0; i < n; ++i) {
    double s0 = x[i] + coeff * s1 - s2;
    s2 = s1;
    s1 = s0;
    energy += double(x[i]) * x[i];
  }
  double power = s1 * s1 + s2 * s2 - coeff * s1 * s2;  // |X(f)|^2
  // A sine of amplitude A gives |X| = A n / 2 and energy A^2 n / 2.
  double toneEnergy = 2 * power / n;
  return energy > 0 ? toneEnergy / energy : 0;
}

}  // namespace

ToneFound FindTone(const std::vector<float>& samples, double rate, double expectedFrequency,
                   double threshold) {
  ToneFound t;
  size_t first = samples.size(), last = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    if (std::fabs(samples[i]) > threshold) {
      first = std::min(first, i);
      last = i;
    }
  }
  if (first >= samples.size()) return t;
  t.found = true;
  t.seconds = (last - first) / rate;
  const auto edge = static_cast<size_t>(0.010 * rate);
  if (last - first <= 2 * edge + 10) return t;
  const size_t begin = first + edge, end = last - edge;

  long firstRise = -1, lastRise = -1, rises = 0;
  for (size_t i = begin; i < end; ++i) {
    t.peak = std::max(t.peak, double(std::fabs(samples[i])));
    if (i > begin && samples[i - 1] < 0 && samples[i] >= 0) {
      if (firstRise < 0) firstRise = static_cast<long>(i);
      lastRise = static_cast<long>(i);
      ++rises;
    }
  }
  if (rises > 1) t.frequency = (rises - 1) * rate / double(lastRise - firstRise);
  t.purity = Purity(samples.data() + begin, end - begin, rate, expectedFrequency);
  return t;
}

namespace {

// The least-squares fit a·sin + b·cos of the sine at freq.
std::pair<double, double> FitSine(const std::vector<float>& x, double rate, double freq) {
  double ss = 0, sc = 0, cc = 0, xs = 0, xc = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double w = 2 * std::numbers::pi * freq * i / rate, s = std::sin(w), c = std::cos(w);
    ss += s * s, sc += s * c, cc += c * c, xs += x[i] * s, xc += x[i] * c;
  }
  const double det = ss * cc - sc * sc;
  return {(xs * cc - xc * sc) / det, (xc * ss - xs * sc) / det};
}

}  // namespace

double SineAmplitude(const std::vector<float>& x, double rate, double freq) {
  const auto [a, b] = FitSine(x, rate, freq);
  return std::hypot(a, b);
}

double ResidualToToneDb(const std::vector<float>& x, double rate, double freq) {
  const auto [a, b] = FitSine(x, rate, freq);
  double tone = 0, rest = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double w = 2 * std::numbers::pi * freq * i / rate, fit = a * std::sin(w) + b * std::cos(w);
    tone += fit * fit;
    rest += (x[i] - fit) * (x[i] - fit);
  }
  return 10 * std::log10(rest / tone);
}

bool ToneHasEnded(const std::vector<float>& interleaved, int channels, double rate, float threshold) {
  const size_t quietSamples = static_cast<size_t>(rate / 20) * static_cast<size_t>(channels);
  for (size_t i = interleaved.size(); i-- > 0;)
    if (std::fabs(interleaved[i]) > threshold) return interleaved.size() - 1 - i >= quietSamples;
  return false;
}

void ExpectTestToneOnEveryChannel(const std::vector<float>& interleaved, int channels, double rate) {
  ASSERT_EQ(interleaved.size() % static_cast<size_t>(channels), 0u);
  for (int ch = 0; ch < channels; ++ch) {
    SCOPED_TRACE(ch);
    const ToneFound t = FindTone(ChannelOf(interleaved, channels, ch), rate, 1000);
    ASSERT_TRUE(t.found);
    EXPECT_NEAR(t.seconds, 0.3, 0.03);
    EXPECT_NEAR(t.peak, 0.5, 0.02);
    EXPECT_NEAR(t.frequency, 1000, 5);
    EXPECT_GT(t.purity, 0.95);
  }
}

}  // namespace zovedu_test
