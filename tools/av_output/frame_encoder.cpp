#include "frame_encoder.h"

#include <stdexcept>

#include "av_error.h"

extern "C" {
#include <libavutil/samplefmt.h>
}

namespace avout {

namespace {

// Encoders that take any frame size get this many frames per call.
constexpr int kFreeFrameSize = 4096;

}  // namespace

FrameEncoder::FrameEncoder(AVCodecContext& codec, OutputFile& out)
    : codec_(codec),
      out_(out),
      fifo_(av_audio_fifo_alloc(codec.sample_fmt, codec.ch_layout.nb_channels, kFreeFrameSize)),
      packet_(av_packet_alloc()),
      frameSize_(codec.frame_size > 0 ? codec.frame_size : kFreeFrameSize) {
  if (!fifo_ || !packet_) throw std::bad_alloc();
}

void FrameEncoder::push(const std::uint8_t* const* data, int frames) {
  if (frames <= 0) return;
  // The queue only reads from the planes, whatever its signature says.
  void** planes = reinterpret_cast<void**>(const_cast<std::uint8_t**>(data));
  if (av_audio_fifo_write(fifo_.get(), planes, frames) < frames)
    throw std::runtime_error("queueing samples for the encoder failed");
  while (av_audio_fifo_size(fifo_.get()) >= frameSize_) encodeQueued(frameSize_, frameSize_);
}

void FrameEncoder::finish() {
  if (const int left = av_audio_fifo_size(fifo_.get()); left > 0) {
    // A short last frame goes as it is where the encoder allows one, else it
    // is filled up with silence.
    const bool shortLastOk = codec_.frame_size == 0 ||
                             (codec_.codec->capabilities &
                              (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE));
    encodeQueued(left, shortLastOk ? left : frameSize_);
  }
  send(nullptr);
}

void FrameEncoder::encodeQueued(int frames, int frameSize) {
  FramePtr frame(av_frame_alloc());
  if (!frame) throw std::bad_alloc();
  frame->format = codec_.sample_fmt;
  frame->sample_rate = codec_.sample_rate;
  frame->nb_samples = frameSize;
  Check(av_channel_layout_copy(&frame->ch_layout, &codec_.ch_layout), "setting the channel layout");
  Check(av_frame_get_buffer(frame.get(), 0), "allocating a frame");
  if (frameSize > frames)
    av_samples_set_silence(frame->extended_data, frames, frameSize - frames, codec_.ch_layout.nb_channels,
                           codec_.sample_fmt);
  if (av_audio_fifo_read(fifo_.get(), reinterpret_cast<void**>(frame->extended_data), frames) < frames)
    throw std::runtime_error("taking samples for the encoder failed");
  frame->pts = nextPts_;
  nextPts_ += frameSize;
  send(frame.get());
}

void FrameEncoder::send(const AVFrame* frame) {
  Check(avcodec_send_frame(&codec_, frame), "encoding");
  for (;;) {
    const int ret = avcodec_receive_packet(&codec_, packet_.get());
    if (ret == AVERROR(EAGAIN) || ret == AVERROR_EOF) return;
    Check(ret, "encoding");
    out_.write(packet_.get(), codec_.time_base);
    av_packet_unref(packet_.get());
  }
}

}  // namespace avout
