// The command line: rate control, quality, band, the preprocessing switches
// and where the stream comes from and goes to.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace speexenc {

enum class Band { Narrow, Wide, UltraWide };             // 8, 16, 32 kHz
enum class RateControl { Constant, Variable, Average };  // --bitrate, --vbr, --abr

struct Options {
  RateControl control = RateControl::Constant;
  int kbps = 0;                  // --bitrate or --abr; 0 with --vbr
  std::optional<int> quality;    // --quality 0..10
  Band band = Band::Narrow;
  bool vad = false, agc = false, denoise = false;
  std::string input;             // "-" for the standard input
  std::string output;
  bool help = false;             // --help: print the usage, encode nothing
};

// Fills `options` from the arguments after the program name. False with a
// one-line message when they are incomplete, contradict each other or hold
// a switch or value this program does not know.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

const char* Usage();

}  // namespace speexenc
