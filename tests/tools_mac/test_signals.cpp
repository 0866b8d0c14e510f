#include "test_signals.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include "support/wav_file.h"

namespace tools_mac {

namespace {

constexpr const char* kSpeechDir = "/usr/share/sounds/alsa";

std::int32_t MinValue(int bits) { return -(std::int32_t{1} << (bits - 1)); }
std::int32_t MaxValue(int bits) { return (std::int32_t{1} << (bits - 1)) - 1; }

// A small deterministic generator, so that a failing case can be run again.
struct Lcg {
  std::uint32_t state;
  std::uint32_t next() {
    state = state * 1664525u + 1013904223u;
    return state;
  }
};

// The spoken recordings in file name order (the pink noise file left out),
// each as 16-bit mono samples; empty when any is missing or not 16-bit mono.
std::vector<std::vector<std::int32_t>> SpeechFiles() {
  std::vector<std::filesystem::path> paths;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(kSpeechDir, ec))
    if (entry.path().extension() == ".wav" && entry.path().stem() != "Noise") paths.push_back(entry.path());
  std::sort(paths.begin(), paths.end());
  std::vector<std::vector<std::int32_t>> out;
  for (const auto& path : paths) {
    const auto wav = zovedu_test::ParseWav(zovedu_test::ReadFile(path.string()), true);
    if (!wav || wav->channels != 1 || wav->bits != 16) return {};
    std::vector<std::int32_t> samples(wav->data.size() / 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
      samples[i] = static_cast<std::int16_t>(wav->data[2 * i] | wav->data[2 * i + 1] << 8);
    out.push_back(std::move(samples));
  }
  if (out.size() < 2) return {};
  return out;
}

std::vector<std::int32_t> Concatenated(const std::vector<std::vector<std::int32_t>>& files, std::size_t from,
                                       std::size_t to) {
  std::vector<std::int32_t> out;
  for (std::size_t i = from; i < to; ++i) out.insert(out.end(), files[i].begin(), files[i].end());
  return out;
}

}  // namespace

std::size_t FrameBlocksAt(int level) {
  if (level == 4000) return kFrameBlocks * 4;
  if (level == 5000) return kFrameBlocks * 16;
  return kFrameBlocks;
}

Pcm Noise(const PcmFormat& format, std::size_t blocks, int amplitudeBits, std::uint32_t seed) {
  Pcm pcm{format, {}};
  pcm.samples.resize(blocks * static_cast<std::size_t>(format.channels));
  Lcg random{seed};
  const int shift = 32 - amplitudeBits;
  for (auto& s : pcm.samples) s = static_cast<std::int32_t>(random.next()) >> shift;
  return pcm;
}

Pcm Silence(const PcmFormat& format, std::size_t blocks) {
  return Pcm{format, std::vector<std::int32_t>(blocks * static_cast<std::size_t>(format.channels), 0)};
}

Pcm FullScaleSquare(const PcmFormat& format, std::size_t blocks) {
  Pcm pcm{format, {}};
  pcm.samples.reserve(blocks * static_cast<std::size_t>(format.channels));
  constexpr std::size_t kFastPart = 4096;
  for (std::size_t i = 0; i < blocks; ++i) {
    const bool high = i < kFastPart ? i % 2 == 0 : (i - kFastPart) / 50 % 2 == 0;
    const std::int32_t v = high ? MaxValue(format.bits) : MinValue(format.bits);
    pcm.samples.push_back(v);
    if (format.channels == 2) pcm.samples.push_back(~v);  // max <-> min
  }
  return pcm;
}

Pcm Join(const std::vector<Pcm>& parts) {
  Pcm out{parts.front().format, {}};
  for (const Pcm& p : parts) out.samples.insert(out.samples.end(), p.samples.begin(), p.samples.end());
  return out;
}

Pcm Muted(Pcm pcm, int channel) {
  for (std::size_t i = static_cast<std::size_t>(channel); i < pcm.samples.size();
       i += static_cast<std::size_t>(pcm.format.channels))
    pcm.samples[i] = 0;
  return pcm;
}

Pcm BothChannels(const Pcm& mono) {
  Pcm out{{mono.format.bits, 2, mono.format.rate}, {}};
  out.samples.reserve(mono.samples.size() * 2);
  for (std::int32_t s : mono.samples) out.samples.insert(out.samples.end(), {s, s});
  return out;
}

std::optional<Pcm> Speech(int channels, int bits) {
  const auto files = SpeechFiles();
  if (files.empty()) return std::nullopt;
  Pcm pcm{{bits, channels, 48000}, {}};
  if (channels == 1) {
    pcm.samples = Concatenated(files, 0, files.size());
  } else {
    // Two voices mixed to stereo, one panned to each side, as in any
    // recording of two sources: the channels differ but are alike.
    const auto a = Concatenated(files, 0, files.size() / 2);
    const auto b = Concatenated(files, files.size() / 2, files.size());
    const std::size_t blocks = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < blocks; ++i)
      pcm.samples.insert(pcm.samples.end(), {(2 * a[i] + b[i]) / 3, (a[i] + 2 * b[i]) / 3});
  }
  if (bits == 24) {
    Lcg random{7};
    for (auto& s : pcm.samples)
      s = std::clamp(s * 256 + (static_cast<std::int32_t>(random.next()) >> 25), MinValue(24), MaxValue(24));
  }
  return pcm;
}

const char* SpeechMissingReason() {
  return "no spoken recordings in /usr/share/sounds/alsa (Debian's alsa-utils, which scripts/test installs)";
}

}  // namespace tools_mac
