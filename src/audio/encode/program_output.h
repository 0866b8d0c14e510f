// An encoding program started from a command line, fed a streaming WAV header
// and then the samples through its stdin.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "audio/encode/child_process.h"
#include "audio/encode/encoder_output.h"
#include "audio/encode/stderr_tail.h"
#include "audio/encode/wav_header.h"

namespace zaudio {

class ProgramOutput final : public EncoderOutput {
 public:
  // Nothing on failure, with `error` ERROR_ILLPARAM for a command line without
  // a program or with an open quote, ERROR_FILEOPEN when the program is not
  // found or does not start.
  static std::unique_ptr<ProgramOutput> Start(const std::string& commandLine, const WavFormat& format,
                                              int& error);

  // Writes the streaming WAV header.
  DWORD begin() override;
  Written write(std::span<const std::uint8_t> data, EncoderClock::time_point giveUpAt) override;
  // Notices a program that ended by itself.
  DWORD poll() override;
  // Closes the program's stdin and waits for it to end, killing it at
  // `giveUpAt`. True when it exited with status 0.
  bool finish(EncoderClock::time_point giveUpAt) override;
  // The last line the program wrote to stderr.
  std::string lastMessage() const override;

 private:
  ProgramOutput(std::unique_ptr<ChildProcess> child, std::vector<std::uint8_t> header);

  std::unique_ptr<ChildProcess> child_;
  StderrTail stderr_;  // declared after child_: stops reading before the pipe closes
  const std::vector<std::uint8_t> header_;
};

}  // namespace zaudio
