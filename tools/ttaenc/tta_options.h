// The command line: ttaenc -e - -o FILE
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tta {

struct Options {
  std::string output;  // -o
};

// Parses the arguments after the program's name: -e (encode), - (standard
// input) and -o FILE, in any order. Empty, with a message in `error`, for
// anything else or anything missing.
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace tta
