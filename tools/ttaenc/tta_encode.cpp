#include "tta_encode.h"

#include <stdexcept>
#include <string>

#include "audio_encoder.h"
#include "channel_layout.h"
#include "frame_encoder.h"
#include "output_file.h"
#include "tta_samples.h"

namespace tta {

namespace {

constexpr const char* kCodec = "tta";
constexpr size_t kChunkFrames = 4096;

}  // namespace

void EncodeTta(wavin::Input& input, const Options& options) {
  const wavin::Format& format = input.format();
  std::string error;
  const auto layout = SampleLayoutFor(format, error);
  if (!layout) throw std::runtime_error(error);

  const avout::CodecContextPtr codec = avout::NewAudioEncoder(
      kCodec, layout->format, format.rate, avout::LayoutFor(format.channels, format.channelMask));
  codec->bits_per_raw_sample = layout->bits;
  avout::OpenEncoder(codec.get(), kCodec);
  avout::OutputFile out(options.output, kCodec, *codec);
  avout::FrameEncoder encoder(*codec, out);

  SampleReader reader(input, *layout);
  size_t total = 0;
  while (const size_t frames = reader.read(kChunkFrames)) {
    const std::uint8_t* planes[] = {reader.data()};
    encoder.push(planes, static_cast<int>(frames));
    total += frames;
  }
  if (total == 0) throw std::runtime_error("the WAV stream holds no samples");
  encoder.finish();
  out.finish();
}

}  // namespace tta
