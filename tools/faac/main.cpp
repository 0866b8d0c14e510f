// FAAC: the WAV stream on standard input to an AAC file (ADTS, MP4 or M4A).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "aac_container.h"
#include "aac_encode.h"
#include "faac_options.h"
#include "wav_input.h"

namespace {

// The recorder shows the last line of standard error when a run fails.
int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "FAAC: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  av_log_set_level(AV_LOG_WARNING);
  std::string error;
  const auto options = faac::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) return Fail(error, 2);
  const auto container = faac::ContainerFor(options->output);
  if (!container) return Fail("the output file must end in .aac, .mp4 or .m4a: " + options->output, 2);
  try {
    wavin::Input input;
    if (!input.open(error)) return Fail(error, 1);
    faac::EncodeAac(input, *options, *container);
    return 0;
  } catch (const std::exception& e) {
    return Fail(e.what(), 1);
  }
}
