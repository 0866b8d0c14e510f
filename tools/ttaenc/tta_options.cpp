#include "tta_options.h"

namespace tta {

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options options;
  bool encode = false, haveInput = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-e") {
      encode = true;
    } else if (args[i] == "-") {
      haveInput = true;
    } else if (args[i] == "-o") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        error = "-o needs a file";
        return std::nullopt;
      }
      options.output = args[++i];
    } else {
      error = "unknown argument " + args[i];
      return std::nullopt;
    }
  }
  if (!encode) {
    error = "only encoding is supported: give -e";
    return std::nullopt;
  }
  if (!haveInput) {
    error = "no input: give - to read standard input";
    return std::nullopt;
  }
  if (options.output.empty()) {
    error = "no output file: give -o FILE";
    return std::nullopt;
  }
  return options;
}

}  // namespace tta
