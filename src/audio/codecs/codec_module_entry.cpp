// The module's entry: the one symbol the program looks up after loading it.
#include "audio/codec_module.h"
#include "audio/codecs/ffmpeg_file_decoder.h"
#include "audio/codecs/wma_file_output.h"

namespace zaudio {
namespace {

class FfmpegCodecs final : public CodecModule {
 public:
  std::unique_ptr<FileDecoder> openDecoder(const FileSource& source, FileKind kind, int& error) const override {
    return OpenFfmpegDecoder(source, kind, error);
  }
  std::unique_ptr<EncoderOutput> createWmaOutput(const std::string& path, const WmaFileSettings& settings,
                                                 int& error) const override {
    return WmaFileOutput::Create(path, settings, error);
  }
};

}  // namespace
}  // namespace zaudio

extern "C" __attribute__((visibility("default"))) const zaudio::CodecModule* zovedu_codec_module() {
  static const zaudio::FfmpegCodecs codecs;
  return &codecs;
}
