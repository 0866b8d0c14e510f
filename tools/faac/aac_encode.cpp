#include "aac_encode.h"

#include <stdexcept>
#include <vector>

#include "aac_setup.h"
#include "channel_layout.h"
#include "frame_encoder.h"
#include "output_file.h"
#include "planar_resampler.h"

namespace faac {

namespace {

constexpr size_t kChunkFrames = 4096;

}  // namespace

void EncodeAac(wavin::Input& input, const Options& options, const Container& container) {
  const wavin::Format& format = input.format();
  const AVChannelLayout layout = avout::LayoutFor(format.channels, format.channelMask);
  const avout::CodecContextPtr codec = OpenAacEncoder(options, container, layout, format.rate);
  PlanarResampler resampler(layout, format.rate, codec->sample_rate);
  avout::OutputFile out(options.output, container.muxer, *codec, MuxerOptions(options, container));
  avout::FrameEncoder encoder(*codec, out);

  std::vector<float> samples;
  size_t total = 0;
  while (const size_t frames = input.readFloat(samples, kChunkFrames)) {
    encoder.push(resampler.planes(), resampler.convert(samples.data(), static_cast<int>(frames)));
    total += frames;
  }
  if (total == 0) throw std::runtime_error("the WAV stream holds no samples");
  while (const int frames = resampler.flush()) encoder.push(resampler.planes(), frames);
  encoder.finish();
  out.finish();
}

}  // namespace faac
