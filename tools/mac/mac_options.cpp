#include "mac_options.h"

#include <cstdlib>
#include <vector>

namespace ape {

const char* const kMacUsage = "usage: MAC <input.wav or -> <output.ape> -c<1000|2000|3000|4000|5000>";

bool ParseMacOptions(int argc, const char* const* argv, MacOptions& options, std::string& error) {
  std::vector<std::string> files;
  bool levelSeen = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg.size() > 2 && arg.rfind("-c", 0) == 0) {
      char* end = nullptr;
      const long level = std::strtol(arg.c_str() + 2, &end, 10);
      if (*end != '\0' || level < 1000 || level > 5000 || level % 1000 != 0) {
        error = "unknown compression level \"" + arg.substr(2) + "\" (use 1000, 2000, 3000, 4000 or 5000)";
        return false;
      }
      options.level = static_cast<int>(level);
      levelSeen = true;
    } else if (arg == "-" || arg.empty() || arg[0] != '-') {
      files.push_back(arg);
    } else {
      error = "unknown option \"" + arg + "\"";
      return false;
    }
  }
  if (files.size() != 2 || files[1].empty() || files[1] == "-" || !levelSeen) {
    error = "an input, an output file and a compression level are needed";
    return false;
  }
  options.input = files[0];
  options.output = files[1];
  return true;
}

}  // namespace ape
