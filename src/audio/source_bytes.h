// The bytes of a decoder's source (a window of a file, or memory the caller
// keeps valid), read by position so that several readers can share one
// source. Header-only: the codec module uses it too.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "audio/file_decoder.h"

namespace zaudio {

class SourceBytes {
 public:
  SourceBytes() = default;
  SourceBytes(const SourceBytes&) = delete;
  SourceBytes& operator=(const SourceBytes&) = delete;
  SourceBytes(SourceBytes&& other) noexcept { *this = std::move(other); }
  SourceBytes& operator=(SourceBytes&& other) noexcept {
    std::swap(fd_, other.fd_);
    std::swap(memory_, other.memory_);
    std::swap(base_, other.base_);
    std::swap(size_, other.size_);
    return *this;
  }
  ~SourceBytes() {
    if (fd_ >= 0) ::close(fd_);
  }

  // OK, ERROR_FILEOPEN (cannot be read) or ERROR_FILEFORM (nothing in it).
  int open(const FileSource& source) {
    if (source.memory) {
      if (!source.data || source.length == 0) return ERROR_FILEOPEN;
      memory_ = source.data;
      base_ = source.offset;
      size_ = source.length;
    } else {
      fd_ = ::open(source.path.c_str(), O_RDONLY | O_CLOEXEC);
      struct stat st {};
      if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return ERROR_FILEOPEN;
      const auto fileSize = static_cast<std::uint64_t>(st.st_size);
      if (source.offset > fileSize) return ERROR_FILEOPEN;
      base_ = source.offset;
      size_ = fileSize - source.offset;
      if (source.length > 0) size_ = std::min(size_, source.length);
    }
    return size_ == 0 ? ERROR_FILEFORM : OK;
  }

  std::uint64_t size() const { return size_; }

  // Up to n bytes at pos of the window; 0 at its end or on a read error.
  int read(std::uint64_t pos, std::uint8_t* out, int n) const {
    if (pos >= size_ || n <= 0) return 0;
    n = static_cast<int>(std::min<std::uint64_t>(static_cast<std::uint64_t>(n), size_ - pos));
    if (memory_) {
      std::memcpy(out, memory_ + base_ + pos, static_cast<size_t>(n));
      return n;
    }
    for (;;) {
      const ssize_t got = ::pread(fd_, out, static_cast<size_t>(n), static_cast<off_t>(base_ + pos));
      if (got >= 0) return static_cast<int>(got);
      if (errno != EINTR) return 0;
    }
  }

  // Exactly n bytes at pos; false when fewer are there.
  bool readAll(std::uint64_t pos, std::uint8_t* out, int n) const {
    while (n > 0) {
      const int got = read(pos, out, n);
      if (got <= 0) return false;
      pos += static_cast<std::uint64_t>(got);
      out += got;
      n -= got;
    }
    return true;
  }

 private:
  int fd_ = -1;
  const std::uint8_t* memory_ = nullptr;
  std::uint64_t base_ = 0;  // offset of the window in the file
  std::uint64_t size_ = 0;  // bytes in the window
};

}  // namespace zaudio
