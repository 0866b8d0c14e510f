// A stream fed by the caller (StreamPutData) and pulled by a mixer or the
// caller. Data may arrive in pieces that split a frame; only whole frames
// come out.
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "audio/decode_channel.h"

namespace zaudio {

class PushStream final : public DecodeChannel {
 public:
  using DecodeChannel::DecodeChannel;

  // Appends data; endOfData marks that nothing more will come. Returns the
  // bytes queued afterwards, or -1 once the end was marked before.
  std::int64_t put(const void* data, size_t bytes, bool endOfData);
  bool ended() const override;

 protected:
  size_t produce(void* out, size_t maxFrames) override;

 private:
  mutable std::mutex mutex_;  // put() runs on any thread, pulls under the processing lock
  std::vector<std::uint8_t> queue_;
  size_t readAt_ = 0;
  bool endMarked_ = false;
};

}  // namespace zaudio
