#include "tags/taglib/edit_and_sync.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tags {

bool EditAndSync(const std::string& path, const std::function<bool()>& edit) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  const bool lent = ::access(path.c_str(), W_OK) != 0 && ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR) == 0;
  bool ok = edit();
  if (lent && ::chmod(path.c_str(), st.st_mode & 07777) != 0) ok = false;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  ok = ::fsync(fd) == 0 && ok;
  ::close(fd);
  return ok;
}

}  // namespace tags
