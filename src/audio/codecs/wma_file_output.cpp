#include "audio/codecs/wma_file_output.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstdio>
#include <vector>

#include "audio/channel_layout.h"

namespace zaudio {

namespace {

constexpr const char* kEncoder = "wmav2";

AVSampleFormat PackedFormatOf(PcmEncoding e) {
  switch (e) {
    case PcmEncoding::U8: return AV_SAMPLE_FMT_U8;
    case PcmEncoding::S16: return AV_SAMPLE_FMT_S16;
    case PcmEncoding::S32: return AV_SAMPLE_FMT_S32;
    case PcmEncoding::F32: return AV_SAMPLE_FMT_FLT;
    case PcmEncoding::S24: return AV_SAMPLE_FMT_NONE;  // not handed to this output
  }
  return AV_SAMPLE_FMT_NONE;
}

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

}  // namespace

struct WmaFileOutput::State {
  ~State() {
    av_frame_free(&frame);
    av_packet_free(&packet);
    av_audio_fifo_free(fifo);
    swr_free(&swr);
    avcodec_free_context(&codec);
    if (format) {
      if (format->pb) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  WmaFileSettings settings;
  std::string path;
  AVFormatContext* format = nullptr;
  AVStream* stream = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* swr = nullptr;
  AVAudioFifo* fifo = nullptr;  // converted samples waiting for a whole codec frame
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  std::int64_t pts = 0;
  std::vector<std::uint8_t*> planes;
  bool headerWritten = false;

  // Sends one frame (nullptr: the end) and writes what comes out.
  int encode(AVFrame* f) {
    int r = avcodec_send_frame(codec, f);
    if (r < 0) return r;
    for (;;) {
      r = avcodec_receive_packet(codec, packet);
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return 0;
      if (r < 0) return r;
      av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
      packet->stream_index = stream->index;
      r = av_interleaved_write_frame(format, packet);
      if (r < 0) return r;
      // Each packet reaches the file as it is made, not when a buffer fills:
      // a program killed, or a disk watched for room, sees the recording so far.
      avio_flush(format->pb);
      if (format->pb->error < 0) return format->pb->error;
    }
  }

  // Encodes whole codec frames from the fifo; with `all` also the rest.
  int drain(bool all) {
    const int frameSize = codec->frame_size;
    while (av_audio_fifo_size(fifo) >= frameSize || (all && av_audio_fifo_size(fifo) > 0)) {
      const int n = std::min(frameSize, av_audio_fifo_size(fifo));
      av_frame_unref(frame);
      frame->nb_samples = n;
      frame->format = codec->sample_fmt;
      frame->sample_rate = codec->sample_rate;
      if (av_channel_layout_copy(&frame->ch_layout, &codec->ch_layout) < 0) return AVERROR(ENOMEM);
      int r = av_frame_get_buffer(frame, 0);
      if (r < 0) return r;
      if (av_audio_fifo_read(fifo, reinterpret_cast<void**>(frame->data), n) != n) return AVERROR(EIO);
      frame->pts = pts;
      pts += n;
      r = encode(frame);
      if (r < 0) return r;
    }
    return 0;
  }
};

std::unique_ptr<WmaFileOutput> WmaFileOutput::Create(const std::string& path, const WmaFileSettings& s,
                                                     int& error) {
  auto st = std::make_unique<State>();
  st->settings = s;
  st->path = path;
  const AVCodec* codec = avcodec_find_encoder_by_name(kEncoder);
  const AVSampleFormat inFormat = PackedFormatOf(s.encoding);
  const std::uint64_t mask = SpeakerMaskFor(s.channels);
  if (!codec) {
    error = ERROR_NOTAVAIL;
    return nullptr;
  }
  if (inFormat == AV_SAMPLE_FMT_NONE || mask == 0 || s.channels > 2) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  st->codec = avcodec_alloc_context3(codec);
  if (!st->codec) {
    error = ERROR_MEM;
    return nullptr;
  }
  AVCodecContext* c = st->codec;
  c->sample_rate = static_cast<int>(s.rate);
  av_channel_layout_from_mask(&c->ch_layout, mask);
  c->sample_fmt = codec->sample_fmts ? codec->sample_fmts[0] : AV_SAMPLE_FMT_FLTP;
  c->bit_rate = s.bitrate;
  c->time_base = AVRational{1, c->sample_rate};
  // A refusal here is an answer, not a fault to log.
  c->log_level_offset = AV_LOG_DEBUG;
  if (avformat_alloc_output_context2(&st->format, nullptr, "asf", nullptr) < 0 || !st->format) {
    error = ERROR_NOTAVAIL;
    return nullptr;
  }
  if (st->format->oformat->flags & AVFMT_GLOBALHEADER) c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if (avcodec_open2(c, codec, nullptr) < 0) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  c->log_level_offset = 0;
  st->stream = avformat_new_stream(st->format, nullptr);
  if (!st->stream || avcodec_parameters_from_context(st->stream->codecpar, c) < 0) {
    error = ERROR_MEM;
    return nullptr;
  }
  st->stream->time_base = c->time_base;
  AVChannelLayout inLayout{};
  av_channel_layout_from_mask(&inLayout, mask);
  if (swr_alloc_set_opts2(&st->swr, &c->ch_layout, c->sample_fmt, c->sample_rate, &inLayout, inFormat,
                          c->sample_rate, 0, nullptr) < 0 ||
      swr_init(st->swr) < 0) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  st->fifo = av_audio_fifo_alloc(c->sample_fmt, c->ch_layout.nb_channels, c->frame_size * 4);
  st->frame = av_frame_alloc();
  st->packet = av_packet_alloc();
  if (!st->fifo || !st->frame || !st->packet) {
    error = ERROR_MEM;
    return nullptr;
  }
  // Only now, with everything accepted, is the file made.
  if (avio_open(&st->format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
    error = ERROR_FILEOPEN;
    return nullptr;
  }
  if (avformat_write_header(st->format, nullptr) < 0) {
    avio_closep(&st->format->pb);
    std::remove(path.c_str());
    error = ERROR_FILEOPEN;
    return nullptr;
  }
  st->headerWritten = true;
  error = OK;
  return std::unique_ptr<WmaFileOutput>(new WmaFileOutput(std::move(st)));
}

WmaFileOutput::WmaFileOutput(std::unique_ptr<State> state) : state_(std::move(state)) {}

WmaFileOutput::~WmaFileOutput() = default;

DWORD WmaFileOutput::fail(const std::string& what) {
  std::lock_guard lock(messageMutex_);
  message_ = what;
  return ENCODE_NOTIFY_WRITE_FAILED;
}

EncoderOutput::Written WmaFileOutput::write(std::span<const std::uint8_t> data, EncoderClock::time_point) {
  Written w;
  State& st = *state_;
  const size_t frameBytes = static_cast<size_t>(BytesPerSample(st.settings.encoding)) * st.settings.channels;
  const int frames = static_cast<int>(std::min<size_t>(data.size() / frameBytes, 1 << 16));
  if (frames == 0) {
    w.bytes = data.size();  // a partial frame never arrives from the queue, but never stalls it either
    return w;
  }
  // Converted into the codec's planar layout, straight into the fifo.
  if (av_audio_fifo_space(st.fifo) < frames && av_audio_fifo_realloc(st.fifo, av_audio_fifo_size(st.fifo) + frames) < 0) {
    w.failure = fail("Encoding the WMA file failed: out of memory");
    return w;
  }
  uint8_t** converted = nullptr;
  if (av_samples_alloc_array_and_samples(&converted, nullptr, st.codec->ch_layout.nb_channels, frames,
                                         st.codec->sample_fmt, 0) < 0) {
    w.failure = fail("Encoding the WMA file failed: out of memory");
    return w;
  }
  const std::uint8_t* in = data.data();
  const int got = swr_convert(st.swr, converted, frames, &in, frames);
  int r = got < 0 ? got : av_audio_fifo_write(st.fifo, reinterpret_cast<void**>(converted), got);
  av_freep(&converted[0]);
  av_freep(&converted);
  if (r >= 0) r = st.drain(false);
  if (r < 0) {
    w.failure = fail("Writing the WMA file failed: " + AvError(r));
    return w;
  }
  w.bytes = static_cast<size_t>(frames) * frameBytes;
  return w;
}

bool WmaFileOutput::finish(EncoderClock::time_point) {
  State& st = *state_;
  if (!st.headerWritten) return false;
  int r = st.drain(true);
  if (r >= 0) r = st.encode(nullptr);
  if (r >= 0) r = av_write_trailer(st.format);
  st.headerWritten = false;
  const int closed = avio_closep(&st.format->pb);
  if (r < 0 || closed < 0) {
    fail("Completing the WMA file failed: " + AvError(r < 0 ? r : closed));
    return false;
  }
  return true;
}

std::string WmaFileOutput::lastMessage() const {
  std::lock_guard lock(messageMutex_);
  return message_;
}

}  // namespace zaudio
