// Runs code against a file system that is full: a small tmpfs mounted in a
// private mount namespace of a child process, so nothing outside the test sees
// it. Needs root (CI runs as root); callers skip otherwise.
#pragma once

#include <filesystem>
#include <functional>

namespace zovedu_test {

// True when this process may create mount namespaces (it runs as root).
bool CanMountFullDisk();

// Forks; the child mounts a tmpfs of sizeBytes at a fresh folder, runs setup
// (copy the test's files in), fills every byte left, and returns body's result
// as its exit status. Returns that status, or -1 when the child could not set
// up or died. The folder and everything in it disappear with the child.
int RunOnFullDisk(const std::function<void(const std::filesystem::path& dir)>& setup,
                  const std::function<int(const std::filesystem::path& dir)>& body,
                  std::size_t sizeBytes = 8u << 20);

// The same on a file system mounted read-only once setup has run: no write
// succeeds there, for root neither.
int RunOnReadOnlyDisk(const std::function<void(const std::filesystem::path& dir)>& setup,
                      const std::function<int(const std::filesystem::path& dir)>& body);

}  // namespace zovedu_test
