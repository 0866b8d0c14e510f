// The frame of every adapter in bin/: read the recorder's WAV stream header,
// let the adapter decide how to call its Debian encoder, then feed the
// encoder to the end of the input and exit with its status.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "sample_feed.h"
#include "wav_input.h"

namespace adapter {

struct EncoderCall {
  std::string program;            // absolute path
  std::vector<std::string> args;  // without the program itself
  Feed feed;
};

// Fills call for a stream in format with the adapter's arguments, or returns
// false with a one-line message (nothing has been started or written then).
using Planner = std::function<bool(const wavin::Format& format, const std::vector<std::string>& args,
                                   EncoderCall& call, std::string& error)>;

// The whole program: returns the exit status for main. Messages go to stderr
// as one line starting with the program's name.
int RunAdapter(int argc, char** argv, const Planner& plan);

}  // namespace adapter
