#include "faac_options.h"

#include <charconv>

#include "aac_quality.h"

namespace faac {

namespace {

constexpr int kMaxKbps = 1152;  // the encoder's ceiling: two channels at 96 kHz

// A whole decimal number from lo to hi, nothing else.
std::optional<int> ParseInt(const std::string& text, int lo, int hi) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < lo || value > hi) return std::nullopt;
  return value;
}

}  // namespace

std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error) {
  Options options;
  bool haveQuality = false, haveBitrate = false, haveInput = false, haveOutput = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-") {
      haveInput = true;
      continue;
    }
    if (arg != "--mpeg-vers" && arg != "-q" && arg != "-b" && arg != "-c" && arg != "-o") {
      error = "unknown argument " + arg;
      return std::nullopt;
    }
    if (i + 1 >= args.size()) {
      error = arg + " needs a value";
      return std::nullopt;
    }
    const std::string& value = args[++i];
    std::optional<int> number;
    if (arg == "--mpeg-vers") {
      number = ParseInt(value, 2, 4);
      if (!number || *number == 3) {
        error = "--mpeg-vers takes 2 or 4, not " + value;
        return std::nullopt;
      }
      options.mpegVersion = *number;
    } else if (arg == "-q") {
      if (!(number = ParseInt(value, kMinQuality, kMaxQuality))) {
        error = "-q takes a whole number from " + std::to_string(kMinQuality) + " to " +
                std::to_string(kMaxQuality) + ", not " + value;
        return std::nullopt;
      }
      options.quality = *number;
      haveQuality = true;
    } else if (arg == "-b") {
      if (!(number = ParseInt(value, 1, kMaxKbps))) {
        error = "-b takes kbps from 1 to " + std::to_string(kMaxKbps) + ", not " + value;
        return std::nullopt;
      }
      options.kbps = *number;
      options.control = RateControl::Bitrate;
      haveBitrate = true;
    } else if (arg == "-c") {
      if (!(number = ParseInt(value, 1, 1'000'000))) {
        error = "-c takes a cutoff frequency in Hz, not " + value;
        return std::nullopt;
      }
      options.cutoffHz = *number;
    } else {
      options.output = value;
      haveOutput = !value.empty();
    }
  }
  if (haveQuality && haveBitrate) {
    error = "-q and -b exclude each other";
    return std::nullopt;
  }
  if (!haveOutput) {
    error = "no output file: give -o FILE";
    return std::nullopt;
  }
  if (!haveInput) {
    error = "no input: give - to read standard input";
    return std::nullopt;
  }
  return options;
}

}  // namespace faac
