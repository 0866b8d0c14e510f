#include "encode_loop.h"

#include <algorithm>
#include <vector>

#include "ogg_speex_writer.h"
#include "preprocessor.h"
#include "rate_converter.h"
#include "speex_encoder.h"

namespace speexenc {

namespace {

constexpr size_t kReadFrames = 4096;

// Holds back the newest packet until the next one arrives, so the one that
// turns out to be the last can end the stream with the exact length.
//
// Granule positions: the decoder's output runs `lookahead` samples behind
// the input, so packet k (frames k·F to (k+1)·F of the output) ends at input
// sample (k+1)·F − lookahead. Players drop that many samples at the start
// (the first page's granule is below its packets' worth of samples) and cut
// the last page down to its granule, which is the input's length.
class PacketQueue {
 public:
  PacketQueue(OggSpeexWriter& writer, int frameSize, int lookahead)
      : writer_(writer), frameSize_(frameSize), lookahead_(lookahead) {}

  void add(const std::vector<unsigned char>& packet) {
    if (held_) writer_.writeAudio(pending_.data(), pending_.size(), granuleOf(packets_), false);
    pending_ = packet;
    held_ = true;
    ++packets_;
  }

  // Packets so far, in samples of output.
  std::uint64_t decodedSamples() const { return packets_ * static_cast<std::uint64_t>(frameSize_); }

  void end(std::uint64_t totalSamples) {
    writer_.writeAudio(pending_.data(), pending_.size(), static_cast<std::int64_t>(totalSamples), true);
    held_ = false;
  }

 private:
  std::int64_t granuleOf(std::uint64_t packets) const {
    return std::max<std::int64_t>(0, static_cast<std::int64_t>(packets * frameSize_) - lookahead_);
  }

  OggSpeexWriter& writer_;
  int frameSize_, lookahead_;
  std::vector<unsigned char> pending_;
  bool held_ = false;
  std::uint64_t packets_ = 0;
};

}  // namespace

std::uint64_t EncodeStream(wavin::Input& input, SpeexEncoder& encoder, Preprocessor* preprocessor,
                           OggSpeexWriter& writer) {
  const int channels = input.format().channels;
  const auto ch = static_cast<size_t>(channels);
  const auto frameSamples = static_cast<size_t>(encoder.frameSize()) * ch;
  RateConverter converter(channels, input.format().rate, encoder.rate());
  PacketQueue packets(writer, encoder.frameSize(), encoder.lookahead());

  std::vector<std::int16_t> samples, pending, frame(frameSamples);
  std::uint64_t total = 0;  // frames at the encoder's rate
  auto encodeWhole = [&] {
    size_t used = 0;
    for (; pending.size() - used >= frameSamples; used += frameSamples) {
      std::copy_n(pending.begin() + static_cast<std::ptrdiff_t>(used), frameSamples, frame.begin());
      packets.add(encoder.encode(frame.data(), preprocessor));
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(used));
  };

  while (const size_t frames = input.readInt16(samples, kReadFrames)) {
    const size_t before = pending.size();
    converter.push(samples.data(), frames, pending);
    total += (pending.size() - before) / ch;
    encodeWhole();
  }
  const size_t before = pending.size();
  converter.finish(pending);
  total += (pending.size() - before) / ch;
  encodeWhole();

  // Silence to the end of the last frame and past the codec's delay, so the
  // input's last sample comes out of a decoder. Even an input without samples
  // gets a packet: demuxers want one to recognise the stream.
  const std::uint64_t needed = total + static_cast<std::uint64_t>(encoder.lookahead());
  while (packets.decodedSamples() < needed || packets.decodedSamples() == 0) {
    pending.resize(frameSamples, 0);
    encodeWhole();
  }
  packets.end(total);
  return total;
}

}  // namespace speexenc
