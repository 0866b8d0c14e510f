#include "audio/library_state.h"

#include <cstdlib>
#include <cstring>

#include "audio/encode/encoder.h"
#include "audio/error_state.h"
#include "audio/pulse/pulse_backend.h"
#include "audio/virtual/virtual_backend.h"

namespace zaudio {
namespace detail {

LibraryState& State() {
  static LibraryState state;
  return state;
}

namespace {
// The virtual backend the program uses without an audio server: a loopback
// device and a microphone in real time.
std::shared_ptr<Backend> DemoVirtualBackend() {
  auto v = std::make_shared<VirtualBackend>(VirtualBackend::Pacing::RealTime);
  v->addOutputDevice("Virtual Output", true, 48000, 2);
  VirtualDevice loop;
  loop.name = "Monitor of Virtual Output";
  loop.flags = DEVICE_LOOPBACK;
  loop.rate = 48000;
  v->addCaptureDevice(loop);
  VirtualDevice mic;
  mic.name = "Virtual Microphone";
  mic.flags = DEVICE_DEFAULT;
  mic.inputs = {VirtualInput{"Microphone", INPUT_TYPE_MIC, true, 0.8f},
                VirtualInput{"Line In", INPUT_TYPE_LINE, false, 0.5f}};
  mic.signal.frequency[0] = mic.signal.frequency[1] = 440.0;
  mic.signal.amplitude[0] = mic.signal.amplitude[1] = 0.3;
  v->addCaptureDevice(mic);
  return v;
}
}  // namespace

Backend& BackendLocked() {
  auto& s = State();
  if (!s.backend) {
    const char* which = std::getenv("ZOVEDU_AUDIO_BACKEND");
    if (which && std::strcmp(which, "virtual") == 0)
      s.backend = DemoVirtualBackend();
    else
      s.backend = std::make_shared<PulseBackend>();
  }
  return *s.backend;
}

Snapshot Take() {
  auto& s = State();
  std::lock_guard lock(s.mutex);
  BackendLocked();
  return {s.backend, s.loopbackListed, s.outputReady, s.captureReady, s.captureDevice};
}

std::shared_ptr<Backend> ReadyBackend(bool Snapshot::*side) {
  Snapshot snap = Take();
  if (!(snap.*side)) return Fail(ERROR_INIT, std::shared_ptr<Backend>());
  return std::move(snap.backend);
}

void ReleaseChannel(const std::shared_ptr<Channel>& channel) {
  channel->stop();
  channel->markFreed();
  for (auto& [handle, encoder] : channel->detachEncoders()) encoder->stop();
}

void ReleaseChannels(const std::vector<std::shared_ptr<Channel>>& channels) {
  for (const auto& ch : channels) ReleaseChannel(ch);
}

}  // namespace detail

void UseBackend(std::shared_ptr<Backend> backend) {
  auto& s = detail::State();
  std::lock_guard life(s.lifecycle);
  detail::ReleaseChannels(s.handles.takeAll());
  std::lock_guard lock(s.mutex);
  s.backend = std::move(backend);
  s.outputReady = false;
  s.captureReady = false;
  s.captureList.clear();
}

std::shared_ptr<Backend> CurrentBackend() {
  auto& s = detail::State();
  std::lock_guard lock(s.mutex);
  detail::BackendLocked();
  return s.backend;
}

void RefuseEffectTypeForTesting(DWORD type) { detail::State().refusedEffectType = type; }

void OverrideVersionsForTesting(DWORD version, DWORD fxVersion) {
  detail::State().versionOverride = version;
  detail::State().fxVersionOverride = fxVersion;
}

}  // namespace zaudio
