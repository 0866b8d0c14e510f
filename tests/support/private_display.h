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
  // The server dies at once, as when a session ends abruptly. The lock file
  // it leaves behind is left alone: the next server started with -displayfd
  // takes the number over, and removing it could remove that server's.
  void Kill();
  // ":<n>" once started.
  const std::string& name() const { return name_; }
  const std::string& error() const { return error_; }

 private:
  void End(int signal);  // signals the server and waits for it
  pid_t pid_ = -1;
  std::string name_, error_;
};

}  // namespace zovedu_test
