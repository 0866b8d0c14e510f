// An encoder attached to a channel: takes the channel's processed blocks on
// the audio thread, converts and queues them, and writes them on a thread of
// its own, either to a WAV file or into the stdin of an encoding program. The
// audio thread never waits for a disk or a program.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "audio/backend.h"
#include "audio/encode/byte_ring.h"
#include "audio/encode/encode_flags.h"
#include "audio/encode/pcm_encoding.h"

namespace zaudio {

class EncoderOutput;

class Encoder final {
 public:
  using NotifyProc = std::function<void(DWORD status)>;

  // With ENCODE_PCM `target` is a file that becomes a WAV file; otherwise it is
  // a command line whose program is started and reads a WAV stream from its
  // stdin. The ENCODE_FP_* flags choose what float input is written as.
  // Nothing on failure, with `error` ERROR_FILEOPEN (the file cannot be created,
  // the program cannot be started), ERROR_ILLPARAM (no program in the command
  // line, FP bits naming no width) or ERROR_FORMAT (unusable input format).
  static std::unique_ptr<Encoder> Start(const std::string& target, const CaptureFormat& input, DWORD flags,
                                        int& error);
  // The same queue and writer thread in front of an output of the caller's
  // (for instance a file in another format). `makeOutput` gets the sample
  // encoding the output will be handed and returns it, or nothing with
  // `error` set.
  using OutputFactory = std::function<std::unique_ptr<EncoderOutput>(PcmEncoding encoding, int& error)>;
  static std::unique_ptr<Encoder> StartWith(const OutputFactory& makeOutput, const CaptureFormat& input,
                                            DWORD flags, int& error);
  ~Encoder();  // stops as stop() does
  Encoder(const Encoder&) = delete;
  Encoder& operator=(const Encoder&) = delete;

  // Audio thread: whole frames of the input format (a partial frame at the end
  // is ignored). Converts into the queue and returns; holds a lock only while
  // copying. A block the queue has no room for fails the encoder with
  // ENCODE_NOTIFY_QUEUE_FULL. A failed or stopped encoder takes nothing.
  void feed(const void* data, size_t bytes);

  // A paused encoder drops what it is fed without counting it.
  void setPaused(bool paused);
  bool paused() const;

  // Bytes taken so far, as written into the WAV data (after conversion).
  std::uint64_t countIn() const;

  // 0, or the ENCODE_NOTIFY_* status of the failure that ended the encoder.
  DWORD failure() const;

  // `proc` gets that status, at most once, on the encoder's thread while no
  // lock of the encoder is held. It must not stop or destroy the encoder.
  void setNotify(NotifyProc proc);

  // Writes what is queued and completes the output: the final WAV header, or
  // closing the program's stdin and waiting for it to end (killing it 60 s after
  // the call). Idempotent. True when everything fed was written and a program
  // exited with status 0.
  bool stop();

  // For a program, the last line it wrote to stderr; for a file, what made
  // writing it fail. May be empty.
  std::string lastMessage() const;

 private:
  Encoder(std::unique_ptr<EncoderOutput> output, SampleType inputType, DWORD channels, PcmEncoding encoding,
          size_t queueBytes, std::chrono::milliseconds stopTimeout);

  using Clock = std::chrono::steady_clock;

  void run();                         // the writer thread
  void failWriting(DWORD status, Clock::time_point giveUpAt);
  bool drained();

  const std::unique_ptr<EncoderOutput> output_;
  const SampleType inputType_;
  const PcmEncoding encoding_;
  const size_t channels_;
  const size_t inputFrameBytes_;
  const size_t outputFrameBytes_;
  const std::chrono::milliseconds stopTimeout_;

  std::atomic<bool> paused_{false};
  std::atomic<std::uint64_t> countIn_{0};

  mutable std::mutex mutex_;  // guards what follows; held only for short moments
  std::condition_variable wake_;
  ByteRing queue_;
  const size_t wakeBytes_;  // a feed wakes a waiting writer once this much is queued
  bool writerWaiting_ = false;
  bool stopRequested_ = false;
  Clock::time_point giveUpAt_ = Clock::time_point::max();  // when a stuck program is abandoned
  DWORD failure_ = 0;
  DWORD unreported_ = 0;  // a failure the notification has yet to get
  NotifyProc notify_;
  bool outputComplete_ = false;  // finished soundly after the last write

  std::mutex stopMutex_;  // one stop() at a time
  bool stopped_ = false;
  bool stopResult_ = false;
  std::thread writer_;
};

}  // namespace zaudio
