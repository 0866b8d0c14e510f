#include "encoder_fixture.h"

#include <unistd.h>

#include <QProcess>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numbers>
#include <sstream>
#include <thread>

namespace encoder_test {

namespace {

std::uint64_t Little(const Bytes& b, size_t at, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

std::string Id(const Bytes& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

std::optional<WavInfo> Malformed(const std::string& why, bool quiet) {
  if (!quiet) ADD_FAILURE() << "not a valid WAV file: " << why;
  return std::nullopt;
}

void ParseFmt(const Bytes& b, size_t at, std::uint32_t size, WavInfo& w) {
  w.formatTag = w.subFormatTag = static_cast<std::uint16_t>(Little(b, at, 2));
  w.channels = static_cast<std::uint16_t>(Little(b, at + 2, 2));
  w.rate = static_cast<std::uint32_t>(Little(b, at + 4, 4));
  w.byteRate = static_cast<std::uint32_t>(Little(b, at + 8, 4));
  w.blockAlign = static_cast<std::uint16_t>(Little(b, at + 12, 2));
  w.bits = static_cast<std::uint16_t>(Little(b, at + 14, 2));
  if (w.formatTag == 0xFFFE && size >= 40) {
    w.channelMask = static_cast<std::uint32_t>(Little(b, at + 20, 4));
    w.subFormatTag = static_cast<std::uint16_t>(Little(b, at + 24, 2));
  }
}

// Deterministic noise in [-1, 1).
class Noise {
 public:
  explicit Noise(unsigned seed) : state_(seed) {}
  double next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / (1u << 23) - 1.0;
  }

 private:
  std::uint32_t state_;
};

}  // namespace

std::optional<WavInfo> ParseWav(const Bytes& b, bool quiet) {
  WavInfo w;
  w.fileSize = b.size();
  if (b.size() < 12) return Malformed("shorter than 12 bytes", quiet);
  w.riffId = Id(b, 0);
  w.riffSize32 = static_cast<std::uint32_t>(Little(b, 4, 4));
  if ((w.riffId != "RIFF" && w.riffId != "RF64") || Id(b, 8) != "WAVE") return Malformed("no RIFF/RF64 WAVE", quiet);
  bool haveFmt = false;
  size_t pos = 12;
  while (pos + 8 <= b.size()) {
    const std::string id = Id(b, pos);
    const auto size = static_cast<std::uint32_t>(Little(b, pos + 4, 4));
    const size_t body = pos + 8;
    w.chunkIds.push_back(id);
    if (id == "data") {
      w.dataSize32 = size;
      std::uint64_t stated = size;
      if (w.riffId == "RF64") {
        if (!w.ds64Data) return Malformed("RF64 without ds64 before the data", quiet);
        stated = *w.ds64Data;
      } else if (size == 0xFFFFFFFF) {
        stated = b.size() - body;
      }
      if (stated > b.size() - body)
        return Malformed("header states " + std::to_string(stated) + " data bytes, the file holds " +
                             std::to_string(b.size() - body),
                         quiet);
      w.data.assign(b.begin() + body, b.begin() + body + stated);
      if (!haveFmt) return Malformed("data before fmt", quiet);
      return w;
    }
    if (body + size > b.size()) return Malformed("chunk " + id + " runs past the end", quiet);
    if (id == "fmt ") {
      if (size < 16) return Malformed("fmt chunk too short", quiet);
      ParseFmt(b, body, size, w);
      haveFmt = true;
    } else if (id == "ds64") {
      if (size < 28) return Malformed("ds64 chunk too short", quiet);
      w.ds64Riff = Little(b, body, 8);
      w.ds64Data = Little(b, body + 8, 8);
      w.ds64Samples = Little(b, body + 16, 8);
      w.ds64Table = static_cast<std::uint32_t>(Little(b, body + 24, 4));
    } else if (id == "JUNK") {
      w.junk.assign(b.begin() + body, b.begin() + body + size);
    }
    pos = body + size + (size & 1);
  }
  return Malformed("no data chunk", quiet);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<WavInfo> ReadWav(const std::string& path) { return ParseWav(ReadFile(path)); }

Bytes S16Signal(size_t frames, int channels, unsigned seed) {
  Noise noise(seed);
  Bytes out(frames * channels * 2);
  for (size_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double tone = 12000 * std::sin(2 * std::numbers::pi * 440 * (c + 1) * i / 44100.0);
      auto v = static_cast<std::int16_t>(std::clamp(tone + 20000 * noise.next(), -32768.0, 32767.0));
      if (i == 0) v = c % 2 ? 32767 : -32768;  // both ends of the range
      std::memcpy(&out[(i * channels + c) * 2], &v, 2);
    }
  }
  return out;
}

Bytes U8Signal(size_t frames, int channels) {
  Bytes out(frames * channels);
  for (size_t i = 0; i < out.size(); ++i) out[i] = static_cast<std::uint8_t>(i * 7 + i / channels);
  return out;
}

Bytes F32Signal(size_t frames, int channels) {
  Noise noise(7);
  Bytes out(frames * channels * 4);
  for (size_t i = 0; i < frames * channels; ++i) {
    const auto v = static_cast<float>(0.8 * std::sin(0.01 * i) + 0.15 * noise.next());
    std::memcpy(&out[i * 4], &v, 4);
  }
  return out;
}

Float24Signal ExactFloat24Signal(size_t frames, int channels) {
  Noise noise(3);
  Float24Signal s;
  for (size_t i = 0; i < frames * channels; ++i) {
    auto k = static_cast<std::int32_t>(std::floor(noise.next() * 8388608));
    if (i == 0) k = -8388608;
    if (i == 1) k = 8388607;
    const float f = static_cast<float>(k) / 8388608.0f;  // exact: k has at most 24 significant bits
    const auto* fb = reinterpret_cast<const std::uint8_t*>(&f);
    s.floats.insert(s.floats.end(), fb, fb + 4);
    for (int byte = 0; byte < 3; ++byte) s.expected.push_back(static_cast<std::uint8_t>(k >> (8 * byte)));
  }
  return s;
}

void FeedInBlocks(zaudio::Encoder& encoder, const Bytes& bytes, size_t frameBytes) {
  constexpr size_t kFrames[] = {1, 441, 17, 1024, 3, 300};
  size_t at = 0;
  for (size_t i = 0; at < bytes.size(); ++i) {
    const size_t n = std::min(kFrames[i % std::size(kFrames)] * frameBytes, bytes.size() - at);
    encoder.feed(bytes.data() + at, n);
    at += n;
  }
}

Bytes Concat(const Bytes& a, const Bytes& b) {
  Bytes out = a;
  out.insert(out.end(), b.begin(), b.end());
  return out;
}

ProgramRun RunProgram(const QString& program, const QStringList& args) {
  ProgramRun run;
  QProcess p;
  p.start(program, args);
  if (!p.waitForStarted(60000) || !p.waitForFinished(120000)) return run;
  run.finished = p.exitStatus() == QProcess::NormalExit;
  run.exitCode = p.exitCode();
  const QByteArray out = p.readAllStandardOutput();
  run.out.assign(out.begin(), out.end());
  run.err = p.readAllStandardError().toStdString();
  return run;
}

std::vector<int> ChildProcesses() {
  std::vector<int> children;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    // pid (comm) state ppid ...; comm may hold blanks and parentheses.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    std::string state;
    int parent = 0;
    rest >> state >> parent;
    if (parent == ::getpid()) children.push_back(std::stoi(name));
  }
  return children;
}

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

zaudio::Encoder::NotifyProc NotifyLog::proc() {
  return [this](zaudio::DWORD status) {
    {
      std::lock_guard lock(mutex_);
      statuses_.push_back(status);
    }
    arrived_.notify_all();
  };
}

bool NotifyLog::waitForStatus(std::chrono::milliseconds deadline) {
  std::unique_lock lock(mutex_);
  return arrived_.wait_for(lock, deadline, [&] { return !statuses_.empty(); });
}

std::vector<zaudio::DWORD> NotifyLog::statuses() const {
  std::lock_guard lock(mutex_);
  return statuses_;
}

}  // namespace encoder_test
