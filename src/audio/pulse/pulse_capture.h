// A record stream on one source. The server's data reaches the sink on the
// loop thread in whole frames; the stream ends for good when the sink returns
// false or stop() returns.
#pragma once

#include <memory>
#include <string>

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
                                                   CaptureSink sink, CaptureEnded ended,
                                                   int& error);

  // Stops. May run anywhere, the sink of this very stream included.
  ~PulseCaptureStream() override;

  bool resume() override;
  // Delivers what was captured before the pause.
  bool pause() override;
  // Delivers what was captured before the stop, then ends. May be called from
  // the sink itself; then the current delivery is the last.
  void stop() override;

  class Record;  // the stream's state that the loop thread uses

 private:
  explicit PulseCaptureStream(std::shared_ptr<Record> record);
  std::shared_ptr<Record> record_;
};

}  // namespace zaudio::pulse
