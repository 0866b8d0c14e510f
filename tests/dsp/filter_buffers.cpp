#include "filter_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <limits>

#include "support/program_run.h"
#include "support/wav_file.h"

namespace dsp_test {

using zdsp::SampleKind;

std::vector<double> Noise(std::size_t samples, double amplitude, std::uint64_t seed) {
  // splitmix64: fixed arithmetic, so the noise does not depend on the
  // standard library's distributions.
  std::uint64_t state = seed;
  std::vector<double> out(samples);
  for (double& v : out) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    const double unit = static_cast<double>(z >> 11) * 0x1.0p-53;  // [0, 1)
    v = amplitude * (2 * unit - 1);
  }
  return out;
}

std::size_t Buffer::frameBytes() const {
  const std::size_t bytesPerSample = kind == SampleKind::U8 ? 1 : kind == SampleKind::S16 ? 2 : 4;
  return bytesPerSample * static_cast<std::size_t>(channels);
}

Buffer Buffer::From(SampleKind kind, int channels, const std::vector<double>& samples) {
  Buffer b{kind, channels, {}};
  b.bytes.resize(samples.size() * b.frameBytes() / static_cast<std::size_t>(channels));
  const double full = kind == SampleKind::U8 ? 128 : kind == SampleKind::S16 ? 32768 : 1;
  const double top = kind == SampleKind::U8 ? 127 : 32767;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    double v = samples[i] * full;
    if (kind != SampleKind::F32) v = std::clamp(std::nearbyint(v), -full, top);
    b.set(i, v);
  }
  return b;
}

double Buffer::at(std::size_t i) const {
  switch (kind) {
    case SampleKind::U8:
      return bytes[i] - 128.0;
    case SampleKind::S16: {
      std::int16_t s;
      std::memcpy(&s, bytes.data() + 2 * i, 2);
      return s;
    }
    case SampleKind::F32: {
      float f;
      std::memcpy(&f, bytes.data() + 4 * i, 4);
      return f;
    }
  }
  return 0;
}

void Buffer::set(std::size_t i, double value) {
  switch (kind) {
    case SampleKind::U8:
      bytes[i] = static_cast<std::uint8_t>(static_cast<int>(value) + 128);
      return;
    case SampleKind::S16: {
      const auto s = static_cast<std::int16_t>(value);
      std::memcpy(bytes.data() + 2 * i, &s, 2);
      return;
    }
    case SampleKind::F32: {
      const auto f = static_cast<float>(value);
      std::memcpy(bytes.data() + 4 * i, &f, 4);
      return;
    }
  }
}

std::vector<double> Buffer::values() const {
  std::vector<double> out(samples());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = at(i);
  return out;
}

zaudio::DSPPROC DspFor(zdsp::FilterKind kind) {
  switch (kind) {
    case zdsp::kHighPass:
      return zdsp::HighPassDsp;
    case zdsp::kLowPass:
      return zdsp::LowPassDsp;
    case zdsp::kBandPass:
      return zdsp::BandPassDsp;
    case zdsp::kNotchPass:
      return zdsp::NotchPassDsp;
  }
  return {};
}

void RunBlocks(const zaudio::DSPPROC& proc, zdsp::RecordingFilters& filters, Buffer& buffer, std::size_t blockFrames) {
  const std::size_t frames = buffer.frames(), frameBytes = buffer.frameBytes();
  for (std::size_t at = 0; at < frames; at += blockFrames) {
    const std::size_t n = std::min(blockFrames, frames - at);
    proc(7, 1, buffer.bytes.data() + at * frameBytes, static_cast<zaudio::DWORD>(n * frameBytes), &filters);
  }
}

Buffer Filtered(zdsp::FilterKind kind, const zdsp::FilterSettings& settings, int rate, const Buffer& in) {
  zdsp::RecordingFilters filters(settings, {rate, in.channels, in.kind});
  Buffer out = in;
  RunBlocks(DspFor(kind), filters, out, out.frames());
  return out;
}

namespace {

void Put16(std::string& s, unsigned v) { s.append({static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}); }
void Put32(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// A plain WAV: integer PCM, or IEEE float (format 3) for floats.
void WriteWav(const std::filesystem::path& path, const Buffer& b, int rate) {
  const unsigned bytesPerSample = static_cast<unsigned>(b.frameBytes()) / static_cast<unsigned>(b.channels);
  std::string h = "RIFF";
  Put32(h, static_cast<std::uint32_t>(36 + b.bytes.size()));
  h += "WAVEfmt ";
  Put32(h, 16);
  Put16(h, b.kind == SampleKind::F32 ? 3 : 1);
  Put16(h, static_cast<unsigned>(b.channels));
  Put32(h, static_cast<std::uint32_t>(rate));
  Put32(h, static_cast<std::uint32_t>(rate) * static_cast<std::uint32_t>(b.frameBytes()));
  Put16(h, static_cast<unsigned>(b.frameBytes()));
  Put16(h, bytesPerSample * 8);
  h += "data";
  Put32(h, static_cast<std::uint32_t>(b.bytes.size()));
  std::ofstream out(path, std::ios::binary);
  out.write(h.data(), static_cast<std::streamsize>(h.size()));
  out.write(reinterpret_cast<const char*>(b.bytes.data()), static_cast<std::streamsize>(b.bytes.size()));
}

const char* RawType(SampleKind kind) { return kind == SampleKind::U8 ? "u8" : kind == SampleKind::S16 ? "s16" : "f32"; }

}  // namespace

Buffer Sox(const Buffer& in, int rate, const std::vector<std::string>& effects, const zovedu_test::ScratchDir& dir) {
  const auto wav = dir / "in.wav", raw = dir / "out.raw";
  WriteWav(wav, in, rate);
  std::vector<std::string> args{"-D", wav.string(), "-t", RawType(in.kind), raw.string()};
  args.insert(args.end(), effects.begin(), effects.end());
  const auto run = zovedu_test::RunProgram(ZOVEDU_SOX, args);
  EXPECT_TRUE(run.ended && run.exitCode == 0) << run.describe();
  Buffer out{in.kind, in.channels, zovedu_test::ReadFile(raw.string())};
  EXPECT_EQ(out.bytes.size(), in.bytes.size());
  return out;
}

double ErrorDb(const Buffer& ours, const Buffer& reference, const Buffer& input) {
  const std::size_t n = std::min({ours.samples(), reference.samples(), input.samples()});
  double error = 0, power = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double d = ours.at(i) - reference.at(i);
    error += d * d;
    power += input.at(i) * input.at(i);
  }
  if (error == 0) return -std::numeric_limits<double>::infinity();
  return 10 * std::log10(error / power);
}

}  // namespace dsp_test
