// A helper program the tray tests start and end themselves (a private bus
// daemon, an X server, a window manager): it runs in its own process group
// and is killed with it when the object goes.
#pragma once

#include <sys/types.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tray_test {

class ChildProcess {
 public:
  // Starts program with args; env adds to or replaces our environment. With
  // readLine the first line it writes to standard output is read (up to
  // seconds long) into firstLine; an empty line, or no start, gives nullptr
  // and the reason in whyNot.
  static std::unique_ptr<ChildProcess> Start(const std::string& program, const std::vector<std::string>& args,
                                             const std::map<std::string, std::string>& env, bool readLine,
                                             int seconds, std::string& firstLine, std::string& whyNot);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool Running();
  // Its exit code once it ended by itself with one; -1 otherwise.
  int ExitCode();

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_;
  bool ended_ = false;
  int status_ = 0;
};

}  // namespace tray_test
