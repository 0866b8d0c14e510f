// Reads a program's stderr on a thread of its own, so the program never blocks
// on a full pipe, and keeps the last line it wrote.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

namespace zaudio {

class StderrTail {
 public:
  // `fd` is the non-blocking read end; it stays owned by the caller and must
  // stay open until finish() has returned.
  explicit StderrTail(int fd);
  ~StderrTail();
  StderrTail(const StderrTail&) = delete;
  StderrTail& operator=(const StderrTail&) = delete;

  // Takes what is still in the pipe and stops reading. Called once the program
  // has ended: a program that left children behind holding its stderr must not
  // keep us waiting for the end of the pipe.
  void finish();

  // The last non-empty line, without its line break ("\n" or "\r").
  std::string lastLine() const;

 private:
  void run();
  bool readAvailable();  // false at the end of the pipe
  void take(const char* data, size_t n);
  void endLine();

  const int fd_;
  int wakeFd_ = -1;
  std::atomic<bool> finishing_{false};
  std::string partial_;  // reader thread only
  mutable std::mutex mutex_;
  std::string last_;
  std::thread reader_;
};

}  // namespace zaudio
