// Feeds samples to an opened audio encoder in the frame sizes it takes and
// hands every packet it makes to the output file.
#pragma once

#include <cstdint>

#include "av_handles.h"
#include "output_file.h"

namespace avout {

class FrameEncoder {
 public:
  // `codec` is an opened encoder; both it and `out` outlive this object.
  FrameEncoder(AVCodecContext& codec, OutputFile& out);

  // Queues `frames` frames in the encoder's sample format (one pointer per
  // plane, or a single one for interleaved samples) and encodes every whole
  // frame of the encoder's size.
  void push(const std::uint8_t* const* data, int frames);

  // Encodes what is still queued and drains the encoder.
  void finish();

 private:
  void encodeQueued(int frames, int frameSize);
  void send(const AVFrame* frame);

  AVCodecContext& codec_;
  OutputFile& out_;
  AudioFifoPtr fifo_;
  PacketPtr packet_;
  int frameSize_;  // frames per encoder call
  std::int64_t nextPts_ = 0;
};

}  // namespace avout
