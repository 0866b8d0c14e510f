// ttaenc: the WAV stream on standard input to a lossless TTA file.
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

extern "C" {
#include <libavutil/log.h>
}

#include "tta_encode.h"
#include "tta_options.h"
#include "wav_input.h"

namespace {

// The recorder shows the last line of standard error when a run fails.
int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "ttaenc: %s\n", message.c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  av_log_set_level(AV_LOG_WARNING);
  std::string error;
  const auto options = tta::ParseOptions(std::vector<std::string>(argv + 1, argv + argc), error);
  if (!options) return Fail(error, 2);
  try {
    wavin::Input input;
    if (!input.open(error)) return Fail(error, 1);
    tta::EncodeTta(input, *options);
    return 0;
  } catch (const std::exception& e) {
    return Fail(e.what(), 1);
  }
}
