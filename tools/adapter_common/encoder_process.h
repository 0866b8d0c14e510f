// A Debian encoder run as a child: started by absolute path with an argument
// vector (no shell), its standard input a pipe we write, its standard output
// and error inherited.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace adapter {

class EncoderProcess {
 public:
  EncoderProcess() = default;
  EncoderProcess(const EncoderProcess&) = delete;
  EncoderProcess& operator=(const EncoderProcess&) = delete;
  ~EncoderProcess();

  // Starts program with args (args[0] excluded). False with a message when
  // it cannot be started.
  bool start(const std::string& program, const std::vector<std::string>& args, std::string& error);

  // Writes to the encoder's input. False once the encoder has closed it
  // (it stopped or failed); throws std::runtime_error on other errors.
  bool write(const void* data, size_t bytes);

  struct Exit {
    int status = 0;  // the exit status, or 128 + signal
    int signal = 0;  // the signal that ended the encoder, else 0
  };
  // Closes the input and waits for the encoder.
  Exit finish();

 private:
  pid_t pid_ = -1;
  int input_ = -1;
};

}  // namespace adapter
