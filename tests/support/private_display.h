// A private X server (Xvfb): its own display number, chosen by the server
// itself, so grabs and windows never meet another test's.
#pragma once

#include <sys/types.h>

#include <string>

namespace zovedu_test {

class PrivateDisplay {
 public:
  PrivateDisplay() = default;
  ~PrivateDisplay();
  PrivateDisplay(const PrivateDisplay&) = delete;
  PrivateDisplay& operator=(const PrivateDisplay&) = delete;

  // Starts the server and waits until it accepts connections; false (with
  // error() saying why) when it did not within the deadline.
  bool Start(const std::string& xvfb, int deadlineMs);
  void Stop();
  // The server dies at once, as when a session ends abruptly; its lock file
  // and socket, which a killed server leaves behind, are removed.
  void Kill();
  // ":<n>" once started.
  const std::string& name() const { return name_; }
  const std::string& error() const { return error_; }

 private:
  pid_t pid_ = -1;
  std::string name_, error_;
};

}  // namespace zovedu_test
