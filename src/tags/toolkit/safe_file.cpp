#include "tags/toolkit/safe_file.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <vector>

namespace tags {
namespace {

// The file a path names, with symbolic links resolved.
std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : path;
}

std::string FolderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool ok = ::fsync(fd) == 0;
  ::close(fd);
  return ok;
}

bool ReadAt(int fd, std::uint64_t offset, void* dst, std::size_t n) {
  auto* out = static_cast<char*>(dst);
  while (n > 0) {
    const ssize_t got = ::pread(fd, out, n, off_t(offset));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    out += got, offset += std::uint64_t(got), n -= std::size_t(got);
  }
  return true;
}

bool WriteAt(int fd, std::uint64_t offset, const void* src, std::size_t n) {
  auto* in = static_cast<const char*>(src);
  while (n > 0) {
    const ssize_t put = ::pwrite(fd, in, n, off_t(offset));
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    in += put, offset += std::uint64_t(put), n -= std::size_t(put);
  }
  return true;
}

// An existing file opened for reading and writing. A read-only file the user
// owns gets owner write permission while it is open, and its mode back after.
class WritableFile {
 public:
  explicit WritableFile(const std::string& path) : path_(path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd_ < 0 && errno == EACCES && ::stat(path.c_str(), &st_) == 0 &&
        st_.st_uid == ::geteuid() && !(st_.st_mode & S_IWUSR) &&
        ::chmod(path.c_str(), (st_.st_mode & 07777) | S_IWUSR) == 0) {
      restoreMode_ = true;
      fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    }
  }
  ~WritableFile() {
    if (fd_ >= 0) ::close(fd_);
    if (restoreMode_) ::chmod(path_.c_str(), st_.st_mode & 07777);
  }
  int fd() const { return fd_; }
  std::uint64_t size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? std::uint64_t(st.st_size) : 0;
  }

 private:
  std::string path_;
  int fd_ = -1;
  struct stat st_ {};
  bool restoreMode_ = false;
};

}  // namespace

bool WriteBytes(int out, const void* data, std::size_t n) {
  auto* in = static_cast<const char*>(data);
  while (n > 0) {
    const ssize_t put = ::write(out, in, n);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    in += put, n -= std::size_t(put);
  }
  return true;
}

bool CopyRange(int in, std::uint64_t offset, std::uint64_t len, int out) {
  loff_t from = loff_t(offset);
  bool fallback = false;
  while (len > 0 && !fallback) {
    const ssize_t n = ::copy_file_range(in, &from, out, nullptr, std::size_t(std::min<std::uint64_t>(len, 1u << 30)), 0);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL))
      fallback = true;
    else if (n <= 0)
      return false;
    else
      len -= std::uint64_t(n);
  }
  std::vector<char> buf(1 << 20);
  while (len > 0) {
    const std::size_t chunk = std::size_t(std::min<std::uint64_t>(len, buf.size()));
    if (!ReadAt(in, std::uint64_t(from), buf.data(), chunk) || !WriteBytes(out, buf.data(), chunk))
      return false;
    from += loff_t(chunk);
    len -= chunk;
  }
  return true;
}

// The copy is made under a fresh name beside the file, created exclusively:
// never a file or a link that is already there (a "song.mp3~" backup, or a
// link planted to have something else overwritten).
bool ReplaceFile(const std::string& path, const std::function<bool(int out)>& write,
                 const std::function<bool(const std::string& tempPath)>& verify) {
  const std::string target = RealPath(path);
  struct stat st {};
  if (::stat(target.c_str(), &st) != 0) return false;
  std::string temp = target + "~XXXXXX";
  const int out = ::mkostemp(temp.data(), O_CLOEXEC);
  if (out < 0) return false;
  bool ok = false, closed = false;
  try {
    ok = write(out);
    if (ok) {
      // The owner is kept where we may set it; the mode always.
      if (::fchown(out, st.st_uid, st.st_gid) != 0) {
      }
      ok = ::fchmod(out, st.st_mode & 07777) == 0 && ::fsync(out) == 0;
    }
    closed = true;
    ok = ::close(out) == 0 && ok;
    if (ok && verify) ok = verify(temp);
    if (ok) ok = ::rename(temp.c_str(), target.c_str()) == 0;
  } catch (...) {
    if (!closed) ::close(out);
    ::unlink(temp.c_str());
    throw;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    return false;
  }
  SyncFolder(FolderOf(target));
  return true;
}

bool ReplaceTail(const std::string& path, std::uint64_t tailOffset, const Bytes& newTail) {
  WritableFile file(RealPath(path));
  const int fd = file.fd();
  if (fd < 0) return false;
  const std::uint64_t oldSize = file.size();
  if (tailOffset > oldSize) return false;
  Bytes oldTail(std::size_t(oldSize - tailOffset));
  if (!oldTail.empty() && !ReadAt(fd, tailOffset, oldTail.data(), oldTail.size())) return false;
  if (newTail == oldTail) return true;

  // Reserve the room first, so that a full disk fails before anything changed.
  if (newTail.size() > oldTail.size()) {
    const int err = ::posix_fallocate(fd, off_t(tailOffset), off_t(newTail.size()));
    if (err != 0 && err != EOPNOTSUPP && err != EINVAL) {
      if (::ftruncate(fd, off_t(oldSize)) != 0) {
      }
      return false;
    }
  }
  if (WriteAt(fd, tailOffset, newTail.data(), newTail.size()) &&
      ::ftruncate(fd, off_t(tailOffset + newTail.size())) == 0 && ::fdatasync(fd) == 0)
    return true;

  // Put the old end back as it was.
  if (WriteAt(fd, tailOffset, oldTail.data(), oldTail.size()) && ::ftruncate(fd, off_t(oldSize)) == 0)
    ::fdatasync(fd);
  return false;
}

bool OverwriteInPlace(const std::string& path, std::uint64_t offset, const Bytes& data) {
  WritableFile file(RealPath(path));
  const int fd = file.fd();
  if (fd < 0) return false;
  if (offset > file.size() || data.size() > file.size() - offset) return false;
  Bytes old(data.size());
  if (!old.empty() && !ReadAt(fd, offset, old.data(), old.size())) return false;
  if (old == data) return true;
  if (WriteAt(fd, offset, data.data(), data.size()) && ::fdatasync(fd) == 0) return true;
  if (WriteAt(fd, offset, old.data(), old.size())) ::fdatasync(fd);
  return false;
}

}  // namespace tags
