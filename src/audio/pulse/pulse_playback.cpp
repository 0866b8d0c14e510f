#include "audio/pulse/pulse_playback.h"

#include <pulse/stream.h>

#include <algorithm>
#include <atomic>

#include "audio/playback_buffer.h"
#include "audio/pulse/pulse_mapping.h"

namespace zaudio::pulse {

namespace {
// What the server holds ahead of the speakers. What is heard is told by the
// server's latency, and a seek or a pause reaches the server at once (flush,
// cork), so the length only sets how often the server asks for more: when
// half of it has been played.
constexpr pa_usec_t kTargetLatencyUsec = 400000;
constexpr pa_usec_t kRequestUsec = kTargetLatencyUsec / 2;
}  // namespace

class PulsePlaybackStream::Output : public std::enable_shared_from_this<Output> {
 public:
  Output(std::shared_ptr<PulseConnection> connection, std::shared_ptr<PlaybackBuffer> buffer,
         const pa_sample_spec& spec)
      : connection_(std::move(connection)), buffer_(std::move(buffer)), frameBytes_(pa_frame_size(&spec)) {}

  ~Output() {
    {
      PulseConnection::Lock lock(*connection_);
      detach();
    }
    connection_.reset();
  }

  int connect(const std::string& sink, const pa_sample_spec& spec, const pa_channel_map& map) {
    PulseConnection::Lock lock(*connection_);
    stream_ = pa_stream_new(connection_->context(), "Zovedu playback", &spec, &map);
    if (!stream_) return ErrorForPulse(pa_context_errno(connection_->context()), ERROR_FORMAT);
    pa_stream_set_state_callback(stream_, &Output::onState, this);
    pa_stream_set_write_callback(stream_, &Output::onWrite, this);
    pa_buffer_attr attr;
    attr.maxlength = attr.prebuf = attr.fragsize = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(kTargetLatencyUsec, &spec));
    attr.minreq = static_cast<std::uint32_t>(pa_usec_to_bytes(kRequestUsec, &spec));
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_AUTO_TIMING_UPDATE |
                                                      PA_STREAM_ADJUST_LATENCY);
    if (pa_stream_connect_playback(stream_, sink.empty() ? nullptr : sink.c_str(), &attr, flags, nullptr,
                                   nullptr) < 0) {
      detach();
      return ErrorForPulse(pa_context_errno(connection_->context()), ERROR_START);
    }
    if (!connection_->waitUntilReady(stream_)) {
      detach();
      return ErrorForPulse(pa_context_errno(connection_->context()), ERROR_START);
    }
    // New data in the buffer goes out at once when the server is waiting.
    std::weak_ptr<Output> weak = shared_from_this();
    buffer_->setWake([weak] {
      if (auto self = weak.lock()) {
        PulseConnection::Lock lock(*self->connection_);
        self->push();
      }
    });
    push();
    return OK;
  }

  bool cork(bool on) {
    PulseConnection::Lock lock(*connection_);
    if (!ready()) return false;
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
    if (connection_->inLoopThread()) {
      if (op) pa_operation_unref(op);  // cannot wait here; the server corks in order anyway
      return op != nullptr;
    }
    const bool ok = connection_->finish(op) && out.success;
    if (ok && !on) push();
    return ok;
  }

  void flush() {
    PulseConnection::Lock lock(*connection_);
    if (!ready()) return;
    if (pa_operation* op = pa_stream_flush(stream_, nullptr, nullptr)) pa_operation_unref(op);
    if (pa_operation* op = pa_stream_update_timing_info(stream_, nullptr, nullptr)) pa_operation_unref(op);
    endDrain();
    written_ = 0;
    lastHeard_ = 0;
    drained_ = false;
    push();
  }

  std::uint64_t heardFrames() {
    PulseConnection::Lock lock(*connection_);
    if (!ready()) return lastHeard_ / frameBytes_;
    pa_usec_t latency = 0;
    int negative = 0;
    std::uint64_t heard = 0;
    if (pa_stream_get_latency(stream_, &latency, &negative) == 0) {
      const std::uint64_t waiting = negative ? 0 : pa_usec_to_bytes(latency, pa_stream_get_sample_spec(stream_));
      heard = written_ > waiting ? written_ - waiting : 0;
    }
    // Timing comes in steps; what was heard never goes back.
    lastHeard_ = std::clamp(heard, lastHeard_, written_);
    if (drained_) lastHeard_ = written_;
    return lastHeard_ / frameBytes_;
  }

  bool drained() const { return drained_.load(); }

  void stop() {
    PulseConnection::Lock lock(*connection_);
    detach();
  }

 private:
  bool ready() const { return stream_ && !detached_ && pa_stream_get_state(stream_) == PA_STREAM_READY; }

  static void onWrite(pa_stream*, size_t, void* userdata) { static_cast<Output*>(userdata)->push(); }
  static void onState(pa_stream*, void* userdata) { static_cast<Output*>(userdata)->connection_->signal(); }
  static void onDrain(pa_stream*, int success, void* userdata) {
    auto* self = static_cast<Output*>(userdata);
    if (success) self->drained_ = true;
  }

  // With the lock held: hands the server what it asks for and the buffer has.
  void push() {
    if (!ready()) return;
    size_t want = pa_stream_writable_size(stream_);
    while (want >= frameBytes_) {
      void* data = nullptr;
      size_t bytes = want;
      if (pa_stream_begin_write(stream_, &data, &bytes) < 0 || !data) break;
      const size_t got = buffer_->read(data, bytes);
      if (got == 0) {
        pa_stream_cancel_write(stream_);
        break;
      }
      if (pa_stream_write(stream_, data, got, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
      written_ += got;
      want -= std::min(want, got);
    }
    // Everything is with the server: have it play the rest, however short.
    if (!drainOp_ && buffer_->drained()) drainOp_ = pa_stream_drain(stream_, &Output::onDrain, this);
  }

  void endDrain() {
    if (!drainOp_) return;
    if (pa_operation_get_state(drainOp_) == PA_OPERATION_RUNNING) pa_operation_cancel(drainOp_);
    pa_operation_unref(drainOp_);
    drainOp_ = nullptr;
  }

  // With the lock held: no more callbacks, and the server drops the stream.
  void detach() {
    endDrain();
    if (!stream_ || detached_) return;
    detached_ = true;
    pa_stream_set_write_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }

  std::shared_ptr<PulseConnection> connection_;
  std::shared_ptr<PlaybackBuffer> buffer_;
  const size_t frameBytes_;
  pa_stream* stream_ = nullptr;
  bool detached_ = false;           // guarded by the loop lock
  std::uint64_t written_ = 0;       // bytes since the start or the last flush; loop lock
  std::uint64_t lastHeard_ = 0;     // bytes; loop lock
  pa_operation* drainOp_ = nullptr;  // loop lock
  std::atomic<bool> drained_{false};
};

std::unique_ptr<PulsePlaybackStream> PulsePlaybackStream::start(std::shared_ptr<PulseConnection> connection,
                                                                const std::string& sink,
                                                                const CaptureFormat& format,
                                                                std::shared_ptr<PlaybackBuffer> buffer,
                                                                int& error) {
  pa_sample_spec spec{};
  spec.format = PA_SAMPLE_S16LE;
  spec.rate = format.rate;
  spec.channels = static_cast<std::uint8_t>(std::min<DWORD>(format.channels, 255));
  pa_channel_map map;
  if (format.type != SampleType::S16 || !pa_sample_spec_valid(&spec) || !ChannelMapFor(format.channels, map)) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  if (connection->inLoopThread()) {
    error = ERROR_START;
    return nullptr;
  }
  auto output = std::make_shared<Output>(std::move(connection), std::move(buffer), spec);
  error = output->connect(sink, spec, map);
  if (error != OK) return nullptr;
  return std::unique_ptr<PulsePlaybackStream>(new PulsePlaybackStream(std::move(output)));
}

PulsePlaybackStream::PulsePlaybackStream(std::shared_ptr<Output> output) : output_(std::move(output)) {}
PulsePlaybackStream::~PulsePlaybackStream() { output_->stop(); }

bool PulsePlaybackStream::pause() { return output_->cork(true); }
bool PulsePlaybackStream::resume() { return output_->cork(false); }
void PulsePlaybackStream::flush() { output_->flush(); }
std::uint64_t PulsePlaybackStream::heardFrames() { return output_->heardFrames(); }
bool PulsePlaybackStream::drained() { return output_->drained(); }
void PulsePlaybackStream::stop() { output_->stop(); }

}  // namespace zaudio::pulse
