// CPU cost of a WAV recording through the recording engine next to ffmpeg
// recording the same source from the same sound server, each in CPU seconds
// per second of recorded audio. Run it through bench/record-vs-ffmpeg.sh,
// which starts a private server and plays a tone into its sinks.
//
//   record_vs_ffmpeg [seconds]     (or ZOVEDU_BENCH_SECONDS; default 10)
//
// Engine figures are the whole process's CPU time (every library thread)
// from start to stop; ffmpeg's are its own from launch to exit.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/zaudio.h"
#include "recording/recording_engine.h"
#include "services/message_service.h"

extern char** environ;

namespace {

constexpr const char* kDirectSource = "zovedu_mic";             // a capture source (48 kHz)
constexpr const char* kLoopbackSource = "zovedu_play.monitor";  // the default sink's monitor

class StderrMessages : public MessageService {
 public:
  MsgAnswer show(MsgKind, const QString& text, MsgButtons, const QString&) override {
    std::fprintf(stderr, "engine: %s\n", qPrintable(text));
    return MsgAnswer::Ok;
  }
  [[noreturn]] void endProgram(MsgKind, const QString& text) override {
    std::fprintf(stderr, "engine: %s\n", qPrintable(text));
    std::exit(1);
  }
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }
double CpuSeconds(const rusage& r) { return Seconds(r.ru_utime) + Seconds(r.ru_stime); }

double SelfCpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return CpuSeconds(r);
}

// What a WAV header says, and how much audio the file holds.
struct Wav {
  bool ok = false;
  int rate = 0, channels = 0, bits = 0;
  std::uint32_t byteRate = 0;
  std::uint64_t dataBytes = 0;
  double peak = 0;  // the loudest sample, 1 = full scale
  double seconds() const { return byteRate ? static_cast<double>(dataBytes) / byteRate : 0.0; }
};

std::uint32_t Le(const unsigned char* p, int n) {
  std::uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

// The loudest of the next `bytes` of 16- or 32-bit samples.
double Peak(std::istream& f, std::uint64_t bytes, int bits) {
  if (bits != 16 && bits != 32) return 0;
  const int step = bits / 8;
  double peak = 0;
  std::vector<char> block(1 << 16);
  while (bytes > 0) {
    const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(bytes, block.size()));
    if (!f.read(block.data(), static_cast<std::streamsize>(n))) break;
    const auto* p = reinterpret_cast<const unsigned char*>(block.data());
    for (std::size_t i = 0; i + step <= n; i += step) {
      const double v = bits == 16 ? static_cast<std::int16_t>(Le(p + i, 2)) / 32768.0
                                  : static_cast<std::int32_t>(Le(p + i, 4)) / 2147483648.0;
      peak = std::max(peak, std::abs(v));
    }
    bytes -= n;
  }
  return peak;
}

Wav ReadWav(const std::string& path) {
  Wav w;
  std::error_code ec;
  const std::uint64_t fileSize = std::filesystem::file_size(path, ec);
  std::ifstream f(path, std::ios::binary);
  unsigned char head[12];
  if (ec || !f.read(reinterpret_cast<char*>(head), 12) ||
      (std::memcmp(head, "RIFF", 4) != 0 && std::memcmp(head, "RF64", 4) != 0) || std::memcmp(head + 8, "WAVE", 4) != 0)
    return w;
  unsigned char chunk[8];
  while (f.read(reinterpret_cast<char*>(chunk), 8)) {
    const std::uint32_t size = Le(chunk + 4, 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0 && size >= 16) {
      unsigned char fmt[16];
      f.read(reinterpret_cast<char*>(fmt), 16);
      w.channels = static_cast<int>(Le(fmt + 2, 2));
      w.rate = static_cast<int>(Le(fmt + 4, 4));
      w.byteRate = Le(fmt + 8, 4);
      w.bits = static_cast<int>(Le(fmt + 14, 2));
      f.seekg(size - 16 + (size & 1), std::ios::cur);
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      // An unfinished or 64-bit header leaves the size open: the rest of the file is data.
      const std::uint64_t rest = fileSize - static_cast<std::uint64_t>(f.tellg());
      w.dataBytes = (size == 0 || size == 0xFFFFFFFFu) ? rest : std::min<std::uint64_t>(size, rest);
      w.ok = w.byteRate != 0;
      w.peak = Peak(f, w.dataBytes, w.bits);
      break;
    } else {
      f.seekg(size + (size & 1), std::ios::cur);
    }
  }
  return w;
}

// Adds a warning unless the file holds `seconds` of audio at rate, stereo, bits.
void CheckWav(std::vector<std::string>& warnings, const std::string& what, const Wav& w, double seconds, int rate,
              int bits) {
  char line[256];
  if (!w.ok) {
    warnings.push_back(what + ": no readable WAV file");
    return;
  }
  if (w.rate != rate || w.channels != 2 || w.bits != bits) {
    std::snprintf(line, sizeof line, ": %d Hz, %d channels, %d bits; expected %d Hz, 2 channels, %d bits", w.rate,
                  w.channels, w.bits, rate, bits);
    warnings.push_back(what + line);
  }
  if (std::abs(w.seconds() - seconds) > std::max(0.25, seconds * 0.05)) {
    std::snprintf(line, sizeof line, ": %.3f s of audio; expected %.3f s", w.seconds(), seconds);
    warnings.push_back(what + line);
  }
  if (w.peak < 0.1) {  // the tone plays at half of full scale
    std::snprintf(line, sizeof line, ": peak %.4f of full scale, no tone recorded", w.peak);
    warnings.push_back(what + line);
  }
}

int CaptureIndex(const std::string& driver) {
  zaudio::DeviceInfo info;
  for (zaudio::DWORD i = 0; zaudio::RecordGetDeviceInfo(i, &info); ++i)
    if (info.driver == driver) return static_cast<int>(i);
  return -1;
}

struct Case {
  const char* name;
  int rate;
  int bits;  // the capture request's bits: 32 captures float
  bool mixer;
  // The mixer hands 16-bit samples to the writer, whatever the capture.
  int fileBits() const { return mixer ? 16 : bits; }
};

struct EngineRun {
  double cpu = 0;  // CPU seconds from start to stop
  double longestBlockMs = 0;
  Wav wav;
};

EngineRun RecordWithEngine(const Case& c, const std::string& path, double seconds) {
  EngineRun run;
  const int device = CaptureIndex(c.mixer ? kLoopbackSource : kDirectSource);
  zaudio::RecordFree();
  if (device < 0 || !zaudio::RecordInit(device)) {
    std::fprintf(stderr, "%s: cannot open the capture device (error %d)\n", c.name, zaudio::ErrorGetCode());
    return run;
  }
  RecordingEngine engine([&c](RecordingFailure failure, zaudio::DWORD, const QString& detail) {
    std::fprintf(stderr, "%s: the recording failed (%d) %s\n", c.name, static_cast<int>(failure), qPrintable(detail));
  });
  const double before = SelfCpuSeconds();
  if (!engine.start(CaptureRequest{c.rate, 2, c.bits, c.mixer}, WriterRequest::Wav(QString::fromStdString(path)),
                    SilenceSettings{}, false) ||
      !engine.play()) {
    engine.stop();
    return run;
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  run.longestBlockMs = static_cast<double>(zaudio::ChannelGetLongestBlockTime(engine.FRecordChannel)) / 1000.0;
  engine.stop();
  run.cpu = SelfCpuSeconds() - before;
  run.wav = ReadWav(path);
  return run;
}

struct FfmpegRun {
  double cpu = 0;
  Wav wav;
};

// ffmpeg captures at `captureRate` in the engine's capture sample type and
// writes the engine's output format.
FfmpegRun RecordWithFfmpeg(const Case& c, int captureRate, const std::string& path, double seconds) {
  FfmpegRun run;
  const std::string rate = std::to_string(c.rate), capture = std::to_string(captureRate), length = std::to_string(seconds);
  std::vector<std::string> args{"ffmpeg", "-nostdin", "-loglevel", "error", "-y", "-f", "pulse", "-sample_rate", capture,
                                "-channels", "2"};
  if (c.bits == 32) args.insert(args.end(), {"-c:a", "pcm_f32le"});  // float capture, as the engine's
  args.insert(args.end(), {"-i", c.mixer ? kLoopbackSource : kDirectSource, "-t", length, "-c:a",
                           c.fileBits() == 32 ? "pcm_s32le" : "pcm_s16le", "-ar", rate, path});
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  pid_t pid = 0;
  if (posix_spawnp(&pid, "ffmpeg", nullptr, nullptr, argv.data(), environ) != 0) {
    std::fprintf(stderr, "%s: cannot start ffmpeg\n", c.name);
    return run;
  }
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    std::fprintf(stderr, "%s: ffmpeg failed\n", c.name);
  run.cpu = CpuSeconds(usage);
  run.wav = ReadWav(path);
  return run;
}

double PerAudioSecond(double cpu, const Wav& w) { return w.seconds() > 0 ? cpu / w.seconds() : 0.0; }

}  // namespace

int main(int argc, char** argv) {
  const char* fromEnv = std::getenv("ZOVEDU_BENCH_SECONDS");
  const double seconds = argc > 1 ? std::atof(argv[1]) : fromEnv ? std::atof(fromEnv) : 10.0;
  if (seconds <= 0) {
    std::fprintf(stderr, "usage: %s [seconds]\n", argv[0]);
    return 2;
  }
  StderrMessages messages;
  SetMessageService(&messages);

  zaudio::SetConfig(zaudio::CONFIG_REC_LOOPBACK, 1);
  zaudio::Info out;
  if (!zaudio::Init(-1, 44100, 0) || !zaudio::GetInfo(&out)) {
    std::fprintf(stderr, "no sound server (error %d)\n", zaudio::ErrorGetCode());
    return 1;
  }
  QTemporaryDir dir;
  if (!dir.isValid()) return 1;

  const Case cases[] = {
      {"44100 Hz 16-bit direct", 44100, 16, false},
      {"44100 Hz 16-bit mixer", 44100, 16, true},
      {"192000 Hz 32-bit direct", 192000, 32, false},
      {"192000 Hz 32-bit mixer", 192000, 32, true},
  };
  std::printf("%.0f s per recording; direct: %s, mixer: %s (%u Hz, %u channels)\n", seconds, kDirectSource,
              kLoopbackSource, out.freq, out.speakers);
  std::printf("CPU figures are CPU seconds per second of recorded audio; 32-bit captures float and\n"
              "writes 32-bit WAV on the direct path, 16-bit WAV on the mixer path (ffmpeg alike)\n\n");
  std::printf("%-24s %11s %11s %7s %10s %10s %10s\n", "case", "engine CPU", "ffmpeg CPU", "ratio", "block ms",
              "engine s", "ffmpeg s");
  std::vector<std::string> warnings;
  int index = 0;
  for (const Case& c : cases) {
    const std::string base = dir.filePath(QString::number(index++)).toStdString();
    const EngineRun engine = RecordWithEngine(c, base + "-engine.wav", seconds);
    const FfmpegRun ffmpeg =
        RecordWithFfmpeg(c, c.mixer ? static_cast<int>(out.freq) : c.rate, base + "-ffmpeg.wav", seconds);
    const double e = PerAudioSecond(engine.cpu, engine.wav), f = PerAudioSecond(ffmpeg.cpu, ffmpeg.wav);
    std::printf("%-24s %11.4f %11.4f %7.2f %10.2f %10.3f %10.3f\n", c.name, e, f, f > 0 ? e / f : 0.0,
                engine.longestBlockMs, engine.wav.seconds(), ffmpeg.wav.seconds());
    CheckWav(warnings, std::string(c.name) + ", engine", engine.wav, seconds, c.rate, c.fileBits());
    CheckWav(warnings, std::string(c.name) + ", ffmpeg", ffmpeg.wav, seconds, c.rate, c.fileBits());
    std::fflush(stdout);
  }
  if (!warnings.empty()) std::printf("\n");
  for (const auto& w : warnings) std::printf("warning: %s\n", w.c_str());
  zaudio::RecordFree();
  zaudio::Free();
  SetMessageService(nullptr);
  return 0;
}
