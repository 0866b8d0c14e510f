// The recording filters (the zdsp library, called through their DSP
// callbacks) next to sox running the same biquads on the same WAV: ten
// minutes of 44100 Hz 16-bit stereo noise. For each filter it prints our CPU
// seconds, sox's, and the ratio ours / sox; then our CPU time on the same
// length of silence after a second of noise, next to the time on noise, for
// 16-bit and float samples (equal figures mean no subnormal slowdown while
// the filters decay).
//
//   ninja -C build filters_vs_sox
//   build/bench/filters_vs_sox [seconds]
//
// seconds (default 600) is the length of the generated audio. Our figure is
// this process's CPU time for the callbacks alone, in 20 ms blocks as a
// capture delivers them (the samples are already in memory); sox's is its
// own CPU time from RUSAGE_CHILDREN, from launch to exit, reading the WAV
// and writing 16-bit samples to /dev/null. Each is the best of three runs.
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "bench_support.h"
#include "dsp/recording_filters.h"

namespace {

namespace fs = std::filesystem;

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kRuns = 3;
constexpr std::size_t kBlockFrames = kRate / 50;

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "filters_vs_sox: %s\n", message.c_str());
  std::exit(1);
}

// Uniform noise at half of full scale (xorshift: the same on every run).
std::vector<std::int16_t> Noise(std::size_t samples) {
  std::vector<std::int16_t> out(samples);
  std::uint64_t x = 0x2545F4914F6CDD1Dull;
  for (auto& s : out) {
    x ^= x << 13, x ^= x >> 7, x ^= x << 17;
    s = static_cast<std::int16_t>(static_cast<std::int32_t>(x >> 48) / 2 - 16384);
  }
  return out;
}

void WriteWav(const fs::path& path, const std::vector<std::int16_t>& samples) {
  const auto dataBytes = static_cast<std::uint32_t>(samples.size() * 2);
  const std::string h = bench::WavHeader(kChannels, kRate, 16, dataBytes);
  std::ofstream out(path, std::ios::binary);
  out.write(h.data(), static_cast<std::streamsize>(h.size()));
  out.write(reinterpret_cast<const char*>(samples.data()), static_cast<std::streamsize>(dataBytes));
  if (!out) Fail("cannot write " + path.string());
}

// sox's CPU seconds for one run to its end.
double RunSox(const fs::path& wav, const std::vector<std::string>& effects) {
  std::vector<std::string> words{"sox", "-D", "-V1", wav.string(), "-t", "s16", "/dev/null"};
  words.insert(words.end(), effects.begin(), effects.end());
  const bench::ChildRun run = bench::RunChild(std::move(words));
  if (!run.ok()) Fail(run.error);
  return run.cpuSeconds;
}

// Our CPU seconds for the callback over a copy of the samples.
template <typename T>
double RunOurs(zdsp::FilterKind kind, const zdsp::FilterSettings& settings, zdsp::SampleKind sample,
               const std::vector<T>& samples) {
  static const zaudio::DSPPROC procs[] = {zdsp::HighPassDsp, zdsp::LowPassDsp, zdsp::BandPassDsp, zdsp::NotchPassDsp};
  const zaudio::DSPPROC& proc = procs[kind];
  std::vector<T> work = samples;
  zdsp::RecordingFilters filters(settings, {kRate, kChannels, sample});
  const std::size_t block = kBlockFrames * kChannels;
  const double start = bench::ProcessCpuSeconds();
  for (std::size_t at = 0; at < work.size(); at += block) {
    const std::size_t n = std::min(block, work.size() - at);
    proc(1, 1, work.data() + at, static_cast<zaudio::DWORD>(n * sizeof(T)), &filters);
  }
  const double spent = bench::ProcessCpuSeconds() - start;
  // Keep the result alive.
  volatile T sink = work[work.size() / 2];
  (void)sink;
  return spent;
}

struct Case {
  const char* name;
  zdsp::FilterKind kind;
  zdsp::FilterSettings settings;
  std::vector<std::string> sox;
};

}  // namespace

int main(int argc, char** argv) {
  const double seconds = argc > 1 ? std::atof(argv[1]) : 600;
  if (!(seconds >= 2)) Fail("the length must be 2 seconds or more");
  const auto frames = static_cast<std::size_t>(seconds * kRate);
  const fs::path dir = fs::temp_directory_path() / ("filters_vs_sox." + std::to_string(::getpid()));
  fs::create_directories(dir);
  const fs::path wav = dir / "noise.wav";
  const std::vector<std::int16_t> noise = Noise(frames * kChannels);
  WriteWav(wav, noise);

  const std::vector<Case> cases = {
      {"low-pass 11025 Hz", zdsp::kLowPass, {5000, 0, 0, kRate}, {"lowpass", "11025", "1q"}},
      {"high-pass 220 Hz", zdsp::kHighPass, {0, 100, 0, kRate}, {"highpass", "220", "1q"}},
      {"band-pass 300-3000 Hz", zdsp::kBandPass, {300, 3000, 0, kRate},
       {"lowpass", "3000", "1q", "highpass", "300", "1q"}},
      {"notch pass 11025 Hz", zdsp::kNotchPass, {0, 0, 11025, kRate}, {"bandpass", "11025", "1q"}},
  };

  std::printf("%.0f s of %d Hz 16-bit stereo noise, best of %d runs\n\n", seconds, kRate, kRuns);
  std::printf("%-24s %10s %10s %10s %12s\n", "filter", "ours s", "sox s", "ours/sox", "x realtime");
  for (const Case& c : cases) {
    const double ours = bench::Lowest(kRuns, [&] { return RunOurs(c.kind, c.settings, zdsp::SampleKind::S16, noise); });
    const double sox = bench::Lowest(kRuns, [&] { return RunSox(wav, c.sox); });
    std::printf("%-24s %10.3f %10.3f %10.3f %12.0f\n", c.name, ours, sox, ours / sox, seconds / ours);
  }

  // A second of noise, then silence: the filters ring down to exact zero.
  std::vector<std::int16_t> afterNoise(noise.size(), 0);
  std::copy_n(noise.begin(), kRate * kChannels, afterNoise.begin());
  std::vector<float> noiseFloat(noise.size()), afterNoiseFloat(noise.size());
  for (std::size_t i = 0; i < noise.size(); ++i) {
    noiseFloat[i] = static_cast<float>(noise[i] / 32768.0);
    afterNoiseFloat[i] = static_cast<float>(afterNoise[i] / 32768.0);
  }
  std::printf("\n%-24s %8s %10s %10s %10s\n", "our CPU s", "samples", "noise", "silence", "ratio");
  for (const Case& c : cases) {
    const double n16 = bench::Lowest(kRuns, [&] { return RunOurs(c.kind, c.settings, zdsp::SampleKind::S16, noise); });
    const double s16 =
        bench::Lowest(kRuns, [&] { return RunOurs(c.kind, c.settings, zdsp::SampleKind::S16, afterNoise); });
    std::printf("%-24s %8s %10.3f %10.3f %10.3f\n", c.name, "16-bit", n16, s16, s16 / n16);
    const double nf =
        bench::Lowest(kRuns, [&] { return RunOurs(c.kind, c.settings, zdsp::SampleKind::F32, noiseFloat); });
    const double sf =
        bench::Lowest(kRuns, [&] { return RunOurs(c.kind, c.settings, zdsp::SampleKind::F32, afterNoiseFloat); });
    std::printf("%-24s %8s %10.3f %10.3f %10.3f\n", "", "float", nf, sf, sf / nf);
  }
  fs::remove_all(dir);
  return 0;
}
