#include "audio/pulse/pulse_capture.h"

#include <pulse/channelmap.h>
#include <pulse/stream.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <vector>

#include "audio/pulse/pulse_mapping.h"

namespace zaudio::pulse {

namespace {
// The longest the server holds captured audio before sending it: about the
// period of the window's spectrum display, so that it shows fresh audio every
// time it is drawn, while the capture thread wakes no more often than that.
constexpr pa_usec_t kFragmentUsec = 30000;
// The least the sink gets at a time. The server may send tiny pieces (a
// frame or even part of one); the sink's per-block work should not multiply.
constexpr pa_usec_t kLeastDeliveryUsec = 5000;
}  // namespace

// Owned jointly by the stream object and, during each read, by the loop
// thread: the sink may destroy the stream object while it runs.
class PulseCaptureStream::Record : public std::enable_shared_from_this<Record> {
 public:
  Record(std::shared_ptr<PulseConnection> connection, CaptureSink sink, CaptureEnded ended,
         const pa_sample_spec& spec)
      : connection_(std::move(connection)),
        sink_(std::move(sink)),
        ended_callback_(std::move(ended)),
        frameBytes_(pa_frame_size(&spec)),
        leastBytes_(std::max(frameBytes_, pa_usec_to_bytes(kLeastDeliveryUsec, &spec))) {}

  ~Record() {
    {
      PulseConnection::Lock lock(*connection_);
      detach();
      // Safe even inside this stream's read callback: the context keeps its
      // own reference until the server confirms the disconnect.
      if (stream_) pa_stream_unref(stream_);
    }
    connection_.reset();
  }

  int connect(const std::string& source, const pa_sample_spec& spec, const pa_channel_map& map,
              bool paused) {
    PulseConnection::Lock lock(*connection_);
    stream_ = pa_stream_new(connection_->context(), "Zovedu recording", &spec, &map);
    if (!stream_) return ErrorForPulse(pa_context_errno(connection_->context()), ERROR_FORMAT);
    pa_stream_set_state_callback(stream_, &Record::onState, this);
    pa_stream_set_read_callback(stream_, &Record::onRead, this);

    pa_buffer_attr attr;
    attr.maxlength = attr.tlength = attr.prebuf = attr.minreq = static_cast<std::uint32_t>(-1);
    attr.fragsize = static_cast<std::uint32_t>(pa_usec_to_bytes(kFragmentUsec, &spec));
    auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY |
                                                (paused ? PA_STREAM_START_CORKED : 0));
    if (pa_stream_connect_record(stream_, source.c_str(), &attr, flags) < 0) {
      detach();
      return ErrorForPulse(pa_context_errno(connection_->context()), ERROR_START);
    }
    if (!connection_->waitUntilReady(stream_)) {
      detach();
      return ErrorForPulse(pa_context_errno(connection_->context()), ERROR_START);
    }
    ready_ = true;
    return OK;
  }

  void stop() {
    if (!connection_->inLoopThread() && cork(true)) {
      // Corking makes the server send everything captured so far ahead of
      // its answer; the loop thread delivers it meanwhile. The rest that has
      // arrived goes out from here, however small.
      std::vector<std::uint8_t> rest;
      {
        PulseConnection::Lock lock(*connection_);
        rest = takeRest();
        stopping_ = true;  // nothing more from the loop thread
      }
      deliverRest(rest);
    }
    // No new delivery starts from here on, even while a slow sink keeps the
    // loop thread busy. Callbacks run with the lock held, so once the lock is
    // ours and the callbacks are cleared, none is under way or can start.
    stopping_ = true;
    PulseConnection::Lock lock(*connection_);
    detach();
  }

  // Corks the stream and hands on what was captured before the pause.
  bool pause() {
    if (!cork(true)) return false;
    if (!connection_->inLoopThread()) {
      std::vector<std::uint8_t> rest;
      {
        PulseConnection::Lock lock(*connection_);
        rest = takeRest();
      }
      deliverRest(rest);
    }
    return true;
  }

  bool cork(bool on) {
    PulseConnection::Lock lock(*connection_);
    if (ended_ || !stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return false;
    if (connection_->inLoopThread()) {
      // No waiting for the answer here; the server corks in order anyway.
      pa_operation* op = pa_stream_cork(stream_, on ? 1 : 0, nullptr, nullptr);
      if (op) pa_operation_unref(op);
      return op != nullptr;
    }
    struct Outcome {
      explicit Outcome(PulseConnection* c) : connection(c) {}
      PulseConnection* connection;
      bool success = false;
    } out(connection_.get());
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

 private:
  static void onRead(pa_stream*, size_t, void* userdata) {
    static_cast<Record*>(userdata)->readAll();
  }
  static void onState(pa_stream* s, void* userdata) {
    auto* self = static_cast<Record*>(userdata);
    // A stream that ran and fails now lost its source or its server.
    if (self->ready_ && !PA_STREAM_IS_GOOD(pa_stream_get_state(s)) && !self->stopping_ && !self->ended_) {
      std::shared_ptr<Record> keep = self->shared_from_this();
      self->ended_ = true;
      if (self->ended_callback_) self->ended_callback_();
      self->detach();
    }
    self->connection_->signal();
  }

  // Moves what the server has sent into pending_.
  void gather() {
    while (!ended_ && !stopping_ && pa_stream_readable_size(stream_) > 0) {
      const void* data = nullptr;
      size_t bytes = 0;
      if (pa_stream_peek(stream_, &data, &bytes) < 0 || bytes == 0) break;
      // A hole (data lost on the server's side) has no samples to hand on.
      if (data) {
        auto* p = static_cast<const std::uint8_t*>(data);
        pending_.insert(pending_.end(), p, p + bytes);
      }
      pa_stream_drop(stream_);
    }
  }

  // Gathers what the server has sent and hands it on in whole frames, at
  // least kLeastDeliveryUsec at a time. The server's pieces need not end on a
  // frame boundary, and a sink slower than real time catches up with fewer,
  // larger blocks.
  void readAll() {
    std::shared_ptr<Record> keep = shared_from_this();
    gather();
    const size_t whole = pending_.size() - pending_.size() % frameBytes_;
    if (whole >= leastBytes_ && !ended_ && !stopping_) {
      call(pending_.data(), whole);
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole));
    }
    if (ended_) detach();
  }

  // With the lock held: every whole frame that has arrived and not been
  // handed on, however few.
  std::vector<std::uint8_t> takeRest() {
    std::vector<std::uint8_t> rest;
    if (ended_ || stopping_ || !stream_) return rest;
    gather();
    const size_t whole = pending_.size() - pending_.size() % frameBytes_;
    rest.assign(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole));
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(whole));
    return rest;
  }

  // Hands the rest on from the caller's thread without the loop lock: the
  // sink may call anything that waits for the server. The stream is corked,
  // so the loop thread has nothing to deliver meanwhile.
  void deliverRest(const std::vector<std::uint8_t>& rest) {
    if (rest.empty()) return;
    try {
      sink_(rest.data(), rest.size());
    } catch (...) {
      // The capture is ending anyway.
    }
  }

  void call(const std::uint8_t* data, size_t bytes) {
    bool goOn = false;
    try {
      goOn = sink_(data, bytes);
    } catch (...) {
      // An exception cannot travel through libpulse's C frames; the capture
      // ends as if the sink had said so.
      goOn = false;
    }
    if (!goOn) ended_ = true;
  }

  // With the lock held: no more callbacks, and the server drops the stream.
  void detach() {
    ended_ = true;
    if (!stream_ || detached_) return;
    detached_ = true;
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) pa_stream_disconnect(stream_);
  }

  std::shared_ptr<PulseConnection> connection_;
  pa_stream* stream_ = nullptr;
  CaptureSink sink_;
  CaptureEnded ended_callback_;
  const size_t frameBytes_;
  const size_t leastBytes_;
  std::vector<std::uint8_t> pending_;  // read but not handed on yet
  std::atomic<bool> stopping_{false};
  bool ended_ = false;     // guarded by the loop lock
  bool ready_ = false;     // the stream has run; guarded by the loop lock
  bool detached_ = false;  // guarded by the loop lock
};

std::unique_ptr<PulseCaptureStream> PulseCaptureStream::start(
    std::shared_ptr<PulseConnection> connection, const std::string& source,
    const CaptureFormat& format, bool paused, CaptureSink sink, CaptureEnded ended, int& error) {
  std::optional<pa_sample_format_t> sampleFormat = SampleFormatFor(format.type);
  pa_sample_spec spec{};
  spec.format = sampleFormat.value_or(PA_SAMPLE_INVALID);
  spec.rate = format.rate;
  spec.channels = static_cast<std::uint8_t>(std::min<DWORD>(format.channels, 255));
  pa_channel_map map;
  if (!sampleFormat || !pa_sample_spec_valid(&spec) || !ChannelMapFor(format.channels, map)) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  if (connection->inLoopThread()) {
    error = ERROR_START;  // starting waits for the server, which this thread serves
    return nullptr;
  }
  auto record = std::make_shared<Record>(std::move(connection), std::move(sink), std::move(ended), spec);
  error = record->connect(source, spec, map, paused);
  if (error != OK) return nullptr;
  return std::unique_ptr<PulseCaptureStream>(new PulseCaptureStream(std::move(record)));
}

PulseCaptureStream::PulseCaptureStream(std::shared_ptr<Record> record) : record_(std::move(record)) {}

PulseCaptureStream::~PulseCaptureStream() { record_->stop(); }

bool PulseCaptureStream::resume() { return record_->cork(false); }
bool PulseCaptureStream::pause() { return record_->pause(); }
void PulseCaptureStream::stop() { record_->stop(); }

}  // namespace zaudio::pulse
