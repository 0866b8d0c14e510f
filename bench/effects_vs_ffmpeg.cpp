// CPU time of the library's compressor and gain control next to ffmpeg's
// acompressor and dynaudnorm filters over the same generated WAV
// (44100 Hz, 16-bit, stereo; 10 minutes unless told otherwise):
//
//   ninja -C build effects_vs_ffmpeg && build/bench/effects_vs_ffmpeg [minutes] [runs]
//
// Ours: the file read in 10 ms blocks, converted to float, run through the
// effect and converted back to 16 bits, as a recording channel does; our own
// CPU time (RUSAGE_SELF). ffmpeg: the same file through the filter to the
// null muxer, its CPU time taken from RUSAGE_CHILDREN after it exits. Both
// are also run without the effect (ffmpeg with anull), so that the figures
// are given for the whole pass and for the effect alone. With several runs
// the lowest time of each counts.
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "audio/compressor_effect.h"
#include "audio/damp_effect.h"
#include "audio/sample_convert.h"
#include "bench_support.h"

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;

// Material that keeps both effects busy: passages of two tones over noise,
// each at its own level between -40 and 0 dBFS, with pauses between them.
void WriteTestWav(const std::filesystem::path& path, double seconds) {
  const auto frames = static_cast<std::uint32_t>(seconds * kRate);
  const std::uint32_t dataBytes = frames * kChannels * 2;
  std::ofstream out(path, std::ios::binary);
  const std::string header = bench::WavHeader(kChannels, kRate, 16, dataBytes);
  out.write(header.data(), static_cast<std::streamsize>(header.size()));

  std::uint32_t seed = 1;
  auto random = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed / 4294967296.0;
  };
  std::vector<std::int16_t> block;
  std::uint32_t done = 0;
  while (done < frames) {
    const auto length = std::min(frames - done, static_cast<std::uint32_t>((0.5 + 2.5 * random()) * kRate));
    const bool pause = random() < 0.2;
    const double level = pause ? 0 : std::pow(10.0, -40 * random() / 20);
    const double f1 = 100 + 900 * random(), f2 = 1000 + 3000 * random();
    block.resize(static_cast<size_t>(length) * kChannels);
    for (std::uint32_t i = 0; i < length; ++i) {
      const double t = static_cast<double>(done + i) / kRate;
      const double tone = 0.6 * std::sin(2 * std::numbers::pi * f1 * t) + 0.3 * std::sin(2 * std::numbers::pi * f2 * t);
      for (int c = 0; c < kChannels; ++c) {
        const double v = level * (tone + 0.1 * (2 * random() - 1)) + 0.0005 * (2 * random() - 1);
        block[i * kChannels + c] = static_cast<std::int16_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767));
      }
    }
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 2));
    done += length;
  }
}

// Our pass over the file; nullptr runs it without an effect.
double OurSeconds(const std::filesystem::path& wav, zaudio::Effect* fx) {
  constexpr size_t kFrames = kRate / 100;
  std::vector<std::int16_t> in(kFrames * kChannels), out(kFrames * kChannels);
  std::vector<float> work(kFrames * kChannels);
  const double start = bench::RusageSeconds(RUSAGE_SELF);
  std::ifstream file(wav, std::ios::binary);
  file.seekg(44);
  std::uint64_t checksum = 0;
  for (;;) {
    file.read(reinterpret_cast<char*>(in.data()), static_cast<std::streamsize>(in.size() * 2));
    const size_t frames = static_cast<size_t>(file.gcount()) / (2 * kChannels);
    if (frames == 0) break;
    zaudio::ToFloat(zaudio::SampleType::S16, in.data(), work.data(), frames * kChannels);
    if (fx) fx->process(work.data(), frames, kChannels, kRate);
    zaudio::FromFloat(zaudio::SampleType::S16, work.data(), out.data(), frames * kChannels);
    checksum += static_cast<std::uint16_t>(out[0]);
  }
  const double seconds = bench::RusageSeconds(RUSAGE_SELF) - start;
  if (checksum == 1) std::puts("");  // keeps the conversion from being left out
  return seconds;
}

// ffmpeg's pass over the file through one filter, or -1 when it failed.
double FfmpegSeconds(const std::filesystem::path& wav, const std::string& filter) {
  const bench::ChildRun run =
      bench::RunChild({"ffmpeg", "-nostdin", "-v", "error", "-i", wav.string(), "-af", filter, "-f", "null", "-"});
  return run.ok() ? run.cpuSeconds : -1;
}

}  // namespace

int main(int argc, char** argv) {
  const double minutes = argc > 1 ? std::atof(argv[1]) : 10;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
  if (minutes <= 0) {
    std::fprintf(stderr, "usage: %s [minutes] [runs]\n", argv[0]);
    return 2;
  }
  char dirTemplate[] = "/tmp/effects-vs-ffmpeg.XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const std::filesystem::path dir = dirTemplate, wav = dir / "test.wav";
  WriteTestWav(wav, minutes * 60);
  std::printf("%.1f min of 44100 Hz 16-bit stereo, lowest of %d run(s); CPU seconds\n\n", minutes, runs);

  // The recorder's defaults, and ffmpeg's closest settings.
  zaudio::DX8_COMPRESSOR compressor;
  compressor.fGain = 0;
  compressor.fAttack = 0.01f;
  compressor.fRelease = 50;
  compressor.fThreshold = -10;
  compressor.fRatio = 10;
  compressor.fPredelay = 0;
  zaudio::DX8_COMPRESSOR lookAhead = compressor;
  lookAhead.fPredelay = 4;
  zaudio::BFX_DAMP damp;
  damp.fTarget = 0.93f;
  damp.fQuiet = 0.02f;
  damp.fRate = 0.01f;
  damp.fGain = 1;
  damp.fDelay = 0.5f;

  struct Row {
    const char* ours;
    std::function<std::unique_ptr<zaudio::Effect>()> make;
    const void* params;
    const char* filter;
  };
  const char* acompressor =
      "acompressor=threshold=-10dB:ratio=10:attack=0.01:release=50:knee=1:detection=peak:link=maximum";
  const Row rows[] = {
      {"compressor", [] { return std::make_unique<zaudio::CompressorEffect>(); }, &compressor, acompressor},
      {"compressor, 4 ms look-ahead", [] { return std::make_unique<zaudio::CompressorEffect>(); }, &lookAhead,
       acompressor},
      {"gain control", [] { return std::make_unique<zaudio::DampEffect>(); }, &damp, "dynaudnorm"},
  };

  const double oursBase = bench::Lowest(runs, [&] { return OurSeconds(wav, nullptr); });
  const double theirsBase = bench::Lowest(runs, [&] { return FfmpegSeconds(wav, "anull"); });
  std::printf("%-30s %8s %8s   %-12s %8s %8s   %7s %7s\n", "ours", "pass", "effect", "ffmpeg", "pass", "filter",
              "ratio", "effect");
  std::printf("%-30s %8.3f %8s   %-12s %8.3f %8s\n", "(no effect)", oursBase, "", "anull", theirsBase, "");
  int failed = 0;
  for (const Row& r : rows) {
    const double ours = bench::Lowest(runs, [&] {
      auto fx = r.make();
      fx->setParameters(r.params);
      return OurSeconds(wav, fx.get());
    });
    const double theirs = bench::Lowest(runs, [&] { return FfmpegSeconds(wav, r.filter); });
    const std::string name = std::string(r.filter).substr(0, std::string(r.filter).find('='));
    if (theirs < 0) {
      std::fprintf(stderr, "ffmpeg failed with %s\n", r.filter);
      ++failed;
      continue;
    }
    // ratio: our whole pass over ffmpeg's; effect: our effect's share over
    // ffmpeg's filter's share.
    std::printf("%-30s %8.3f %8.3f   %-12s %8.3f %8.3f   %7.3f %7.3f\n", r.ours, ours, ours - oursBase, name.c_str(),
                theirs, theirs - theirsBase, ours / theirs, (ours - oursBase) / std::max(1e-3, theirs - theirsBase));
  }
  std::filesystem::remove_all(dir);
  return failed ? 1 : 0;
}
