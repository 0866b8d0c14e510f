// Our Monkey's Audio encoder (the zmac library, called directly) at every
// level, next to flac -8 and wavpack -hh encoding the same WAV: CPU seconds
// per second of audio and the compressed size as a share of the PCM.
//
//   ninja -C build ape_levels_vs_flac_wavpack
//   build/bench/ape_levels_vs_flac_wavpack [input.wav]
//
// The input is 16- or 24-bit PCM, mono or stereo. Without one, the spoken
// recordings of alsa-utils (/usr/share/sounds/alsa, 48 kHz mono) become a
// stereo file: two voices, one panned to each side, repeated with the
// recordings in a new order each time up to ZOVEDU_BENCH_SECONDS (default 60)
// seconds. Our figures are this process's CPU time for Create, write and
// finish; flac's and wavpack's are their own (RUSAGE_CHILDREN), from launch
// to exit.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "ape_file_writer.h"
#include "bench_support.h"
#include "wav_input.h"

namespace {

namespace fs = std::filesystem;

struct Audio {
  ape::AudioFormat format;
  std::vector<std::int32_t> samples;  // interleaved, in the range of format.bitsPerSample
  std::size_t blocks() const { return samples.size() / static_cast<std::size_t>(format.channels); }
  double seconds() const { return static_cast<double>(blocks()) / format.sampleRate; }
  std::size_t pcmBytes() const { return samples.size() * static_cast<std::size_t>(format.bitsPerSample / 8); }
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "ape_levels_vs_flac_wavpack: %s\n", message.c_str());
  std::exit(1);
}

// A WAV file's samples through the reader bin/MAC uses.
Audio ReadWav(const fs::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) Fail("cannot open " + path.string() + ": " + std::strerror(errno));
  wavin::Input input(fd);
  std::string error;
  if (!input.open(error)) Fail(path.string() + ": " + error);
  const wavin::Format& f = input.format();
  if (f.encoding != wavin::Encoding::Signed16 && f.encoding != wavin::Encoding::Signed24)
    Fail(path.string() + ": only 16- and 24-bit PCM");
  Audio audio{{f.channels, f.bits, f.rate}, {}};
  std::vector<std::int32_t> chunk;
  while (input.readInt32(chunk, 65536) > 0)
    for (std::int32_t s : chunk) audio.samples.push_back(s >> (32 - f.bits));  // the reader fills the top bits
  ::close(fd);
  return audio;
}

void WriteWav(const fs::path& path, const Audio& a) {
  const int width = a.format.bitsPerSample / 8;
  const auto dataBytes = static_cast<std::uint32_t>(a.pcmBytes());
  std::string b = bench::WavHeader(a.format.channels, a.format.sampleRate, a.format.bitsPerSample, dataBytes);
  b.reserve(b.size() + dataBytes + 1);
  for (std::int32_t s : a.samples) bench::Put(b, static_cast<std::uint32_t>(s), width);
  if (dataBytes & 1) b.push_back(0);  // a chunk of odd size is padded
  std::ofstream out(path, std::ios::binary);
  out.write(b.data(), static_cast<std::streamsize>(b.size()));
  if (!out) Fail("cannot write " + path.string());
}

// The default input: the spoken recordings, two voices panned left and
// right, repeated with the recordings rotated so no stretch repeats exactly.
Audio SpeechStereo(double seconds) {
  std::vector<fs::path> paths;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator("/usr/share/sounds/alsa", ec))
    if (e.path().extension() == ".wav" && e.path().stem() != "Noise") paths.push_back(e.path());
  std::sort(paths.begin(), paths.end());
  if (paths.size() < 2) Fail("no input given and no recordings in /usr/share/sounds/alsa (apt-get install alsa-utils)");
  std::vector<std::vector<std::int32_t>> voices;
  for (const auto& p : paths) {
    Audio one = ReadWav(p);
    if (one.format.channels != 1 || one.format.sampleRate != 48000 || one.format.bitsPerSample != 16)
      Fail(p.string() + " is not 48 kHz 16-bit mono");
    voices.push_back(std::move(one.samples));
  }
  Audio audio{{2, 16, 48000}, {}};
  const auto wanted = static_cast<std::size_t>(seconds * 48000);
  for (std::size_t round = 0; audio.blocks() < wanted; ++round) {
    std::vector<std::int32_t> a, b;
    for (std::size_t i = 0; i < voices.size(); ++i) {
      auto& to = i < voices.size() / 2 ? a : b;
      const auto& v = voices[(i + round) % voices.size()];
      to.insert(to.end(), v.begin(), v.end());
    }
    for (std::size_t i = 0; i < std::min(a.size(), b.size()) && audio.blocks() < wanted; ++i)
      audio.samples.insert(audio.samples.end(), {(2 * a[i] + b[i]) / 3, (a[i] + 2 * b[i]) / 3});
  }
  return audio;
}

struct Result {
  double cpuSeconds = 0;
  std::uintmax_t bytes = 0;
};

Result EncodeApe(const Audio& a, int level, const fs::path& out) {
  const double start = bench::ProcessCpuSeconds();
  std::string error;
  auto writer = ape::FileWriter::Create(out.string(), a.format, level, a.blocks(), error);
  if (!writer) Fail("level " + std::to_string(level) + ": " + error);
  // The pieces bin/MAC hands over as it reads its input.
  constexpr std::size_t kPiece = 16384;
  const auto channels = static_cast<std::size_t>(a.format.channels);
  for (std::size_t done = 0; done < a.blocks(); done += kPiece) {
    const std::size_t take = std::min(kPiece, a.blocks() - done);
    if (!writer->write(a.samples.data() + done * channels, take, error)) Fail(error);
  }
  if (!writer->finish(error)) Fail(error);
  const double cpu = bench::ProcessCpuSeconds() - start;
  return {cpu, fs::file_size(out)};
}

// Runs the program (found on PATH) to its end, its output to /dev/null.
Result RunTool(std::vector<std::string> argv, const fs::path& out) {
  const bench::ChildRun run = bench::RunChild(std::move(argv), bench::ChildStdout::Discard);
  if (!run.ok()) Fail(run.error);
  return {run.cpuSeconds, fs::file_size(out)};
}

void Row(const std::string& name, const Result& r, const Audio& a, const Result* flac) {
  const double cpuPerSecond = r.cpuSeconds / a.seconds();
  std::printf("%-14s %12.4f %10.0fx %12ju %8.2f%%", name.c_str(), cpuPerSecond,
              cpuPerSecond > 0 ? 1 / cpuPerSecond : 0.0, r.bytes,
              100.0 * static_cast<double>(r.bytes) / static_cast<double>(a.pcmBytes()));
  if (flac) std::printf(" %9.2f%%", 100.0 * static_cast<double>(r.bytes) / static_cast<double>(flac->bytes));
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  const char* secondsText = std::getenv("ZOVEDU_BENCH_SECONDS");
  const double seconds = secondsText ? std::atof(secondsText) : 60;
  const Audio audio = argc > 1 ? ReadWav(argv[1]) : SpeechStereo(seconds > 0 ? seconds : 60);

  char pattern[] = "/tmp/ape-bench-XXXXXX";
  if (!::mkdtemp(pattern)) Fail("cannot create a scratch directory");
  const fs::path dir = pattern;
  const fs::path wav = dir / "in.wav";
  WriteWav(wav, audio);

  std::printf("%s: %.1f s, %d channel(s), %d-bit, %d Hz, %zu bytes of PCM\n",
              argc > 1 ? argv[1] : "speech (alsa-utils) in stereo", audio.seconds(), audio.format.channels,
              audio.format.bitsPerSample, audio.format.sampleRate, audio.pcmBytes());
  std::printf("CPU = user+sys seconds per second of audio; speed = audio seconds per CPU second\n\n");
  std::printf("%-14s %12s %11s %12s %9s %10s\n", "encoder", "CPU", "speed", "bytes", "of PCM", "of flac");

  const Result flac = RunTool({"flac", "-8", "--silent", "--force", "-o", (dir / "out.flac").string(), wav.string()},
                              dir / "out.flac");
  const Result wavpack = RunTool({"wavpack", "-hh", "-q", "-y", wav.string(), "-o", (dir / "out.wv").string()},
                                 dir / "out.wv");
  for (int level : {1000, 2000, 3000, 4000, 5000}) {
    const fs::path out = dir / ("c" + std::to_string(level) + ".ape");
    Row("APE -c" + std::to_string(level), EncodeApe(audio, level, out), audio, &flac);
    fs::remove(out);
  }
  Row("flac -8", flac, audio, &flac);
  Row("wavpack -hh", wavpack, audio, &flac);
  fs::remove_all(dir);
  return 0;
}
