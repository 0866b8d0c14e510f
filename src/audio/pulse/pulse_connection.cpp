#include "audio/pulse/pulse_connection.h"

#include <pulse/rtclock.h>

#include <thread>

#include "audio/zaudio.h"

namespace zaudio::pulse {

namespace {

void destroyLoop(pa_threaded_mainloop* loop, pa_context* context) {
  if (context) {
    pa_threaded_mainloop_lock(loop);
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_threaded_mainloop_unlock(loop);
  }
  pa_threaded_mainloop_stop(loop);
  if (context) pa_context_unref(context);
  pa_threaded_mainloop_free(loop);
}

void onTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* userdata) {
  auto* timedOut = static_cast<std::pair<bool, pa_threaded_mainloop*>*>(userdata);
  timedOut->first = true;
  pa_threaded_mainloop_signal(timedOut->second, 0);
}

}  // namespace

std::shared_ptr<PulseConnection> PulseConnection::open(std::chrono::milliseconds timeout,
                                                       int& error) {
  std::shared_ptr<PulseConnection> c(new PulseConnection);
  c->loop_ = pa_threaded_mainloop_new();
  if (!c->loop_) {
    error = ERROR_MEM;
    return nullptr;
  }
  c->context_ = pa_context_new(pa_threaded_mainloop_get_api(c->loop_), "Zovedu");
  if (!c->context_) {
    error = ERROR_MEM;
    return nullptr;
  }
  pa_context_set_state_callback(c->context_, &PulseConnection::onContextState, c.get());
  // Named before the start: set later, the name would go to the caller's thread.
  pa_threaded_mainloop_set_name(c->loop_, "zaudio-pulse");
  if (pa_threaded_mainloop_start(c->loop_) < 0) {
    error = ERROR_DRIVER;
    return nullptr;
  }

  Lock lock(*c);
  // No autospawn: a library must not start a sound server behind the user's
  // back; desktops start theirs on login or by socket activation.
  if (pa_context_connect(c->context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    error = ERROR_DRIVER;
    return nullptr;
  }
  bool ready = c->waitFor(
      [&] {
        pa_context_state_t s = pa_context_get_state(c->context_);
        return s == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(s);
      },
      timeout);
  if (!ready || pa_context_get_state(c->context_) != PA_CONTEXT_READY) {
    error = ERROR_DRIVER;
    return nullptr;
  }
  error = OK;
  return c;
}

PulseConnection::~PulseConnection() {
  if (!loop_) return;
  if (inLoopThread()) {
    // The loop thread cannot stop and join itself; let another thread do it
    // once this callback has returned.
    std::thread(destroyLoop, loop_, context_).detach();
    return;
  }
  destroyLoop(loop_, context_);
}

bool PulseConnection::inLoopThread() const {
  return pa_threaded_mainloop_in_thread(loop_) != 0;
}

PulseConnection::Lock::Lock(PulseConnection& c)
    : connection_(c), locked_(!c.inLoopThread()) {
  if (locked_) pa_threaded_mainloop_lock(connection_.loop_);
}

PulseConnection::Lock::~Lock() {
  if (locked_) pa_threaded_mainloop_unlock(connection_.loop_);
}

bool PulseConnection::waitFor(const std::function<bool()>& done,
                              std::chrono::milliseconds timeout) {
  if (done()) return true;
  if (inLoopThread()) return false;
  std::pair<bool, pa_threaded_mainloop*> timedOut{false, loop_};
  auto usec = static_cast<pa_usec_t>(std::chrono::microseconds(timeout).count());
  pa_time_event* timer = pa_context_rttime_new(context_, pa_rtclock_now() + usec, onTimeout, &timedOut);
  // Connecting counts as good; only a failed or terminated context ends the wait early.
  while (!done() && !timedOut.first && PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)))
    pa_threaded_mainloop_wait(loop_);
  if (timer) pa_threaded_mainloop_get_api(loop_)->time_free(timer);
  return done();
}

bool PulseConnection::finish(pa_operation* op) {
  if (!op) return false;
  bool completed = waitFor([op] { return pa_operation_get_state(op) != PA_OPERATION_RUNNING; },
                           kOperationTimeout);
  bool done = completed && pa_operation_get_state(op) == PA_OPERATION_DONE;
  if (pa_operation_get_state(op) == PA_OPERATION_RUNNING) pa_operation_cancel(op);
  pa_operation_unref(op);
  return done;
}

void PulseConnection::signal() { pa_threaded_mainloop_signal(loop_, 0); }

void PulseConnection::onContextState(pa_context* c, void* userdata) {
  auto* self = static_cast<PulseConnection*>(userdata);
  self->state_.store(pa_context_get_state(c));
  self->signal();
}

bool PulseConnection::waitUntilReady(pa_stream* stream) {
  waitFor(
      [stream] {
        const pa_stream_state_t st = pa_stream_get_state(stream);
        return st == PA_STREAM_READY || !PA_STREAM_IS_GOOD(st);
      },
      kOperationTimeout);
  return pa_stream_get_state(stream) == PA_STREAM_READY;
}

}  // namespace zaudio::pulse
