// A user service manager of the tests' own: its runtime, configuration,
// state and data folders in a scratch folder, started in a private mount
// namespace when the machine has no running service manager (the manager
// refuses to start unless /run/systemd/system exists).
#pragma once

#include <sys/types.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "support/program_run.h"

namespace zovedu_test {

class PrivateUserManager {
 public:
  // Starts it under root/ and waits until it answers; nullptr with the
  // reason in whyNot when it cannot.
  static std::unique_ptr<PrivateUserManager> Start(const std::filesystem::path& root,
                                                   std::string& whyNot);
  // Stops it and puts this process's environment back.
  ~PrivateUserManager();
  PrivateUserManager(const PrivateUserManager&) = delete;
  PrivateUserManager& operator=(const PrivateUserManager&) = delete;

  // The XDG variables that lead systemctl and friends to this manager.
  EnvChanges Env() const;
  // systemctl --user <args> against this manager.
  RunResult Systemctl(const std::vector<std::string>& args) const;

  std::filesystem::path runtimeDir, configHome, stateHome, dataHome;

 private:
  PrivateUserManager() = default;
  pid_t pid_ = 0;
  std::map<std::string, std::optional<std::string>> savedEnv_;
};

// Polls the condition every 100 ms; false when the deadline passed first.
bool WaitFor(const std::function<bool()>& condition, int seconds);
// The whole file; empty when it cannot be read.
std::string ReadText(const std::filesystem::path& path);

// GTEST_SKIP with the reason, or a failure when CI=true.
#define ZOVEDU_REQUIRE_USER_MANAGER(managerPtr, whyNot)                         \
  do {                                                                           \
    if (!(managerPtr)) {                                                         \
      const char* ci = std::getenv("CI");                                        \
      if (ci && std::string(ci) == "true") FAIL() << (whyNot);                   \
      GTEST_SKIP() << (whyNot);                                                  \
    }                                                                            \
  } while (false)

}  // namespace zovedu_test
