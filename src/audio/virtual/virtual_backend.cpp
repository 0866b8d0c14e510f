#include "audio/virtual/virtual_backend.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>

#include "audio/channel_layout.h"
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
  return frames;
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
  }
}

}  // namespace zaudio
