// bin/MAC: the recorder's WAV stream to a Monkey's Audio file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iostream>

#include "mac_options.h"
#include "wav_to_ape.h"

int main(int argc, char** argv) {
  ape::MacOptions options;
  std::string error;
  if (!ape::ParseMacOptions(argc, argv, options, error)) {
    // The reason comes last: a caller shows the last line.
    std::cerr << ape::kMacUsage << "\nMAC: " << error << "\n";
    return 2;
  }
  int input = STDIN_FILENO;
  if (options.input != "-") {
    input = ::open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (input < 0) {
      std::cerr << "MAC: cannot open " << options.input << ": " << std::strerror(errno) << "\n";
      return 1;
    }
  }
  if (!ape::EncodeWavStream(input, options.output, options.level, error)) {
    std::cerr << "MAC: " << error << "\n";
    return 1;
  }
  return 0;
}
