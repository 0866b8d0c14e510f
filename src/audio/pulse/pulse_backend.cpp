#include "audio/pulse/pulse_backend.h"

#include <algorithm>

#include "audio/pulse/pulse_capture.h"
#include "audio/pulse/pulse_connection.h"
#include "audio/pulse/pulse_mapping.h"
#include "audio/pulse/pulse_playback.h"
#include "audio/pulse/pulse_query.h"

namespace zaudio {

using pulse::PulseConnection;

namespace {

// The capture devices in server order; monitors only when loopback devices
// are wanted. The monitor of the default output comes first among the
// monitors: a desktop with several outputs (an idle HDMI port among them)
// plays through its default one.
std::vector<pulse::SourceEntry> CaptureSources(PulseConnection& c, bool includeLoopback,
                                               const std::string& defaultSink) {
  std::vector<pulse::SourceEntry> result;
  auto sources = pulse::QuerySources(c);
  if (!sources) return result;
  for (auto& s : *sources)
    if (includeLoopback || !s.monitor) result.push_back(std::move(s));
  if (!includeLoopback || defaultSink.empty()) return result;
  auto sink = pulse::QuerySink(c, defaultSink);
  if (!sink) return result;
  auto isMonitor = [](const pulse::SourceEntry& e) { return e.monitor; };
  auto first = std::find_if(result.begin(), result.end(), isMonitor);
  auto preferred = std::find_if(result.begin(), result.end(),
                                [&](const pulse::SourceEntry& e) { return e.name == sink->monitorSource; });
  if (first != result.end() && preferred != result.end() && preferred > first)
    std::rotate(first, preferred, preferred + 1);
  return result;
}

}  // namespace

PulseBackend::PulseBackend(std::chrono::milliseconds connectTimeout)
    : connectTimeout_(connectTimeout) {}

PulseBackend::~PulseBackend() = default;

std::shared_ptr<PulseConnection> PulseBackend::connection(int& error) {
  {
    std::lock_guard guard(mutex_);
    std::shared_ptr<PulseConnection> c = shared_.lock();
    if (c && c->alive()) {
      error = OK;
      return c;
    }
  }
  // Connect without holding mutex_: a capture callback runs under the
  // connection's lock and may itself need mutex_.
  std::shared_ptr<PulseConnection> fresh = PulseConnection::open(connectTimeout_, error);
  if (!fresh) return nullptr;
  std::lock_guard guard(mutex_);
  std::shared_ptr<PulseConnection> c = shared_.lock();
  if (!c || !c->alive()) {  // another thread may have connected meanwhile
    c = std::move(fresh);
    shared_ = c;
  }
  if (output_) output_ = c;
  if (capture_) capture_ = c;
  error = OK;
  return c;
}

PulseBackend::Target PulseBackend::outputTarget() {
  {
    std::lock_guard guard(mutex_);
    if (!output_) return {};
  }
  int error = OK;
  auto c = connection(error);
  std::lock_guard guard(mutex_);
  if (!c || !output_) return {};
  return {c, sinkName_};
}

PulseBackend::Target PulseBackend::captureTarget() {
  {
    std::lock_guard guard(mutex_);
    if (!capture_) return {};
  }
  int error = OK;
  auto c = connection(error);
  std::lock_guard guard(mutex_);
  if (!c || !capture_) return {};
  return {c, sourceName_};
}

// ---- Output side

int PulseBackend::initOutput(int device) {
  int error = OK;
  auto c = connection(error);
  if (!c) return error;
  std::string sink;
  {
    PulseConnection::Lock lock(*c);
    if (device == -1) {
      auto defaults = pulse::QueryDefaults(*c);
      if (!defaults) return ERROR_DRIVER;
      sink = defaults->sink;
    } else if (device >= 0) {
      auto sinks = pulse::QuerySinks(*c);
      if (!sinks) return ERROR_DRIVER;
      if (static_cast<size_t>(device) < sinks->size()) sink = (*sinks)[device].name;
    }
  }
  if (sink.empty()) return ERROR_DEVICE;
  std::lock_guard guard(mutex_);
  output_ = c;
  sinkName_ = sink;
  return OK;
}

void PulseBackend::freeOutput() {
  std::shared_ptr<PulseConnection> last;
  {
    std::lock_guard guard(mutex_);
    last = std::move(output_);
    sinkName_.clear();
  }
  // The connection closes here when capture does not use it.
}

std::vector<BackendDevice> PulseBackend::outputDevices() {
  std::vector<BackendDevice> result;
  int error = OK;
  auto c = connection(error);
  if (!c) return result;
  PulseConnection::Lock lock(*c);
  auto defaults = pulse::QueryDefaults(*c);
  auto sinks = pulse::QuerySinks(*c);
  if (!defaults || !sinks) return result;
  for (const auto& s : *sinks)
    result.push_back({s.description, s.name, s.name == defaults->sink ? DEVICE_DEFAULT : 0});
  return result;
}

bool PulseBackend::outputInfo(OutputInfo& info) {
  Target t = outputTarget();
  if (!t.connection) return false;
  PulseConnection::Lock lock(*t.connection);
  auto sink = pulse::QuerySink(*t.connection, t.device);
  if (!sink) return false;
  info.rate = sink->spec.rate;
  info.speakers = sink->spec.channels;
  return true;
}

bool PulseBackend::setOutputVolume(float volume) {
  Target t = outputTarget();
  if (!t.connection) return false;
  PulseConnection::Lock lock(*t.connection);
  auto sink = pulse::QuerySink(*t.connection, t.device);
  if (!sink) return false;
  return pulse::SetSinkVolume(*t.connection, t.device, pulse::LevelToVolume(sink->volume, volume));
}

float PulseBackend::outputVolume() {
  Target t = outputTarget();
  if (!t.connection) return -1.0f;
  PulseConnection::Lock lock(*t.connection);
  auto sink = pulse::QuerySink(*t.connection, t.device);
  if (!sink) return -1.0f;
  return pulse::VolumeToLevel(sink->volume);
}

std::unique_ptr<PlaybackStream> PulseBackend::startPlayback(const CaptureFormat& format,
                                                           std::shared_ptr<PlaybackBuffer> buffer, int& error) {
  Target t = outputTarget();
  if (!t.connection) {
    error = ERROR_INIT;
    return nullptr;
  }
  return pulse::PulsePlaybackStream::start(t.connection, t.device, format, std::move(buffer), error);
}

// ---- Capture side

std::vector<BackendDevice> PulseBackend::captureDevices(bool includeLoopback) {
  std::vector<BackendDevice> result;
  int error = OK;
  auto c = connection(error);
  if (!c) return result;
  PulseConnection::Lock lock(*c);
  auto defaults = pulse::QueryDefaults(*c);
  if (!defaults) return result;
  for (const auto& s : CaptureSources(*c, includeLoopback, defaults->sink)) {
    DWORD flags = 0;
    if (s.monitor) flags |= DEVICE_LOOPBACK;
    if (s.name == defaults->source) flags |= DEVICE_DEFAULT;
    result.push_back({s.description, s.name, flags});
  }
  return result;
}

int PulseBackend::openCapture(const std::string& id) {
  int error = OK;
  auto c = connection(error);
  if (!c) return error;
  std::string source = id;
  {
    PulseConnection::Lock lock(*c);
    if (source.empty()) {
      auto defaults = pulse::QueryDefaults(*c);
      if (!defaults) return ERROR_DRIVER;
      source = defaults->source;
    }
    // The device must still be there: a source can vanish between a listing
    // and the open (a headset unplugged).
    if (source.empty() || !pulse::QuerySource(*c, source)) return ERROR_DEVICE;
  }
  std::lock_guard guard(mutex_);
  capture_ = c;
  sourceName_ = source;
  return OK;
}

void PulseBackend::closeCapture() {
  std::shared_ptr<PulseConnection> last;
  {
    std::lock_guard guard(mutex_);
    last = std::move(capture_);
    sourceName_.clear();
  }
  // Running streams keep their own reference to the connection.
}

DWORD PulseBackend::captureRate() {
  Target t = captureTarget();
  if (!t.connection) return 0;
  PulseConnection::Lock lock(*t.connection);
  auto source = pulse::QuerySource(*t.connection, t.device);
  return source ? source->spec.rate : 0;
}

std::vector<BackendInput> PulseBackend::inputs() {
  std::vector<BackendInput> result;
  Target t = captureTarget();
  if (!t.connection) return result;
  PulseConnection::Lock lock(*t.connection);
  auto source = pulse::QuerySource(*t.connection, t.device);
  if (!source) return result;
  float volume = pulse::VolumeToLevel(source->volume);
  // A source without ports still has its level: one input named after it.
  if (source->ports.empty()) {
    result.push_back({source->description, INPUT_TYPE_UNDEF, true, volume});
    return result;
  }
  for (const auto& p : source->ports)
    result.push_back({p.description, pulse::InputTypeForPort(p.name), p.name == source->activePort, volume});
  return result;
}

bool PulseBackend::setInput(int input, int on, float volume) {
  Target t = captureTarget();
  if (!t.connection) return false;
  PulseConnection::Lock lock(*t.connection);
  auto source = pulse::QuerySource(*t.connection, t.device);
  if (!source) return false;
  size_t count = source->ports.empty() ? 1 : source->ports.size();
  if (input < 0 || static_cast<size_t>(input) >= count) return false;
  bool ok = true;
  // A source always has exactly one active port: switching one on is the
  // only switch there is, and switching off is accepted without effect.
  if (on > 0 && !source->ports.empty() && source->ports[input].name != source->activePort)
    ok = pulse::SetSourcePort(*t.connection, t.device, source->ports[input].name);
  if (ok && volume >= 0)
    ok = pulse::SetSourceVolume(*t.connection, t.device, pulse::LevelToVolume(source->volume, volume));
  return ok;
}

std::unique_ptr<CaptureStream> PulseBackend::startCapture(const CaptureFormat& format,
                                                          bool paused, CaptureSink sink,
                                                          CaptureEnded ended, int& error) {
  Target t = captureTarget();
  if (!t.connection) {
    std::lock_guard guard(mutex_);
    error = capture_ ? ERROR_DRIVER : ERROR_INIT;
    return nullptr;
  }
  return pulse::PulseCaptureStream::start(t.connection, t.device, format, paused, std::move(sink),
                                          std::move(ended), error);
}

}  // namespace zaudio
