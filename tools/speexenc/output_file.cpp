#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace speexenc {

namespace {

std::runtime_error Failure(const std::string& what, const std::string& path) {
  return std::runtime_error(what + " '" + path + "': " + std::strerror(errno));
}

}  // namespace

OutputFile::OutputFile(std::string path) : path_(std::move(path)) {
  fd_ = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd_ < 0) throw Failure("cannot create", path_);
  struct stat st {};
  regular_ = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
}

// A run that failed before writing anything leaves no file; one that failed
// later (a full disk) keeps the pages that reached it, which play.
OutputFile::~OutputFile() {
  if (committed_) return;
  if (fd_ >= 0) ::close(fd_);
  if (regular_ && written_ == 0) ::unlink(path_.c_str());
}

void OutputFile::writePage(const void* header, size_t headerSize, const void* body, size_t bodySize) {
  const std::uint64_t start = written_;
  try {
    write(header, headerSize);
    write(body, bodySize);
  } catch (...) {
    if (regular_ && ::ftruncate(fd_, static_cast<off_t>(start)) == 0) written_ = start;
    throw;
  }
}

void OutputFile::write(const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw Failure("cannot write", path_);
    }
    p += n;
    size -= static_cast<size_t>(n);
    written_ += static_cast<std::uint64_t>(n);
  }
}

void OutputFile::commit() {
  // fsync fails on what cannot be synced (a pipe, a terminal); those have
  // nothing left to lose, a regular file has.
  if (regular_ && ::fsync(fd_) != 0 && errno != EINVAL) throw Failure("cannot write", path_);
  const int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) throw Failure("cannot write", path_);
  committed_ = true;
}

}  // namespace speexenc
