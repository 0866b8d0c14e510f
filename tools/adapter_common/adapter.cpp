#include "adapter.h"

#include <signal.h>

#include <cstdio>
#include <exception>

#include "encoder_process.h"
#include "wav_header.h"

namespace adapter {

namespace {

int Fail(const std::string& name, const std::string& message) {
  std::fprintf(stderr, "%s: %s\n", name.c_str(), message.c_str());
  return 1;
}

std::string BaseName(const char* path) {
  const std::string s = path != nullptr ? path : "adapter";
  const auto slash = s.rfind('/');
  return slash == std::string::npos ? s : s.substr(slash + 1);
}

// Hands the header and every sample to the encoder; stops early, without
// error, when the encoder closes its input.
void Pump(EncoderProcess& encoder, const EncoderCall& call, wavin::Input& in) {
  const auto header = WavHeader(FedFormat(in.format(), call.feed.samples), call.feed.declaredSize,
                                !call.feed.extensibleBeyondStereo);
  if (!encoder.write(header.data(), header.size())) return;
  std::vector<std::uint8_t> block;
  while (ReadBlock(in, call.feed.samples, block))
    if (!encoder.write(block.data(), block.size())) return;
}

// Runs call on in's samples and returns the encoder's exit status; 1 with a
// message when we fail ourselves.
int Encode(const EncoderCall& call, wavin::Input& in, const std::string& name) {
  EncoderProcess encoder;
  std::string error;
  if (!encoder.start(call.program, call.args, error)) return Fail(name, error);
  try {
    Pump(encoder, call, in);
  } catch (const std::exception& e) {
    encoder.finish();
    return Fail(name, e.what());
  }
  const auto ended = encoder.finish();
  if (ended.signal != 0) Fail(name, call.program + " was ended by signal " + std::to_string(ended.signal));
  return ended.status;
}

}  // namespace

int RunAdapter(int argc, char** argv, const Planner& plan) {
  const std::string name = BaseName(argc > 0 ? argv[0] : nullptr);
  // A write to an encoder that quit must return EPIPE, not end us.
  signal(SIGPIPE, SIG_IGN);
  try {
    wavin::Input in(0);
    std::string error;
    if (!in.open(error)) return Fail(name, error);
    EncoderCall call;
    if (!plan(in.format(), std::vector<std::string>(argv + 1, argv + argc), call, error)) return Fail(name, error);
    return Encode(call, in, name);
  } catch (const std::exception& e) {
    return Fail(name, e.what());
  }
}

}  // namespace adapter
