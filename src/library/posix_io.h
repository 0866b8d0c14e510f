// Small POSIX helpers shared by the list file and the file actions: an owned
// file descriptor and writing a whole buffer.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <string_view>

class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { close(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  // Closes the one held and takes fd.
  void reset(int fd) {
    close();
    fd_ = fd;
  }
  // Closes now; 0, or the errno of close, which can report a failed write.
  int close() {
    int error = 0;
    if (fd_ >= 0 && ::close(fd_) != 0) error = errno;
    fd_ = -1;
    return error;
  }

 private:
  int fd_;
};

// Writes all of data; false with errno set when a write fails.
inline bool WriteAll(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t n = ::write(fd, data.data(), data.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data.remove_prefix(std::size_t(n));
  }
  return true;
}
