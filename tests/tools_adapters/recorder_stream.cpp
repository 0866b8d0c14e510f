#include "recorder_stream.h"

#include <cmath>
#include <fstream>
#include <numbers>
#include <stdexcept>

namespace tools_adapters {

namespace {

void Put(Bytes& b, std::uint64_t v, int n) {
  for (int i = 0; i < n; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void Put(Bytes& b, const char* fourcc) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(fourcc[i]));
}

Bytes Header(const StreamLayout& s, std::uint32_t dataSize) {
  const std::uint32_t block = static_cast<std::uint32_t>(s.channels * s.bits / 8);
  Bytes b;
  Put(b, "RIFF");
  Put(b, dataSize == 0xFFFFFFFF ? 0xFFFFFFFF : dataSize + 36, 4);
  Put(b, "WAVE");
  Put(b, "fmt ");
  Put(b, 16, 4);
  Put(b, 1, 2);
  Put(b, static_cast<std::uint64_t>(s.channels), 2);
  Put(b, static_cast<std::uint64_t>(s.rate), 4);
  Put(b, static_cast<std::uint64_t>(s.rate) * block, 4);
  Put(b, block, 2);
  Put(b, static_cast<std::uint64_t>(s.bits), 2);
  Put(b, "data");
  Put(b, dataSize, 4);
  return b;
}

std::uint32_t DataBytes(const StreamLayout& s, double seconds) {
  return static_cast<std::uint32_t>(static_cast<size_t>(s.rate * seconds) * s.channels * s.bits / 8);
}

}  // namespace

std::string StreamLayout::describe() const {
  return std::to_string(rate) + " Hz, " + std::to_string(channels) + " ch, " + std::to_string(bits) + " bit";
}

std::vector<double> SignalChannel(const StreamLayout& s, int c) {
  // Channels differ in level and pitch, so a lost or swapped channel shows.
  const double level = c == 0 ? 0.5 : 0.25, freq = 440.0 * (1.0 + 0.5 * c);
  std::uint32_t noise = 12345u + static_cast<std::uint32_t>(c);
  std::vector<double> out(s.frames());
  for (size_t i = 0; i < out.size(); ++i) {
    noise = noise * 1664525u + 1013904223u;
    const double dither = (static_cast<double>(noise >> 8) / 16777216.0 - 0.5) * 0.02;
    out[i] = level * std::sin(2 * std::numbers::pi * freq * static_cast<double>(i) / s.rate) + dither;
  }
  return out;
}

Bytes SignalSamples(const StreamLayout& s) {
  std::vector<std::vector<double>> channels;
  for (int c = 0; c < s.channels; ++c) channels.push_back(SignalChannel(s, c));
  Bytes b;
  const double full = std::ldexp(1.0, s.bits - 1) - 1;
  for (size_t i = 0; i < s.frames(); ++i) {
    for (const auto& ch : channels) {
      const auto v = static_cast<std::int64_t>(std::lround(ch[i] * full));
      Put(b, static_cast<std::uint64_t>(s.bits == 8 ? v + 128 : v), s.bits / 8);
    }
  }
  return b;
}

Bytes RecorderStream(const StreamLayout& s) {
  Bytes b = Header(s, s.declaredSeconds ? DataBytes(s, *s.declaredSeconds) : 0xFFFFFFFF);
  const Bytes samples = SignalSamples(s);
  b.insert(b.end(), samples.begin(), samples.end());
  return b;
}

void WriteRecorderStream(const StreamLayout& s, const std::filesystem::path& path) {
  WriteBytes(RecorderStream(s), path);
}

void WriteRegularWav(const StreamLayout& s, const std::filesystem::path& path) {
  const Bytes samples = SignalSamples(s);
  Bytes b = Header(s, static_cast<std::uint32_t>(samples.size()));
  b.insert(b.end(), samples.begin(), samples.end());
  WriteBytes(b, path);
}

void WriteBytes(const Bytes& bytes, const std::filesystem::path& path) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace tools_adapters
