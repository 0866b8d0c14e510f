#include "audio/pulse/pulse_capture.h"

#include <pulse/channelmap.h>
#include <pulse/error.h>

#include <algorithm>
#include <exception>

#include "audio/pulse/pulse_mapping.h"

namespace zaudio::pulse {

PulseCaptureStream::PulseCaptureStream(std::shared_ptr<PulseConnection> connection,
                                       CaptureSink sink, size_t frameBytes)
    : connection_(std::move(connection)), sink_(std::move(sink)), frameBytes_(frameBytes) {}

std::unique_ptr<PulseCaptureStream> PulseCaptureStream::start(
    std::shared_ptr<PulseConnection> connection, const std::string& source,
    const CaptureFormat& format, bool paused, CaptureSink sink, int& error) {
  std::optional<pa_sample_format_t> sampleFormat = SampleFormatFor(format.type);
  pa_sample_spec spec{};
  spec.format = sampleFormat.value_or(PA_SAMPLE_INVALID);
  spec.rate = format.rate;
  spec.channels = static_cast<std::uint8_t>(std::min<DWORD>(format.channels, 255));
  if (!sampleFormat || format.channels > PA_CHANNELS_MAX || !pa_sample_spec_valid(&spec)) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  pa_channel_map map;
  if (!pa_channel_map_init_extend(&map, spec.channels, PA_CHANNEL_MAP_DEFAULT)) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  if (connection->inLoopThread()) {
    error = ERROR_START;
    return nullptr;
  }

  std::unique_ptr<PulseCaptureStream> self(
      new PulseCaptureStream(connection, std::move(sink), pa_frame_size(&spec)));
  PulseConnection::Lock lock(*connection);
  self->stream_ = pa_stream_new(connection->context(), "Zovedu recording", &spec, &map);
  if (!self->stream_) {
    error = ErrorForPulse(pa_context_errno(connection->context()), ERROR_FORMAT);
    return nullptr;
  }
  pa_stream_set_state_callback(self->stream_, &PulseCaptureStream::onState, self.get());
  pa_stream_set_read_callback(self->stream_, &PulseCaptureStream::onRead, self.get());

  // A small fragment keeps level meters and recordings close to real time.
  pa_buffer_attr attr;
  attr.maxlength = static_cast<std::uint32_t>(-1);
  attr.tlength = attr.prebuf = attr.minreq = static_cast<std::uint32_t>(-1);
  attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(kFragmentUsec, &spec));
  auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY |
                                              (paused ? PA_STREAM_START_CORKED : 0));
  if (pa_stream_connect_record(self->stream_, source.c_str(), &attr, flags) < 0) {
    error = ErrorForPulse(pa_context_errno(connection->context()), ERROR_START);
    self->detach();
    return nullptr;
  }
  pa_stream* s = self->stream_;
  connection->waitFor(
      [s] {
        pa_stream_state_t st = pa_stream_get_state(s);
        return st == PA_STREAM_READY || !PA_STREAM_IS_GOOD(st);
      },
      PulseConnection::kOperationTimeout);
  if (pa_stream_get_state(s) != PA_STREAM_READY) {
    error = ErrorForPulse(pa_context_errno(connection->context()), ERROR_START);
    self->detach();
    return nullptr;
  }
  error = OK;
  return self;
}

PulseCaptureStream::~PulseCaptureStream() {
  {
    PulseConnection::Lock lock(*connection_);
    detach();
    if (stream_) pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  connection_.reset();
}

bool PulseCaptureStream::resume() { return cork(false); }
bool PulseCaptureStream::pause() { return cork(true); }

void PulseCaptureStream::stop() {
  // Callbacks run with the lock held, so once the lock is ours and the
  // callbacks are cleared no delivery is under way or can start.
  PulseConnection::Lock lock(*connection_);
  detach();
}

bool PulseCaptureStream::cork(bool on) {
  PulseConnection::Lock lock(*connection_);
  if (ended_ || !stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return false;
  if (connection_->inLoopThread()) {
    // Cannot wait for the answer here; the server corks in order anyway.
    pa_operation* op = pa_stream_cork(stream_, on ? 1 : 0, nullptr, nullptr);
    if (op) pa_operation_unref(op);
    return op != nullptr;
  }
  struct Outcome {
    PulseConnection* connection;
    bool success = false;
  } out{connection_.get()};
  pa_operation* op = pa_stream_cork(
      stream_, on ? 1 : 0,
      [](pa_stream*, int success, void* userdata) {
        auto* o = static_cast<Outcome*>(userdata);
        o->success = success != 0;
        o->connection->signal();
      },
      &out);
  // Data captured before the cork arrives ahead of the answer, so once the
  // answer is here a paused stream delivers nothing more until resumed.
  return connection_->finish(op) && out.success;
}

void PulseCaptureStream::onRead(pa_stream*, size_t, void* userdata) {
  static_cast<PulseCaptureStream*>(userdata)->readAll();
}

void PulseCaptureStream::onState(pa_stream*, void* userdata) {
  static_cast<PulseCaptureStream*>(userdata)->connection_->signal();
}

void PulseCaptureStream::readAll() {
  while (!ended_ && pa_stream_readable_size(stream_) > 0) {
    const void* data = nullptr;
    size_t bytes = 0;
    if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0) break;
    // A hole (data lost on the server's side) has no samples to hand on.
    if (data) deliver(static_cast<const std::uint8_t*>(data), bytes);
    // stop() from inside the sink may already have disconnected the stream.
    if (pa_stream_get_state(stream_) == PA_STREAM_READY) pa_stream_drop(stream_);
  }
  if (ended_) detach();
}

void PulseCaptureStream::deliver(const std::uint8_t* data, size_t bytes) {
  if (!partFrame_.empty()) {
    size_t take = std::min(frameBytes_ - partFrame_.size(), bytes);
    partFrame_.insert(partFrame_.end(), data, data + take);
    data += take;
    bytes -= take;
    if (partFrame_.size() < frameBytes_) return;
    bool goOn = call(partFrame_.data(), partFrame_.size());
    partFrame_.clear();
    if (!goOn) return;
  }
  size_t whole = bytes - bytes % frameBytes_;
  if (whole > 0 && !call(data, whole)) return;
  partFrame_.assign(data + whole, data + bytes);
}

bool PulseCaptureStream::call(const std::uint8_t* data, size_t bytes) {
  if (ended_) return false;
  bool goOn = false;
  try {
    goOn = sink_(data, bytes);
  } catch (...) {
    // An exception cannot travel through libpulse's C frames; the capture
    // ends as if the sink had said so.
    goOn = false;
  }
  if (!goOn) ended_ = true;
  return goOn;
}

void PulseCaptureStream::detach() {
  ended_ = true;
  if (!stream_ || detached_) return;
  detached_ = true;
  pa_stream_set_read_callback(stream_, nullptr, nullptr);
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) pa_stream_disconnect(stream_);
}

}  // namespace zaudio::pulse
