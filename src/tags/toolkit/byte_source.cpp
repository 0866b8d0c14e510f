#include "tags/toolkit/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tags {

Bytes ByteSource::bytes(std::uint64_t offset, std::size_t n) const {
  if (!contains(offset, n)) return {};
  Bytes out(n);
  if (n != 0 && !read(offset, out.data(), n)) return {};
  return out;
}

bool ByteSource::startsWith(std::uint64_t offset, const char* text) const {
  const std::size_t n = std::strlen(text);
  const Bytes b = bytes(offset, n);
  return b.size() == n && std::memcmp(b.data(), text, n) == 0;
}

bool MemorySource::read(std::uint64_t offset, void* dst, std::size_t n) const {
  if (!contains(offset, n)) return false;
  if (n != 0) std::memcpy(dst, data_.data() + offset, n);
  return true;
}

std::unique_ptr<FileSource> FileSource::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<FileSource>(new FileSource(fd, std::uint64_t(st.st_size)));
}

FileSource::~FileSource() { ::close(fd_); }

bool FileSource::read(std::uint64_t offset, void* dst, std::size_t n) const {
  if (!contains(offset, n)) return false;
  auto* out = static_cast<char*>(dst);
  while (n > 0) {
    const ssize_t got = ::pread(fd_, out, n, off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got;
    offset += std::uint64_t(got);
    n -= std::size_t(got);
  }
  return true;
}

}  // namespace tags
