// CPU time of playing a recording and of drawing its waveform, next to
// ffmpeg, ffplay and paplay on the same files: a generated piece of
// music-like sound (44100 Hz, 16-bit, stereo; 10 minutes unless told
// otherwise) as WAV and encoded to FLAC (flac), MP3 (lame) and APE (our MAC
// in bin/).
//
//   ninja -C build MAC playback_vs_ffmpeg
//   eval "$(scripts/pulse/start-test-server.sh)"     # or any running server
//   build/bench/playback_vs_ffmpeg [minutes] [play seconds] [runs]
//   scripts/pulse/stop-test-server.sh "$ZOVEDU_PULSE_PID"
//
// Waveform scan: the window's own loop (ScanLevels, 318 columns) over a
// decode-only stream of the file, from making the stream to the last
// column; our CPU time (RUSAGE_SELF). Next to it ffmpeg decoding the file to
// the null muxer, and ffmpeg drawing the waveform picture (showwavespic at
// 318x25), their CPU time from RUSAGE_CHILDREN. With several runs the lowest
// time of each counts.
//
// Playback: the file played for `play seconds` (default 60) through the
// PulseAudio output, from making the stream to stopping it; our CPU time
// (RUSAGE_SELF: the output's and the stream's threads are this process's)
// per second heard. Next to it paplay playing the WAV and ffplay -nodisp
// playing the same file, each ended after as long; their CPU time
// (RUSAGE_CHILDREN) per second played. This part needs a sound server: the
// program starts none, it plays to the default one or to PULSE_SERVER (the
// test server above has null sinks, which take the sound at the pace of a
// sound card). The play seconds are at most the length of the files.
// Without a server, or with 0 play seconds, it only scans.
// Without ffplay on PATH its column says so.
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/scan_thread.h"
#include "audio/zaudio.h"
#include "bench_support.h"

namespace {

namespace fs = std::filesystem;
using namespace zaudio;

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kColumns = 318;  // the width of the window's waveform bar

// Something like music: a melody and a bass line of plucked notes with a few
// harmonics on a pentatonic scale, a noise burst on every beat, the voices
// panned apart, written in one-second blocks.
void WriteMusicWav(const fs::path& path, double seconds) {
  const auto frames = static_cast<std::uint32_t>(seconds * kRate);
  std::ofstream out(path, std::ios::binary);
  const std::string header = bench::WavHeader(kChannels, kRate, 16, frames * kChannels * 2);
  out.write(header.data(), static_cast<std::streamsize>(header.size()));

  std::uint32_t seed = 7;
  auto random = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed / 4294967296.0;
  };
  const double scale[] = {0, 2, 4, 7, 9, 12, 14, 16};
  constexpr std::uint32_t kBeat = kRate / 4;  // 240 beats a minute
  struct Note {
    double freq = 0, phase = 0;
    std::uint32_t age = 0;
  };
  Note melody, bass;
  double noiseEnv = 0;
  std::vector<std::int16_t> block;
  for (std::uint32_t done = 0; done < frames;) {
    const std::uint32_t n = std::min<std::uint32_t>(frames - done, kRate);
    block.resize(static_cast<size_t>(n) * kChannels);
    for (std::uint32_t i = 0; i < n; ++i) {
      const std::uint32_t t = done + i;
      if (t % kBeat == 0) {
        if (random() < 0.7) melody = {440.0 * std::pow(2.0, (scale[static_cast<int>(random() * 8)] - 9) / 12), 0, 0};
        if (t % (4 * kBeat) == 0) bass = {110.0 * std::pow(2.0, scale[static_cast<int>(random() * 5)] / 12), 0, 0};
        noiseEnv = 0.3 + 0.2 * random();
      }
      auto voice = [](Note& v, double decay) {
        const double env = std::exp(-static_cast<double>(v.age++) / (decay * kRate));
        const double s = std::sin(v.phase) + 0.4 * std::sin(2 * v.phase) + 0.2 * std::sin(3 * v.phase);
        v.phase = std::fmod(v.phase + 2 * std::numbers::pi * v.freq / kRate, 2 * std::numbers::pi);
        return env * s;
      };
      const double m = voice(melody, 0.25), b = voice(bass, 0.8);
      const double noise = noiseEnv * (2 * random() - 1);
      noiseEnv *= 0.9995;
      const double left = 0.30 * m + 0.25 * b + 0.10 * noise;
      const double right = 0.15 * m + 0.25 * b + 0.15 * noise;
      block[2 * i] = static_cast<std::int16_t>(std::lround(std::clamp(left, -1.0, 1.0) * 32767));
      block[2 * i + 1] = static_cast<std::int16_t>(std::lround(std::clamp(right, -1.0, 1.0) * 32767));
    }
    out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 2));
    done += n;
  }
}

using Creator = HSTREAM (*)(bool, const char*, QWORD, QWORD, DWORD);

struct File {
  const char* name;
  fs::path path;
  Creator create;
};

// Our scan's CPU seconds, or -1 when the stream cannot be made.
double ScanSeconds(const File& f) {
  const double start = bench::RusageSeconds(RUSAGE_SELF);
  const HSTREAM h = f.create(false, f.path.c_str(), 0, 0, STREAM_DECODE);
  if (!h) return -1;
  const QWORD length = ChannelGetLength(h, POS_BYTE);
  const QWORD bytesPerPixel = std::max<QWORD>(length / kColumns, ChannelSeconds2Bytes(h, 0.02));
  WaveLevels levels(kColumns);
  const std::atomic<bool> stop{false};
  ScanLevels(h, false, bytesPerPixel, levels, stop);
  const QWORD reached = ChannelGetPosition(h, POS_BYTE);
  StreamFree(h);
  const double seconds = bench::RusageSeconds(RUSAGE_SELF) - start;
  if (reached == QWORD(-1) || reached < bytesPerPixel * kColumns)
    std::fprintf(stderr, "%s: the scan ended early, at byte %llu of %llu\n", f.name,
                 static_cast<unsigned long long>(reached), static_cast<unsigned long long>(length));
  return seconds;
}

double FfmpegSeconds(std::vector<std::string> args) {
  args.insert(args.begin(), {"ffmpeg", "-nostdin", "-v", "error", "-y"});
  const bench::ChildRun run = bench::RunChild(args, bench::ChildStdout::Discard);
  if (!run.ok()) std::fprintf(stderr, "%s\n", run.error.c_str());
  return run.ok() ? run.cpuSeconds : -1;
}

// A player run for `seconds` and then ended with SIGTERM: its CPU seconds
// (RUSAGE_CHILDREN), or nothing when it did not start or ended by itself
// before (it could not play).
std::optional<double> PlayerSeconds(std::vector<std::string> argv, double seconds) {
  std::vector<char*> args;
  for (auto& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  const double before = bench::RusageSeconds(RUSAGE_CHILDREN);
  pid_t pid = -1;
  const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) return std::nullopt;
  int status = 0;
  bool endedEarly = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      endedEarly = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  if (!endedEarly) {
    ::kill(pid, SIGTERM);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (endedEarly) return std::nullopt;
  return bench::RusageSeconds(RUSAGE_CHILDREN) - before;
}

struct Played {
  double cpu = -1;    // seconds
  double heard = 0;   // seconds
};

// Our playback of the file for `seconds` of wall time.
Played PlaySeconds(const File& f, double seconds) {
  Played p;
  const double start = bench::RusageSeconds(RUSAGE_SELF);
  const HSTREAM h = f.create(false, f.path.c_str(), 0, 0, 0);
  if (!h || !ChannelPlay(h, false)) {
    if (h) StreamFree(h);
    return p;
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const QWORD heard = ChannelGetPosition(h, POS_BYTE);
  ChannelStop(h);
  StreamFree(h);
  p.cpu = bench::RusageSeconds(RUSAGE_SELF) - start;
  p.heard = heard == QWORD(-1) ? 0 : static_cast<double>(heard) / (kRate * kChannels * 2);
  return p;
}

bool OnPath(const char* program) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t at = 0; at <= dirs.size();) {
    const size_t end = std::min(dirs.find(':', at), dirs.size());
    if (::access((fs::path(dirs.substr(at, end - at)) / program).c_str(), X_OK) == 0) return true;
    at = end + 1;
  }
  return false;
}

// bin/MAC of this build: build/out/bin beside build/bench.
fs::path OurMac() {
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return self.parent_path().parent_path() / "out" / "bin" / "MAC";
}

std::string Ratio(double ours, double theirs) {
  if (ours < 0 || theirs <= 0) return "-";
  char s[32];
  std::snprintf(s, sizeof s, "%.2f", ours / theirs);
  return s;
}

std::string Figure(double v, const char* format = "%.3f") {
  if (v < 0) return "-";
  char s[32];
  std::snprintf(s, sizeof s, format, v);
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  const double minutes = argc > 1 ? std::atof(argv[1]) : 10;
  const double playSeconds = argc > 2 ? std::atof(argv[2]) : 60;
  const int runs = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1;
  if (minutes <= 0 || playSeconds < 0 || playSeconds > minutes * 60) {
    std::fprintf(stderr, "usage: %s [minutes] [play seconds] [runs]\n", argv[0]);
    return 2;
  }
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each row as it comes: the playback takes minutes
  char dirTemplate[] = "/tmp/playback-vs-ffmpeg.XXXXXX";
  if (!mkdtemp(dirTemplate)) return 1;
  const fs::path dir = dirTemplate;
  const fs::path wav = dir / "music.wav";
  WriteMusicWav(wav, minutes * 60);

  std::vector<File> files = {{"WAV", wav, &StreamCreateFile}};
  auto encode = [&](const char* name, const char* file, Creator create, std::vector<std::string> args) {
    const bench::ChildRun run = bench::RunChild(args, bench::ChildStdout::Discard);
    if (run.ok())
      files.push_back({name, dir / file, create});
    else
      std::fprintf(stderr, "%s skipped: %s\n", name, run.error.c_str());
  };
  encode("FLAC", "music.flac", &FLAC_StreamCreateFile,
         {"flac", "-s", "-f", "-o", (dir / "music.flac").string(), wav.string()});
  encode("MP3", "music.mp3", &StreamCreateFile,
         {"lame", "--quiet", "-b", "128", wav.string(), (dir / "music.mp3").string()});
  encode("APE", "music.ape", &APE_StreamCreateFile, {OurMac().string(), wav.string(), (dir / "music.ape").string(), "-c2000"});

  std::printf("%.1f min of music-like 44100 Hz 16-bit stereo; CPU seconds, lowest of %d run(s)\n\n", minutes, runs);
  std::printf("Waveform scan (%d columns)\n", kColumns);
  std::printf("%-6s %9s %12s %12s %10s %12s\n", "file", "ours", "ffmpeg null", "ratio", "wavespic", "ratio");
  int failed = 0;
  const std::string picture = (dir / "wave.png").string();
  for (const File& f : files) {
    const double ours = bench::Lowest(runs, [&] { return ScanSeconds(f); });
    const double null = bench::Lowest(runs, [&] { return FfmpegSeconds({"-i", f.path.string(), "-f", "null", "-"}); });
    const double pic = bench::Lowest(runs, [&] {
      return FfmpegSeconds({"-i", f.path.string(), "-filter_complex", "showwavespic=s=318x25", "-frames:v", "1", picture});
    });
    if (ours < 0) {
      std::fprintf(stderr, "%s: no decode stream, error %d\n", f.name, ErrorGetCode());
      ++failed;
    }
    std::printf("%-6s %9s %12s %12s %10s %12s\n", f.name, Figure(ours).c_str(), Figure(null).c_str(),
                Ratio(ours, null).c_str(), Figure(pic).c_str(), Ratio(ours, pic).c_str());
  }

  if (playSeconds > 0) {
    std::printf("\nPlayback for %.0f s: CPU ms per second played\n", playSeconds);
    if (!Init(-1, kRate, 0)) {
      std::printf("no output (error %d): start a sound server or set PULSE_SERVER; playback skipped\n",
                  ErrorGetCode());
    } else {
      const bool haveFfplay = OnPath("ffplay");
      const auto paplay = PlayerSeconds({"paplay", wav.string()}, playSeconds);
      const double paplayRate = paplay ? *paplay / playSeconds : -1;
      std::printf("paplay (WAV): %s ms/s\n", paplay ? Figure(1000 * paplayRate, "%.2f").c_str() : "could not play");
      if (!haveFfplay) std::printf("ffplay is not installed: its column is skipped\n");
      std::printf("%-6s %9s %9s %14s %11s %14s\n", "file", "heard s", "ours", "ours/paplay", "ffplay", "ours/ffplay");
      for (const File& f : files) {
        const Played p = PlaySeconds(f, playSeconds);
        const double ours = p.cpu >= 0 && p.heard > 0 ? p.cpu / p.heard : -1;
        if (ours < 0) {
          std::fprintf(stderr, "%s: playback failed, error %d\n", f.name, ErrorGetCode());
          ++failed;
        }
        std::string ffplay = "skipped", ratio = "-";
        if (haveFfplay) {
          const auto t = PlayerSeconds({"ffplay", "-nodisp", "-autoexit", "-loglevel", "error", f.path.string()},
                                       playSeconds);
          ffplay = t ? Figure(1000 * *t / playSeconds, "%.2f") : "no play";
          if (t) ratio = Ratio(ours, *t / playSeconds);
        }
        std::printf("%-6s %9s %9s %14s %11s %14s\n", f.name, Figure(p.heard, "%.1f").c_str(),
                    Figure(1000 * ours, "%.2f").c_str(), Ratio(ours, paplayRate).c_str(), ffplay.c_str(),
                    ratio.c_str());
      }
      Free();
    }
  }
  fs::remove_all(dir);
  return failed ? 1 : 0;
}
