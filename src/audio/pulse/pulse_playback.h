// A playback stream on one sink, fed from a channel's playback buffer. The
// loop thread only copies what the channel's own thread has decoded into the
// buffer; when the server asks for more than is there, the next write into
// the buffer hands it on. At the buffer's end the stream drains, and
// drained() turns true once the server has played everything.
#pragma once

#include <memory>
#include <string>

#include "audio/backend.h"
#include "audio/pulse/pulse_connection.h"

namespace zaudio {
class PlaybackBuffer;
}

namespace zaudio::pulse {

class PulsePlaybackStream final : public PlaybackStream {
 public:
  // Connects a playback stream on sink and waits until it runs. nullptr with
  // error set on failure. Cannot be called on the loop thread.
  static std::unique_ptr<PulsePlaybackStream> start(std::shared_ptr<PulseConnection> connection,
                                                    const std::string& sink, const CaptureFormat& format,
                                                    std::shared_ptr<PlaybackBuffer> buffer, int& error);
  ~PulsePlaybackStream() override;

  bool pause() override;
  bool resume() override;
  void flush() override;
  std::uint64_t heardFrames() override;
  bool drained() override;
  void stop() override;

  class Output;  // the state the loop thread uses

 private:
  explicit PulsePlaybackStream(std::shared_ptr<Output> output);
  std::shared_ptr<Output> output_;
};

}  // namespace zaudio::pulse
