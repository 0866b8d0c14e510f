#include "audio/encode/stderr_tail.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace zaudio {

namespace {
constexpr size_t kMaxLine = 1000;  // a longer line is cut, not buffered without bound

std::string Trimmed(const std::string& s) {
  const size_t first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}
}  // namespace

StderrTail::StderrTail(int fd) : fd_(fd), wakeFd_(::eventfd(0, EFD_CLOEXEC)) {
  reader_ = std::thread(&StderrTail::run, this);
}

StderrTail::~StderrTail() {
  finish();
  if (wakeFd_ >= 0) ::close(wakeFd_);
}

void StderrTail::finish() {
  if (!reader_.joinable()) return;
  finishing_ = true;
  if (wakeFd_ >= 0) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);  // cannot fail below the counter's limit
  }
  reader_.join();
}

std::string StderrTail::lastLine() const {
  std::lock_guard lock(mutex_);
  return last_;
}

void StderrTail::run() {
  // Without an eventfd the reader looks at finishing_ every 100 ms instead.
  pollfd fds[2] = {{fd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
  const nfds_t count = wakeFd_ >= 0 ? 2 : 1;
  const int timeoutMs = wakeFd_ >= 0 ? -1 : 100;
  for (;;) {
    if (::poll(fds, count, timeoutMs) < 0 && errno != EINTR) break;
    if (fds[0].revents != 0 && !readAvailable()) break;
    if (finishing_) {
      readAvailable();
      break;
    }
  }
  endLine();  // a last line without a line break
}

bool StderrTail::readAvailable() {
  char buffer[4096];
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      take(buffer, n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      return n < 0 && errno == EAGAIN;
    }
  }
}

void StderrTail::take(const char* data, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (data[i] == '\n' || data[i] == '\r')
      endLine();
    else if (partial_.size() < kMaxLine)
      partial_ += data[i];
  }
}

void StderrTail::endLine() {
  std::string line = Trimmed(partial_);
  partial_.clear();
  if (line.empty()) return;
  std::lock_guard lock(mutex_);
  last_ = std::move(line);
}

}  // namespace zaudio
