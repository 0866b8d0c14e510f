#include "audio/sample_convert.h"

#include <algorithm>
#include <cmath>

namespace zaudio {

void ToFloat(SampleType type, const void* in, float* out, size_t samples) {
  switch (type) {
    case SampleType::U8: {
      auto* p = static_cast<const std::uint8_t*>(in);
      for (size_t i = 0; i < samples; ++i) out[i] = (static_cast<int>(p[i]) - 128) / 128.0f;
      break;
    }
    case SampleType::S16: {
      auto* p = static_cast<const std::int16_t*>(in);
      for (size_t i = 0; i < samples; ++i) out[i] = p[i] / 32768.0f;
      break;
    }
    case SampleType::F32:
      std::copy_n(static_cast<const float*>(in), samples, out);
      break;
  }
}

void FromFloat(SampleType type, const float* in, void* out, size_t samples) {
  switch (type) {
    case SampleType::U8: {
      auto* p = static_cast<std::uint8_t*>(out);
      for (size_t i = 0; i < samples; ++i) {
        const long v = std::lround(std::clamp(in[i], -1.0f, 1.0f) * 128.0f) + 128;
        p[i] = static_cast<std::uint8_t>(std::clamp(v, 0L, 255L));
      }
      break;
    }
    case SampleType::S16: {
      auto* p = static_cast<std::int16_t*>(out);
      for (size_t i = 0; i < samples; ++i) {
        const long v = std::lround(std::clamp(in[i], -1.0f, 1.0f) * 32768.0f);
        p[i] = static_cast<std::int16_t>(std::clamp(v, -32768L, 32767L));
      }
      break;
    }
    case SampleType::F32:
      std::copy_n(in, samples, static_cast<float*>(out));
      break;
  }
}

std::uint32_t PeakOf(SampleType type, const void* data, size_t frames, int channels, int channel) {
  std::uint32_t peak = 0;
  switch (type) {
    case SampleType::U8: {
      auto* p = static_cast<const std::uint8_t*>(data) + channel;
      for (size_t i = 0; i < frames; ++i, p += channels)
        peak = std::max<std::uint32_t>(peak, std::abs(static_cast<int>(*p) - 128) * 256);
      break;
    }
    case SampleType::S16: {
      auto* p = static_cast<const std::int16_t*>(data) + channel;
      for (size_t i = 0; i < frames; ++i, p += channels)
        peak = std::max<std::uint32_t>(peak, std::abs(static_cast<int>(*p)));
      break;
    }
    case SampleType::F32: {
      auto* p = static_cast<const float*>(data) + channel;
      float m = 0;
      for (size_t i = 0; i < frames; ++i, p += channels) m = std::max(m, std::fabs(*p));
      peak = static_cast<std::uint32_t>(std::lround(std::min(m, 1.0f) * 32768.0f));
      break;
    }
  }
  return std::min<std::uint32_t>(peak, 32768);
}

}  // namespace zaudio
