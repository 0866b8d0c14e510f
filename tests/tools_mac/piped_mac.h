// bin/MAC reading from a pipe, as the recorder runs it: a thread fills the
// pipe with a WAV stream and leaves it open until told to close it, so the
// encoder cannot know the length and is still running until then.
#pragma once

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

#include "test_signals.h"

namespace tools_mac {

class PipedMac {
 public:
  // Its standard error goes to `errFile`.
  PipedMac(const std::filesystem::path& out, int level, Bytes stream,
           const std::filesystem::path& errFile = "/dev/null");
  ~PipedMac();
  PipedMac(const PipedMac&) = delete;
  PipedMac& operator=(const PipedMac&) = delete;

  bool started() const { return pid_ > 0; }
  std::size_t bytesFed() const { return fed_; }

  // Closes the pipe once every byte is in it, so the encoder sees the end.
  void closeInput();
  // Its exit code once it ends by itself within `deadline`; nothing when a
  // signal ended it or it is still running (then it is killed).
  std::optional<int> waitForExit(std::chrono::seconds deadline);
  // SIGKILL; true when that ended it (it had not already ended by itself).
  bool kill();

 private:
  void feed();
  void reaped();

  Bytes stream_;
  pid_t pid_ = -1;
  int writeFd_ = -1;
  std::thread writer_;
  std::atomic<std::size_t> fed_{0};
};

}  // namespace tools_mac
