// bin/speexenc: a WAV stream, read to its end, into an Ogg Speex file.
//
// - Rate: the file is encoded at the chosen band's own rate (8, 16 or
//   32 kHz) and any other input rate, 192 kHz included, is resampled to it,
//   so every decoder plays it at the right speed and pitch.
// - Stereo: intensity stereo; the header says two channels.
// - Rate control: --bitrate (constant), --vbr or --abr, exactly one; the
//   quality (8 unless --quality says otherwise) is set first, so a constant
//   bitrate wins over it and an average bitrate starts from it.
// - --agc and --denoise run on the mono mix the codec encodes.
// - The output file is created only once the input's header has been
//   accepted and the encoder set up; on any failure it is removed again and
//   the program exits non-zero with one line on stderr. A page goes out
//   every half second, so a killed encoder leaves a playable file.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "encode_loop.h"
#include "ogg_speex_writer.h"
#include "options.h"
#include "output_file.h"
#include "preprocessor.h"
#include "speex_encoder.h"
#include "wav_input.h"

namespace {

constexpr const char* kVendor = "Zovedu speexenc";
constexpr int kPacketsPerPage = 25;  // 20 ms frames: a page every half second

int Fail(const std::string& message, int status = 1) {
  std::fprintf(stderr, "speexenc: %s\n", message.c_str());
  return status;
}

int Run(const speexenc::Options& options) {
  using namespace speexenc;
  int fd = 0;
  if (options.input != "-") {
    fd = ::open(options.input.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail("cannot open '" + options.input + "': " + std::strerror(errno));
  }
  wavin::Input input(fd);
  std::string error;
  if (!input.open(error)) return Fail(error);
  const wavin::Format& format = input.format();
  if (format.channels > 2)
    return Fail("the input has " + std::to_string(format.channels) + " channels; Speex takes mono or stereo");

  EncoderSettings settings;
  settings.band = options.band;
  settings.control = options.control;
  settings.kbps = options.kbps;
  settings.quality = options.quality.value_or(kDefaultQuality);
  settings.vad = options.vad;
  settings.channels = format.channels;
  SpeexEncoder encoder(settings);
  std::optional<Preprocessor> preprocessor;
  if (options.agc || options.denoise)
    preprocessor.emplace(encoder.frameSize(), encoder.rate(), options.agc, options.denoise);

  OutputFile file(options.output);
  OggSpeexWriter writer(file, kPacketsPerPage);
  writer.writeHeaders(encoder.header(), kVendor);
  EncodeStream(input, encoder, preprocessor ? &*preprocessor : nullptr, writer);
  file.commit();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  speexenc::Options options;
  std::string error;
  if (!speexenc::ParseOptions(args, options, error)) return Fail(error + " (see --help)", 2);
  if (options.help) {
    std::fputs(speexenc::Usage(), stdout);
    return 0;
  }
  try {
    return Run(options);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
}
