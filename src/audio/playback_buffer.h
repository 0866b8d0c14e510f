// The frames a playing channel has made and its output has not taken yet:
// one producer (the channel's own thread) and one consumer (the backend's
// output, on its own thread), whole frames only. The producer marks the end;
// a seek clears everything.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

#include "audio/encode/byte_ring.h"

namespace zaudio {

class PlaybackBuffer {
 public:
  PlaybackBuffer(size_t capacityFrames, size_t frameBytes);

  size_t frameBytes() const { return frameBytes_; }
  size_t capacityBytes() const;

  // Producer: appends up to `bytes` (whole frames, no more than fit);
  // returns the bytes taken.
  size_t write(const void* data, size_t bytes);
  void markEnd();
  // Waits until `bytes` fit, the buffer is interrupted or the time is up.
  // Reads wake the waiting producer only once that much room is free.
  bool waitWritable(size_t bytes, std::chrono::milliseconds timeout);
  size_t writable() const;  // 0 once interrupted
  // Ends the waits of both sides for good (the channel stops).
  void interrupt();

  // Consumer: takes up to `bytes` (whole frames); returns the bytes taken.
  size_t read(void* out, size_t bytes);
  // Waits until `bytes` can be read or the end is marked; false when the
  // time is up or the buffer is interrupted first.
  bool waitReadable(size_t bytes, std::chrono::milliseconds timeout);

  size_t readable() const;
  bool endMarked() const;
  // The end is marked and everything was taken.
  bool drained() const;

  // Drops everything and the end mark (a seek or a stop).
  void clear();

  // Called after each write and after the end is marked, without the
  // buffer's lock: an output that starved takes the new data.
  void setWake(std::function<void()> wake);

 private:
  const size_t frameBytes_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  ByteRing ring_;
  bool end_ = false;
  bool interrupted_ = false;
  size_t producerWants_ = 0;  // the room a waiting producer waits for; 0: none waits
  std::function<void()> wake_;
};

}  // namespace zaudio
