#include "piped_mac.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <string>

#include "support/program_run.h"

extern char** environ;

namespace tools_mac {

PipedMac::PipedMac(const std::filesystem::path& out, int level, Bytes stream, const std::filesystem::path& errFile)
    : stream_(std::move(stream)) {
  // A write into a pipe whose reader died must fail, not end the test program.
  std::signal(SIGPIPE, SIG_IGN);
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) return;
  writeFd_ = fds[1];
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::string program = zovedu_test::Bin("MAC"), dash = "-", path = out.string(),
              levelArg = "-c" + std::to_string(level);
  char* argv[] = {program.data(), dash.data(), path.data(), levelArg.data(), nullptr};
  if (posix_spawn(&pid_, program.c_str(), &actions, nullptr, argv, environ) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[0]);
  if (pid_ > 0) writer_ = std::thread([this] { feed(); });
}

PipedMac::~PipedMac() {
  kill();
  if (writer_.joinable()) writer_.join();
  if (writeFd_ >= 0) ::close(writeFd_);
}

void PipedMac::feed() {
  for (std::size_t done = 0; done < stream_.size();) {
    const ssize_t n = ::write(writeFd_, stream_.data() + done, std::min<std::size_t>(stream_.size() - done, 1 << 16));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // the encoder is gone
    done += static_cast<std::size_t>(n);
    fed_ = done;
  }
}

void PipedMac::closeInput() {
  if (writer_.joinable()) writer_.join();
  if (writeFd_ >= 0) ::close(writeFd_);
  writeFd_ = -1;
}

void PipedMac::reaped() {
  pid_ = -1;
  // With no reader left, a write still under way fails and the writer ends.
  if (writer_.joinable()) writer_.join();
}

std::optional<int> PipedMac::waitForExit(std::chrono::seconds deadline) {
  if (pid_ <= 0) return std::nullopt;
  const auto end = std::chrono::steady_clock::now() + deadline;
  int status = 0;
  for (;;) {
    const pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_) break;
    if ((r < 0 && errno != EINTR) || std::chrono::steady_clock::now() >= end) {
      kill();
      return std::nullopt;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  reaped();
  if (!WIFEXITED(status)) return std::nullopt;
  return WEXITSTATUS(status);
}

bool PipedMac::kill() {
  if (pid_ <= 0) return false;
  ::kill(pid_, SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  reaped();
  return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace tools_mac
