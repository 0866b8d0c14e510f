#include "audio/encode/program_output.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "audio/encode/command_line.h"
#include "audio/encode/encode_flags.h"

extern char** environ;

namespace zaudio {

namespace {

// The longest a write waits for room in the pipe before handing back to the
// writer loop.
constexpr auto kRoomWait = std::chrono::milliseconds(200);
constexpr const char* kDefaultSearchPath = "/usr/local/bin:/usr/bin:/bin";

// Ours, with LC_ALL=C: encoders must read numbers such as "2.75" with a point.
std::vector<std::string> ProgramEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; e && *e; ++e) {
    const std::string entry(*e);
    if (!entry.starts_with("LC_ALL=")) env.push_back(entry);
  }
  env.push_back("LC_ALL=C");
  return env;
}

// A write into a pipe without reader leaves a SIGPIPE pending on the writer
// thread, which blocks it; take it so it can never be delivered later.
void DiscardPendingSigpipe() {
  sigset_t pipeOnly;
  sigemptyset(&pipeOnly);
  sigaddset(&pipeOnly, SIGPIPE);
  const timespec now{0, 0};
  while (::sigtimedwait(&pipeOnly, nullptr, &now) == SIGPIPE) {
  }
}

// Waits for room in the pipe; false when the wait ended without it.
bool WaitForRoom(int fd, EncoderClock::time_point giveUpAt) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(giveUpAt - EncoderClock::now());
  const auto wait = std::clamp(left, std::chrono::milliseconds(0), std::chrono::milliseconds(kRoomWait));
  pollfd p{fd, POLLOUT, 0};
  return ::poll(&p, 1, static_cast<int>(wait.count())) > 0;
}

}  // namespace

std::unique_ptr<ProgramOutput> ProgramOutput::Start(const std::string& commandLine, const WavFormat& format,
                                                    int& error) {
  const auto args = SplitCommandLine(commandLine);
  if (!args) {
    error = ERROR_ILLPARAM;
    return nullptr;
  }
  const char* searchPath = std::getenv("PATH");
  const auto program = ResolveProgram(args->front(), ExecutableDir(), searchPath ? searchPath : kDefaultSearchPath);
  std::unique_ptr<ChildProcess> child;
  if (program) child = ChildProcess::Spawn(*program, *args, ProgramEnvironment());
  if (!child) {
    error = ERROR_FILEOPEN;
    return nullptr;
  }
  return std::unique_ptr<ProgramOutput>(new ProgramOutput(std::move(child), StreamingWavHeader(format)));
}

ProgramOutput::ProgramOutput(std::unique_ptr<ChildProcess> child, std::vector<std::uint8_t> header)
    : child_(std::move(child)), stderr_(child_->stderrFd()), header_(std::move(header)) {}

DWORD ProgramOutput::begin() {
  // The pipe is empty, so the header goes in at once unless the program is gone.
  size_t sent = 0;
  while (sent < header_.size()) {
    const Written w = write(std::span(header_).subspan(sent), EncoderClock::time_point::max());
    if (w.failure) return w.failure;
    sent += w.bytes;
  }
  return 0;
}

EncoderOutput::Written ProgramOutput::write(std::span<const std::uint8_t> data, EncoderClock::time_point giveUpAt) {
  Written result;
  const int fd = child_->stdinFd();
  while (result.bytes < data.size()) {
    const ssize_t n = ::write(fd, data.data() + result.bytes, data.size() - result.bytes);
    if (n > 0) {
      result.bytes += n;
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      if (result.bytes > 0) break;  // hand the progress back first
      if (EncoderClock::now() >= giveUpAt) {
        result.failure = ENCODE_NOTIFY_ENCODER;  // it stopped taking data
        break;
      }
      if (!WaitForRoom(fd, giveUpAt)) break;
    } else {
      if (n < 0 && errno == EPIPE) DiscardPendingSigpipe();
      result.failure = ENCODE_NOTIFY_ENCODER;
      break;
    }
  }
  return result;
}

DWORD ProgramOutput::poll() { return child_->ended() ? ENCODE_NOTIFY_ENCODER : 0; }

bool ProgramOutput::finish(EncoderClock::time_point giveUpAt) {
  child_->closeStdin();
  const bool ended = child_->waitUntil(giveUpAt);
  if (!ended) child_->killAndReap();
  stderr_.finish();
  return ended && child_->exitedWithZero();
}

std::string ProgramOutput::lastMessage() const { return stderr_.lastLine(); }

}  // namespace zaudio
