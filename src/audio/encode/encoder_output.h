// Where an encoder's writer thread puts the converted samples: a WAV file or
// the stdin of a program. All calls but lastMessage() come from that thread,
// begin() first and finish() last. SIGPIPE is blocked there, so writing into a
// pipe without reader fails with EPIPE instead of ending the process.
#pragma once

#include <chrono>
#include <cstdint>
#include <span>
#include <string>

#include "audio/zaudio.h"

namespace zaudio {

using EncoderClock = std::chrono::steady_clock;

class EncoderOutput {
 public:
  virtual ~EncoderOutput() = default;

  // 0 or the ENCODE_NOTIFY_* status of a failure.
  virtual DWORD begin() { return 0; }

  struct Written {
    size_t bytes = 0;
    DWORD failure = 0;
  };
  // Takes what it can of `data`. A destination that is not ready may take
  // nothing after waiting a moment (well under the writer's poll interval), so
  // that the writer stays responsive; past `giveUpAt` such a destination fails.
  virtual Written write(std::span<const std::uint8_t> data, EncoderClock::time_point giveUpAt) = 0;

  // Upkeep each time the writer wakes, which is at least every 250 ms.
  virtual DWORD poll() = 0;

  // Completes the output after the last write or after a failure, taking no
  // longer than until `giveUpAt` where waiting is involved. True when it
  // completed soundly.
  virtual bool finish(EncoderClock::time_point giveUpAt) = 0;

  // Whether the writer may gather up to a poll interval of audio before
  // handing it on. An output that itself holds audio in memory until it has
  // enough (a packet) takes every block at once instead, or a kill of the
  // program would lose the two delays together.
  virtual bool gathersWell() const { return true; }

  // What went wrong last, in words (may be empty). Any thread.
  virtual std::string lastMessage() const { return {}; }
};

}  // namespace zaudio
