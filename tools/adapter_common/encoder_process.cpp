#include "encoder_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace adapter {

namespace {

// The command lines write decimals with "." and the encoders parse them with
// the C library in their locale, so they run in the C locale whatever ours is.
std::vector<std::string> EncoderEnvironment() {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e)
    if (std::strncmp(*e, "LC_ALL=", 7) != 0) env.emplace_back(*e);
  env.emplace_back("LC_ALL=C");
  return env;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> out;
  for (auto& s : strings) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

}  // namespace

// A safety net for when finish() could not run to its end: the encoder ends
// on its own once its input closes, and we wait so it never outlives us.
EncoderProcess::~EncoderProcess() {
  if (input_ >= 0) ::close(input_);
  if (pid_ > 0) {
    int status;
    while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
    }
  }
}

bool EncoderProcess::start(const std::string& program, const std::vector<std::string>& args, std::string& error) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    error = std::string("cannot create a pipe: ") + std::strerror(errno);
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[0], 0);  // dup2 clears close-on-exec on fd 0
  // We ignore SIGPIPE to learn from write() that the encoder quit. The
  // encoder keeps ignoring it: when the recorder is gone, its messages go
  // into a broken pipe, and it must still finish the file at the end of its
  // input rather than die of that.
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);

  // The encoder names itself in its messages by argv[0]: its plain name.
  std::vector<std::string> argv{program.substr(program.rfind('/') + 1)};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<std::string> env = EncoderEnvironment();
  const int rc = posix_spawn(&pid_, program.c_str(), &actions, &attr, Pointers(argv).data(), Pointers(env).data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);
  ::close(fds[0]);
  if (rc != 0) {
    pid_ = -1;
    ::close(fds[1]);
    error = "cannot start " + program + ": " + std::strerror(rc);
    return false;
  }
  input_ = fds[1];
  return true;
}

bool EncoderProcess::write(const void* data, size_t bytes) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  while (bytes > 0) {
    const ssize_t n = ::write(input_, p, bytes);
    if (n < 0) {
      if (errno == EINTR) continue;
      if (errno == EPIPE) return false;
      throw std::runtime_error(std::string("writing to the encoder failed: ") + std::strerror(errno));
    }
    p += n;
    bytes -= static_cast<size_t>(n);
  }
  return true;
}

EncoderProcess::Exit EncoderProcess::finish() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno != EINTR)
      throw std::runtime_error(std::string("waiting for the encoder failed: ") + std::strerror(errno));
  }
  pid_ = -1;
  if (WIFSIGNALED(status)) return {128 + WTERMSIG(status), WTERMSIG(status)};
  return {WEXITSTATUS(status), 0};
}

}  // namespace adapter
