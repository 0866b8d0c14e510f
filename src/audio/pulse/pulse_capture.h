// A record stream on one source. The server's data reaches the sink on the
// loop thread in whole frames; the stream ends for good when the sink returns
// false or stop() returns.
#pragma once

#include <pulse/stream.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "audio/backend.h"
#include "audio/pulse/pulse_connection.h"

namespace zaudio::pulse {

class PulseCaptureStream final : public CaptureStream {
 public:
  // Connects a record stream on source and waits until it runs (or sits
  // corked when paused). nullptr with error set on failure. Cannot be called
  // on the loop thread.
  static std::unique_ptr<PulseCaptureStream> start(std::shared_ptr<PulseConnection> connection,
                                                   const std::string& source,
                                                   const CaptureFormat& format, bool paused,
                                                   CaptureSink sink, int& error);

  // Stops first. Must not run inside the sink of this stream.
  ~PulseCaptureStream() override;

  bool resume() override;
  bool pause() override;
  // May be called from the sink itself; then the current delivery is the last.
  void stop() override;

  // How much audio one delivery carries at most (the record fragment).
  static constexpr pa_usec_t kFragmentUsec = 15000;

 private:
  PulseCaptureStream(std::shared_ptr<PulseConnection> connection, CaptureSink sink,
                     size_t frameBytes);

  static void onRead(pa_stream* s, size_t bytes, void* userdata);
  static void onState(pa_stream* s, void* userdata);

  void readAll();
  // Hands whole frames to the sink; a trailing part frame waits for the rest.
  void deliver(const std::uint8_t* data, size_t bytes);
  bool call(const std::uint8_t* data, size_t bytes);
  // With the lock held: no more callbacks; the server drops the stream.
  void detach();
  bool cork(bool on);

  std::shared_ptr<PulseConnection> connection_;
  pa_stream* stream_ = nullptr;
  CaptureSink sink_;
  size_t frameBytes_;
  std::vector<std::uint8_t> partFrame_;
  bool ended_ = false;     // guarded by the loop lock
  bool detached_ = false;  // guarded by the loop lock
};

}  // namespace zaudio::pulse
