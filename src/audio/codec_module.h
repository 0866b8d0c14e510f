// The file decoders and the WMA writer use FFmpeg's format and codec
// libraries, which with their own dependencies are most of what the program
// would otherwise load at start. They live in a module of their own that is
// loaded the first time a file is decoded or a WMA file is written, so that
// a window that only records starts and idles without them.
#pragma once

#include <memory>
#include <string>

#include "audio/encode/encoder_output.h"
#include "audio/encode/pcm_encoding.h"
#include "audio/file_decoder.h"

namespace zaudio {

struct WmaFileSettings {
  DWORD rate = 44100;
  DWORD channels = 2;
  PcmEncoding encoding = PcmEncoding::S16;  // what the writer thread hands over
  DWORD bitrate = 128000;                   // bits per second
};

// What the module offers. Errors are library error codes.
class CodecModule {
 public:
  virtual ~CodecModule() = default;
  // As FileDecoder::open.
  virtual std::unique_ptr<FileDecoder> openDecoder(const FileSource& source, FileKind kind, int& error) const = 0;
  // A WMA file (ASF container, the standard WMA codec) as an encoder's
  // output. Nothing when the codec refuses the settings (ERROR_FORMAT, or
  // ERROR_NOTAVAIL without a codec) or the file cannot be created
  // (ERROR_FILEOPEN); a refused format leaves no file behind.
  virtual std::unique_ptr<EncoderOutput> createWmaOutput(const std::string& path, const WmaFileSettings& settings,
                                                         int& error) const = 0;
};

// The module's one exported function.
#define ZOVEDU_CODEC_MODULE_ENTRY "zovedu_codec_module"
extern "C" const CodecModule* zovedu_codec_module();

// The module, loaded on the first call. nullptr when it cannot be loaded
// (then ERROR_NOTAVAIL is the error, and why is on standard error once).
const CodecModule* Codecs();

}  // namespace zaudio
