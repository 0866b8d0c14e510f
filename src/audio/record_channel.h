// A running capture: receives the backend's blocks, runs the channel's
// chain, feeds the encoders and hands the block to the caller's callback.
#pragma once

#include "audio/channel.h"

namespace zaudio {

class RecordChannel final : public Channel,
                            public std::enable_shared_from_this<RecordChannel> {
 public:
  RecordChannel(DWORD handle, CaptureFormat format, RECORDPROC proc);
  ~RecordChannel() override;

  bool isRecording() const override { return true; }

  // Starts the backend capture; the callback may run before this returns.
  int start(Backend& backend, bool paused);

  bool play() override;
  bool pause() override;
  // Everything captured up to this call still reaches the chain, the encoders
  // and the callback; nothing after it.
  void stop() override;

 private:
  bool deliver(const void* data, size_t bytes);  // audio thread
  void ended();                                  // the device or server went away

  RECORDPROC proc_;
  std::unique_ptr<CaptureStream> stream_;
  std::mutex streamMutex_;
  std::vector<unsigned char> block_;
};

}  // namespace zaudio
