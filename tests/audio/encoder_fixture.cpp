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
