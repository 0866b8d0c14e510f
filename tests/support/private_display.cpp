#include "private_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <vector>

namespace zovedu_test {

PrivateDisplay::~PrivateDisplay() { Stop(); }

bool PrivateDisplay::Start(const std::string& xvfb, int deadlineMs) {
  int fds[2];
  if (pipe(fds) != 0) {
    error_ = std::string("pipe: ") + std::strerror(errno);
    return false;
  }
  // The server writes its display number to this descriptor once it is ready.
  fcntl(fds[0], F_SETFD, FD_CLOEXEC);
  const std::string fd = std::to_string(fds[1]);
  // -noreset: by default the server resets when its last client leaves, and
  // a client that connects during the reset is turned away ("could not
  // connect to display") although the server is there.
  std::vector<std::string> args = {xvfb,    "-displayfd", fd,  "-noreset", "-nolisten",
                                   "tcp",   "-screen",    "0", "1024x768x24"};
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    // The server ends with the test program, even when that crashes.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(null, 2);
    execv(xvfb.c_str(), argv.data());
    _exit(127);
  }
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    error_ = std::string("fork: ") + std::strerror(errno);
    return false;
  }
  pid_ = child;
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(deadlineMs);
  while (number.empty() || number.back() != '\n') {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd p{fds[0], POLLIN, 0};
    if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
      error_ = "Xvfb gave no display number in time";
      break;
    }
    char buffer[32];
    const ssize_t n = read(fds[0], buffer, sizeof buffer);
    if (n <= 0) {
      error_ = "Xvfb ended before it was ready";
      break;
    }
    number.append(buffer, static_cast<size_t>(n));
  }
  close(fds[0]);
  if (number.empty() || number.back() != '\n') {
    Stop();
    return false;
  }
  number.pop_back();
  name_ = ":" + number;
  return true;
}

void PrivateDisplay::Kill() { End(SIGKILL); }

void PrivateDisplay::Stop() { End(SIGTERM); }

void PrivateDisplay::End(int signal) {
  if (pid_ <= 0) return;
  kill(pid_, signal);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

}  // namespace zovedu_test
