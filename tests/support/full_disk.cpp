#include "support/full_disk.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace zovedu_test {
namespace {

// Writes until the file system refuses: big blocks first, then single bytes so
// that no slack is left in the last page.
void Fill(const std::filesystem::path& dir) {
  const int fd = ::open((dir / ".filler").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (fd < 0) return;
  std::vector<char> block(1 << 16, 'x');
  for (std::size_t n = block.size(); n > 0; n /= 2)
    while (::write(fd, block.data(), n) == ssize_t(n)) {
    }
  ::close(fd);
}

}  // namespace

bool CanMountFullDisk() { return ::geteuid() == 0; }

namespace {

enum class DiskState { Full, ReadOnly };

int RunOnPrivateDisk(const std::function<void(const std::filesystem::path& dir)>& setup,
                     const std::function<int(const std::filesystem::path& dir)>& body, std::size_t sizeBytes,
                     DiskState state) {
  char pattern[] = "/tmp/zovedu-full-XXXXXX";
  if (!::mkdtemp(pattern)) return -1;
  const std::filesystem::path dir = pattern;
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    const std::string options = "size=" + std::to_string(sizeBytes);
    if (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("zovedu-full", dir.c_str(), "tmpfs", 0, options.c_str()) != 0)
      ::_exit(255);
    setup(dir);
    if (state == DiskState::Full) Fill(dir);
    if (state == DiskState::ReadOnly &&
        ::mount("zovedu-full", dir.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, options.c_str()) != 0)
      ::_exit(255);
    ::_exit(body(dir) & 0xff);
  }
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
  }
  ::rmdir(dir.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) != 255 ? WEXITSTATUS(status) : -1;
}

}  // namespace

int RunOnFullDisk(const std::function<void(const std::filesystem::path& dir)>& setup,
                  const std::function<int(const std::filesystem::path& dir)>& body, std::size_t sizeBytes) {
  return RunOnPrivateDisk(setup, body, sizeBytes, DiskState::Full);
}

int RunOnReadOnlyDisk(const std::function<void(const std::filesystem::path& dir)>& setup,
                      const std::function<int(const std::filesystem::path& dir)>& body) {
  return RunOnPrivateDisk(setup, body, 8u << 20, DiskState::ReadOnly);
}

}  // namespace zovedu_test
