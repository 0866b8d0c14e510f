#include "support/test_wav.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace zovedu_test {

namespace {

void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutId(Bytes& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(id[i]));
}

}  // namespace

void PrintTo(const PcmFormat& format, std::ostream* os) {
  *os << format.bits << "-bit, " << format.channels << " channel(s), " << format.rate << " Hz";
}

std::vector<double> TestSignal(const PcmFormat& format, double seconds, double frequency, double amplitude,
                               double noise) {
  const auto frames = static_cast<size_t>(std::lround(seconds * format.rate));
  std::vector<double> out;
  out.reserve(frames * static_cast<size_t>(format.channels));
  std::uint32_t seed = 12345;
  for (size_t i = 0; i < frames; ++i) {
    const double tone = amplitude * std::sin(2 * std::numbers::pi * frequency * static_cast<double>(i) / format.rate);
    for (int c = 0; c < format.channels; ++c) {
      seed = seed * 1664525u + 1013904223u;
      out.push_back(tone + noise * (seed / 2147483648.0 - 1.0));
    }
  }
  return out;
}

Bytes ToPcm(const std::vector<double>& samples, int bits) {
  const double full = std::ldexp(1.0, bits - 1);
  Bytes out;
  out.reserve(samples.size() * static_cast<size_t>(bits / 8));
  for (double s : samples) {
    const auto v = static_cast<std::int64_t>(std::clamp(std::nearbyint(s * full), -full, full - 1));
    if (bits == 8) {
      out.push_back(static_cast<std::uint8_t>(v + 128));
      continue;
    }
    for (int byte = 0; byte < bits / 8; ++byte) out.push_back(static_cast<std::uint8_t>((v >> (8 * byte)) & 0xFF));
  }
  return out;
}

Bytes ToPcm(const std::vector<std::int32_t>& samples, int bits) {
  Bytes out;
  out.reserve(samples.size() * static_cast<size_t>(bits / 8));
  for (std::int32_t v : samples) {
    if (bits == 8) {
      out.push_back(static_cast<std::uint8_t>(v + 128));
      continue;
    }
    for (int byte = 0; byte < bits / 8; ++byte) out.push_back(static_cast<std::uint8_t>((v >> (8 * byte)) & 0xFF));
  }
  return out;
}

Bytes WavStream(const PcmFormat& format, const Bytes& pcm, std::optional<std::uint32_t> declaredDataBytes) {
  const std::uint32_t blockAlign = static_cast<std::uint32_t>(format.channels * format.bits / 8);
  const std::uint32_t dataSize = declaredDataBytes.value_or(0xFFFFFFFFu);
  Bytes b;
  b.reserve(44 + pcm.size());
  PutId(b, "RIFF");
  Put32(b, declaredDataBytes ? dataSize + 36 : 0xFFFFFFFFu);
  PutId(b, "WAVE");
  PutId(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, static_cast<std::uint32_t>(format.channels));
  Put32(b, static_cast<std::uint32_t>(format.rate));
  Put32(b, static_cast<std::uint32_t>(format.rate) * blockAlign);
  Put16(b, blockAlign);
  Put16(b, static_cast<std::uint32_t>(format.bits));
  PutId(b, "data");
  Put32(b, dataSize);
  b.insert(b.end(), pcm.begin(), pcm.end());
  return b;
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace zovedu_test
