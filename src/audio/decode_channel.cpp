#include "audio/decode_channel.h"

namespace zaudio {

DWORD DecodeChannel::getData(void* buffer, DWORD length, int& error) {
  std::lock_guard lock(processing_);
  const size_t frameBytes = static_cast<size_t>(format().frameBytes());
  const size_t frames = produce(buffer, length / frameBytes);
  if (frames == 0 && ended()) {
    error = ERROR_ENDED;
    return DATA_ERROR;
  }
  if (frames > 0) processBlock(buffer, frames);
  error = OK;
  return static_cast<DWORD>(frames * frameBytes);
}

}  // namespace zaudio
