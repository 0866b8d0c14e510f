#include "audio/virtual/virtual_backend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <utility>

#include "audio/channel_layout.h"
#include "audio/playback_buffer.h"
#include "audio/sample_convert.h"

namespace zaudio {

struct VirtualBackend::StreamState {
  CaptureFormat format;
  CaptureSink sink;
  CaptureEnded ended;
  VirtualSignal signal;
  std::uint64_t position = 0;  // frames delivered
  std::atomic<bool> paused{false};
  std::atomic<bool> stopped{false};
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  std::uint64_t pacedFrames = 0;  // frames the pacer has accounted for
  std::vector<float> floats;
  std::vector<unsigned char> bytes;
};

struct VirtualBackend::PlaybackState {
  CaptureFormat format;
  std::shared_ptr<PlaybackBuffer> buffer;
  std::atomic<bool> paused{false};
  std::atomic<bool> stopped{false};
  std::mutex heardMutex;
  std::uint64_t heard = 0;       // frames played since the start or the last flush
  std::uint64_t flushes = 0;     // a read that straddles a flush does not count
  std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  std::uint64_t pacedFrames = 0;
  std::vector<std::uint8_t> bytes;
};

class VirtualBackend::Playback final : public PlaybackStream {
 public:
  Playback(VirtualBackend* backend, std::shared_ptr<PlaybackState> state)
      : backend_(backend), state_(std::move(state)) {}
  ~Playback() override { stop(); }
  bool pause() override {
    state_->paused = true;
    return !state_->stopped;
  }
  bool resume() override {
    state_->paused = false;
    return !state_->stopped;
  }
  void flush() override {
    std::lock_guard lock(state_->heardMutex);
    state_->heard = 0;
    ++state_->flushes;
  }
  std::uint64_t heardFrames() override {
    std::lock_guard lock(state_->heardMutex);
    return state_->heard;
  }
  bool drained() override { return state_->buffer->drained(); }
  void stop() override { backend_->stopPlayback(state_); }

 private:
  VirtualBackend* backend_;
  std::shared_ptr<PlaybackState> state_;
};

class VirtualBackend::Stream final : public CaptureStream {
 public:
  Stream(VirtualBackend* backend, std::shared_ptr<StreamState> state)
      : backend_(backend), state_(std::move(state)) {}
  ~Stream() override { stop(); }
  bool resume() override {
    state_->paused = false;
    return !state_->stopped;
  }
  bool pause() override {
    state_->paused = true;
    return !state_->stopped;
  }
  void stop() override { backend_->stopStream(state_); }

 private:
  VirtualBackend* backend_;
  std::shared_ptr<StreamState> state_;
};

VirtualBackend::VirtualBackend(Pacing pacing) : pacing_(pacing) {
  if (pacing_ == Pacing::RealTime) pacerThread_ = std::thread([this] { pacer(); });
}

VirtualBackend::~VirtualBackend() {
  quit_ = true;
  if (pacerThread_.joinable()) pacerThread_.join();
  for (auto& s : liveStreams()) stopStream(s);
  for (auto& p : livePlaybacks()) stopPlayback(p);
}

void VirtualBackend::addCaptureDevice(VirtualDevice device) {
  std::lock_guard lock(mutex_);
  devices_.push_back(std::move(device));
}

void VirtualBackend::removeCaptureDevice(const std::string& name) {
  std::lock_guard lock(mutex_);
  for (size_t i = 0; i < devices_.size(); ++i) {
    if (devices_[i].name != name) continue;
    devices_.erase(devices_.begin() + static_cast<std::ptrdiff_t>(i));
    if (open_ == static_cast<int>(i))
      open_ = -1;
    else if (open_ > static_cast<int>(i))
      --open_;
    return;
  }
}

void VirtualBackend::addOutputDevice(std::string name, bool isDefault, DWORD rate, DWORD speakers) {
  std::lock_guard lock(mutex_);
  outputs_.push_back({std::move(name), isDefault, rate, speakers});
}

void VirtualBackend::setSignal(int device, VirtualSignal signal) {
  std::lock_guard lock(mutex_);
  if (device >= 0 && device < static_cast<int>(devices_.size()))
    devices_[device].signal = std::move(signal);
}

std::vector<VirtualDevice> VirtualBackend::captureDeviceState() const {
  std::lock_guard lock(mutex_);
  return devices_;
}

int VirtualBackend::openDevice() const {
  std::lock_guard lock(mutex_);
  return open_;
}

int VirtualBackend::runningCaptures() const { return static_cast<int>(liveStreams().size()); }

// Output side.

int VirtualBackend::initOutput(int device) {
  std::lock_guard lock(mutex_);
  if (failOutput_ || outputs_.empty()) return ERROR_DEVICE;
  if (device < 0) {
    auto it = std::find_if(outputs_.begin(), outputs_.end(), [](const Output& o) { return o.isDefault; });
    device = it == outputs_.end() ? 0 : static_cast<int>(it - outputs_.begin());
  }
  if (device >= static_cast<int>(outputs_.size())) return ERROR_DEVICE;
  output_ = device;
  return OK;
}

void VirtualBackend::freeOutput() {
  std::lock_guard lock(mutex_);
  output_ = -2;
}

std::vector<BackendDevice> VirtualBackend::outputDevices() {
  std::lock_guard lock(mutex_);
  std::vector<BackendDevice> out;
  for (const auto& o : outputs_) out.push_back({o.name, o.name, o.isDefault ? DEVICE_DEFAULT : 0u});
  return out;
}

bool VirtualBackend::outputInfo(OutputInfo& info) {
  std::lock_guard lock(mutex_);
  if (output_ < 0) return false;
  info = {outputs_[output_].rate, outputs_[output_].speakers};
  return true;
}

bool VirtualBackend::setOutputVolume(float volume) {
  std::lock_guard lock(mutex_);
  if (output_ < 0) return false;
  volume_ = std::clamp(volume, 0.0f, 1.0f);
  return true;
}

float VirtualBackend::outputVolume() {
  std::lock_guard lock(mutex_);
  return output_ < 0 ? -1.0f : volume_;
}

// Capture side.

std::vector<int> VirtualBackend::visibleIndexes(bool includeLoopback) const {
  std::vector<int> idx;
  for (size_t i = 0; i < devices_.size(); ++i)
    if (includeLoopback || !(devices_[i].flags & DEVICE_LOOPBACK)) idx.push_back(static_cast<int>(i));
  return idx;
}

std::vector<BackendDevice> VirtualBackend::captureDevices(bool includeLoopback) {
  std::lock_guard lock(mutex_);
  std::vector<BackendDevice> out;
  for (int i : visibleIndexes(includeLoopback))
    out.push_back({devices_[i].name, devices_[i].name, devices_[i].flags});
  return out;
}

int VirtualBackend::openCapture(const std::string& id) {
  std::lock_guard lock(mutex_);
  int index = -1;
  for (size_t i = 0; i < devices_.size(); ++i) {
    const bool match = id.empty() ? (devices_[i].flags & DEVICE_DEFAULT) != 0 : devices_[i].name == id;
    if (match) {
      index = static_cast<int>(i);
      break;
    }
  }
  // Without a default device, the first one that is no loopback device.
  if (index < 0 && id.empty())
    for (size_t i = 0; i < devices_.size() && index < 0; ++i)
      if (!(devices_[i].flags & DEVICE_LOOPBACK)) index = static_cast<int>(i);
  if (index < 0) return ERROR_DEVICE;
  if (devices_[index].failOpen) return ERROR_DRIVER;
  open_ = index;
  return OK;
}

void VirtualBackend::closeCapture() {
  std::lock_guard lock(mutex_);
  open_ = -1;
}

DWORD VirtualBackend::captureRate() {
  std::lock_guard lock(mutex_);
  return open_ < 0 ? 0 : devices_[open_].rate;
}

std::vector<BackendInput> VirtualBackend::inputs() {
  std::lock_guard lock(mutex_);
  std::vector<BackendInput> out;
  if (open_ < 0) return out;
  for (const auto& in : devices_[open_].inputs) out.push_back({in.name, in.type, in.on, in.volume});
  return out;
}

bool VirtualBackend::setInput(int input, int on, float volume) {
  std::lock_guard lock(mutex_);
  if (open_ < 0) return false;
  auto& ins = devices_[open_].inputs;
  if (input < 0 || input >= static_cast<int>(ins.size())) return false;
  if (on != 0) ins[input].on = on > 0;
  if (volume >= 0) ins[input].volume = std::min(volume, 1.0f);
  return true;
}

std::unique_ptr<CaptureStream> VirtualBackend::startCapture(const CaptureFormat& format, bool paused,
                                                            CaptureSink sink, CaptureEnded ended,
                                                            int& error) {
  std::lock_guard lock(mutex_);
  if (open_ < 0) {
    error = ERROR_INIT;
    return nullptr;
  }
  if (format.rate == 0 || format.channels == 0 || format.channels > kMaxChannels) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  auto state = std::make_shared<StreamState>();
  state->format = format;
  state->sink = std::move(sink);
  state->ended = std::move(ended);
  state->signal = devices_[open_].signal;
  state->paused = paused;
  streams_.push_back(state);
  error = OK;
  return std::make_unique<Stream>(this, std::move(state));
}

std::vector<std::shared_ptr<VirtualBackend::StreamState>> VirtualBackend::liveStreams() const {
  std::lock_guard lock(mutex_);
  return streams_;
}

void VirtualBackend::stopStream(const std::shared_ptr<StreamState>& s) {
  std::lock_guard deliverLock(deliverMutex_);
  s->stopped = true;
  std::lock_guard lock(mutex_);
  std::erase(streams_, s);
}

void VirtualBackend::failCaptures() {
  std::lock_guard deliverLock(deliverMutex_);
  for (auto& s : liveStreams()) {
    s->stopped = true;
    {
      std::lock_guard lock(mutex_);
      std::erase(streams_, s);
    }
    if (s->ended) s->ended();
  }
}

size_t VirtualBackend::pump(size_t frames, size_t blockFrames) {
  std::lock_guard deliverLock(deliverMutex_);
  for (auto& s : liveStreams()) deliver(*s, frames, blockFrames);
  for (auto& p : livePlaybacks()) play(*p, frames, true, true);
  return frames;
}

std::unique_ptr<PlaybackStream> VirtualBackend::startPlayback(const CaptureFormat& format,
                                                              std::shared_ptr<PlaybackBuffer> buffer,
                                                              int& error) {
  std::lock_guard lock(mutex_);
  if (output_ < 0) {
    error = ERROR_INIT;
    return nullptr;
  }
  if (format.rate == 0 || format.channels == 0 || format.channels > kMaxChannels || !buffer) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  auto state = std::make_shared<PlaybackState>();
  state->format = format;
  state->buffer = std::move(buffer);
  playbacks_.push_back(state);
  error = OK;
  return std::make_unique<Playback>(this, std::move(state));
}

std::vector<std::shared_ptr<VirtualBackend::PlaybackState>> VirtualBackend::livePlaybacks() const {
  std::lock_guard lock(mutex_);
  return playbacks_;
}

int VirtualBackend::runningPlaybacks() const { return static_cast<int>(livePlaybacks().size()); }

void VirtualBackend::stopPlayback(const std::shared_ptr<PlaybackState>& p) {
  std::lock_guard deliverLock(deliverMutex_);
  p->stopped = true;
  std::lock_guard lock(mutex_);
  std::erase(playbacks_, p);
}

std::vector<std::uint8_t> VirtualBackend::takePlayed() {
  std::lock_guard lock(mutex_);
  return std::exchange(played_, {});
}

void VirtualBackend::play(PlaybackState& p, size_t frames, bool wait, bool keep) {
  const size_t frameBytes = static_cast<size_t>(p.format.channels) * 2;
  // A channel's thread on a busy machine may take a while; a deadline keeps
  // a channel that never delivers from hanging the caller.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const size_t piece = std::max<size_t>(1, p.buffer->capacityBytes() / frameBytes / 2);
  while (frames > 0 && !p.paused && !p.stopped) {
    const size_t want = std::min(frames, piece);
    if (wait) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || !p.buffer->waitReadable(want * frameBytes, left)) return;
    }
    std::uint64_t flushes = 0;
    {
      std::lock_guard lock(p.heardMutex);
      flushes = p.flushes;
    }
    p.bytes.resize(want * frameBytes);
    const size_t got = p.buffer->read(p.bytes.data(), p.bytes.size());
    {
      std::lock_guard lock(p.heardMutex);
      if (p.flushes != flushes) continue;  // what was read belongs to the old position
      p.heard += got / frameBytes;
    }
    frames -= got / frameBytes;
    if (keep) {
      std::lock_guard lock(mutex_);
      played_.insert(played_.end(), p.bytes.begin(), p.bytes.begin() + static_cast<std::ptrdiff_t>(got));
    }
    // Everything the channel will ever make has been played.
    if (got < want * frameBytes && (!wait || p.buffer->drained())) return;
  }
}

void VirtualBackend::deliver(StreamState& s, size_t frames, size_t blockFrames) {
  const int ch = static_cast<int>(s.format.channels);
  const double rate = s.format.rate;
  blockFrames = std::max<size_t>(1, blockFrames);
  while (frames > 0 && !s.stopped && !s.paused) {
    const size_t n = std::min(frames, blockFrames);
    s.floats.resize(n * ch);
    for (size_t i = 0; i < n; ++i) {
      const std::uint64_t pos = s.position + i;
      for (int c = 0; c < ch; ++c) {
        float v = 0.0f;
        const int side = c == 0 ? 0 : 1;
        if (!s.signal.samples.empty()) {
          const size_t at = pos * 2 + static_cast<size_t>(side);
          if (at < s.signal.samples.size()) v = s.signal.samples[at];
        } else {
          v = static_cast<float>(s.signal.amplitude[side] *
                                 std::sin(2.0 * std::numbers::pi * s.signal.frequency[side] *
                                          static_cast<double>(pos) / rate));
        }
        s.floats[i * ch + c] = v;
      }
    }
    s.bytes.resize(n * s.format.frameBytes());
    FromFloat(s.format.type, s.floats.data(), s.bytes.data(), n * ch);
    s.position += n;
    frames -= n;
    if (!s.sink(s.bytes.data(), s.bytes.size())) s.stopped = true;
  }
}

void VirtualBackend::pacer() {
  using namespace std::chrono;
  while (!quit_) {
    std::this_thread::sleep_for(milliseconds(10));
    std::lock_guard deliverLock(deliverMutex_);
    const auto now = steady_clock::now();
    for (auto& s : liveStreams()) {
      const double elapsed = duration<double>(now - s->started).count();
      const auto due = static_cast<std::uint64_t>(elapsed * s->format.rate);
      if (due <= s->pacedFrames) continue;
      const size_t frames = static_cast<size_t>(due - s->pacedFrames);
      s->pacedFrames = due;
      // Paused time passes without frames, as with a real device.
      if (!s->paused) deliver(*s, frames, frames);
    }
    for (auto& p : livePlaybacks()) {
      const double elapsed = duration<double>(now - p->started).count();
      const auto due = static_cast<std::uint64_t>(elapsed * p->format.rate);
      if (due <= p->pacedFrames) continue;
      const size_t frames = static_cast<size_t>(due - p->pacedFrames);
      p->pacedFrames = due;
      play(*p, frames, false, false);
    }
  }
}

}  // namespace zaudio
