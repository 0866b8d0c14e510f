// The command line: FAAC [--mpeg-vers 2|4] [-q Q | -b KBPS] [-c HZ] -o FILE -
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "aac_quality.h"

namespace faac {

enum class RateControl { Quality, Bitrate };

struct Options {
  int mpegVersion = 4;                       // the MPEG version ADTS headers declare
  RateControl control = RateControl::Quality;
  int quality = kDefaultQuality;             // -q, see aac_quality.h
  int kbps = 0;                              // -b, average bitrate
  int cutoffHz = 0;                          // -c; 0: by -q (aac_quality.h), or the encoder's choice for -b
  std::string output;                        // -o
};

// Parses the arguments after the program's name. Empty, with a message in
// `error`, for an unknown or malformed argument, a value out of range, -q
// together with -b, or a missing -o FILE or `-` (standard input).
std::optional<Options> ParseOptions(const std::vector<std::string>& args, std::string& error);

}  // namespace faac
