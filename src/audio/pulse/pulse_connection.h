// One connection to the sound server: a threaded main loop and a context on
// it. Every libpulse call on the context or its streams happens with the loop
// locked; callbacks run on the loop thread with the lock already held, where
// nothing may lock again or wait.
#pragma once

#include <pulse/context.h>
#include <pulse/operation.h>
#include <pulse/stream.h>
#include <pulse/thread-mainloop.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace zaudio::pulse {

class PulseConnection {
 public:
  // Connects to the server the environment names (PULSE_SERVER, client.conf,
  // the user's session server). Gives up after timeout so that a missing or
  // unresponsive server never hangs the caller. nullptr on failure with error
  // set to a library error code.
  static std::shared_ptr<PulseConnection> open(std::chrono::milliseconds timeout, int& error);

  ~PulseConnection();
  PulseConnection(const PulseConnection&) = delete;
  PulseConnection& operator=(const PulseConnection&) = delete;

  pa_context* context() const { return context_; }
  bool inLoopThread() const;
  // The context is connected and has not failed since; needs no lock.
  bool alive() const { return state_.load() == PA_CONTEXT_READY; }

  // Holds the loop lock for a scope. On the loop thread the lock is already
  // held by the caller of the callback, so it does nothing there.
  class Lock {
   public:
    explicit Lock(PulseConnection& c);
    ~Lock();
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

   private:
    PulseConnection& connection_;
    bool locked_;
  };

  // With the lock held: waits until done() holds, the context fails or
  // timeout passes, and returns done(). Always false on the loop thread,
  // which cannot wait for itself.
  bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // Waits until a stream just connected is ready or has failed; true when
  // it is ready. Called with the loop locked, like waitFor.
  bool waitUntilReady(pa_stream* stream);

  // With the lock held: waits for an operation to complete and releases it.
  // An operation that did not complete in time is cancelled, so its callback
  // can no longer reach the caller's (stack) data. False unless completed.
  bool finish(pa_operation* op);

  // Wakes the threads in waitFor; callbacks call it when something they wait
  // for has changed.
  void signal();

  static constexpr std::chrono::milliseconds kOperationTimeout{5000};

 private:
  PulseConnection() = default;
  static void onContextState(pa_context* c, void* userdata);

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  std::atomic<int> state_{PA_CONTEXT_UNCONNECTED};
};

}  // namespace zaudio::pulse
