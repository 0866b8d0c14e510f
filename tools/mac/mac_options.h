// The command line the recorder starts the encoder with:
//   MAC <input> <output> -c<level>
// where input "-" is the WAV stream on standard input.
#pragma once

#include <string>

namespace ape {

struct MacOptions {
  std::string input;   // "-" for standard input, else a WAV file
  std::string output;
  int level = 2000;
};

extern const char* const kMacUsage;

// False with the reason when the arguments make no command.
bool ParseMacOptions(int argc, const char* const* argv, MacOptions& options, std::string& error);

}  // namespace ape
