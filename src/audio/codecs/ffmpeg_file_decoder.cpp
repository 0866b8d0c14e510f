#include "audio/codecs/ffmpeg_file_decoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/intreadwrite.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "audio/channel_layout.h"
#include "audio/source_bytes.h"

namespace zaudio {

namespace {

constexpr int kIoBufferBytes = 32768;
// A file that keeps failing this often in a row has stopped making sense.
constexpr int kMaxErrorsInARow = 500;

// One reader of the source for one demuxer.
struct Cursor {
  const SourceBytes* bytes = nullptr;
  std::uint64_t pos = 0;

  static int Read(void* opaque, std::uint8_t* buf, int n) {
    auto* c = static_cast<Cursor*>(opaque);
    const int got = c->bytes->read(c->pos, buf, n);
    if (got <= 0) return AVERROR_EOF;
    c->pos += static_cast<std::uint64_t>(got);
    return got;
  }
  static std::int64_t Seek(void* opaque, std::int64_t offset, int whence) {
    auto* c = static_cast<Cursor*>(opaque);
    const auto size = static_cast<std::int64_t>(c->bytes->size());
    std::int64_t to = 0;
    switch (whence & ~AVSEEK_FORCE) {
      case AVSEEK_SIZE: return size;
      case SEEK_SET: to = offset; break;
      case SEEK_CUR: to = static_cast<std::int64_t>(c->pos) + offset; break;
      case SEEK_END: to = size + offset; break;
      default: return -1;
    }
    if (to < 0) return -1;
    c->pos = static_cast<std::uint64_t>(to);
    return to;
  }
};

// A demuxer on its own cursor.
struct Demuxer {
  Cursor cursor;
  AVIOContext* io = nullptr;
  AVFormatContext* fmt = nullptr;

  ~Demuxer() {
    if (fmt) avformat_close_input(&fmt);
    if (io) {
      av_freep(&io->buffer);
      avio_context_free(&io);
    }
  }

  bool open(const SourceBytes& bytes) {
    cursor.bytes = &bytes;
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(kIoBufferBytes));
    if (!buffer) return false;
    io = avio_alloc_context(buffer, kIoBufferBytes, 0, &cursor, &Cursor::Read, nullptr, &Cursor::Seek);
    if (!io) {
      av_free(buffer);
      return false;
    }
    fmt = avformat_alloc_context();
    if (!fmt) return false;
    fmt->pb = io;
    fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    if (avformat_open_input(&fmt, nullptr, nullptr, nullptr) < 0) return false;  // frees fmt
    return avformat_find_stream_info(fmt, nullptr) >= 0;
  }
};

bool NameIs(const AVFormatContext* fmt, const char* name) {
  return fmt->iformat && fmt->iformat->name && std::strcmp(fmt->iformat->name, name) == 0;
}

bool IsPcm(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_PCM_U8:
    case AV_CODEC_ID_PCM_S16LE:
    case AV_CODEC_ID_PCM_S24LE:
    case AV_CODEC_ID_PCM_S32LE:
    case AV_CODEC_ID_PCM_F32LE:
    case AV_CODEC_ID_PCM_F64LE:
      return true;
    default:
      return false;
  }
}

// The channel type of a stream when it is one the creator opens; 0 otherwise.
DWORD TypeFor(FileKind kind, const AVFormatContext* fmt, AVCodecID id) {
  switch (kind) {
    case FileKind::Plain:
      if (NameIs(fmt, "wav") && IsPcm(id))
        return id == AV_CODEC_ID_PCM_F32LE || id == AV_CODEC_ID_PCM_F64LE ? CTYPE_STREAM_WAV_FLOAT
                                                                          : CTYPE_STREAM_WAV_PCM;
      if (NameIs(fmt, "mp3")) {
        if (id == AV_CODEC_ID_MP3) return CTYPE_STREAM_MP3;
        if (id == AV_CODEC_ID_MP2) return CTYPE_STREAM_MP2;
        if (id == AV_CODEC_ID_MP1) return CTYPE_STREAM_MP1;
      }
      if (NameIs(fmt, "ogg") && id == AV_CODEC_ID_VORBIS) return CTYPE_STREAM_OGG;
      return 0;
    case FileKind::Aac:
      return NameIs(fmt, "aac") && id == AV_CODEC_ID_AAC ? CTYPE_STREAM_AAC : 0;
    case FileKind::Mp4:
      return fmt->iformat && std::strstr(fmt->iformat->name, "mp4") &&
                     (id == AV_CODEC_ID_AAC || id == AV_CODEC_ID_ALAC)
                 ? CTYPE_STREAM_MP4
                 : 0;
    case FileKind::Ape:
      return NameIs(fmt, "ape") && id == AV_CODEC_ID_APE ? CTYPE_STREAM_APE : 0;
    case FileKind::Flac:
      if (id != AV_CODEC_ID_FLAC) return 0;
      return NameIs(fmt, "flac") ? CTYPE_STREAM_FLAC : NameIs(fmt, "ogg") ? CTYPE_STREAM_FLAC_OGG : 0;
    case FileKind::Mpc:
      return (NameIs(fmt, "mpc") && id == AV_CODEC_ID_MUSEPACK7) ||
                     (NameIs(fmt, "mpc8") && id == AV_CODEC_ID_MUSEPACK8)
                 ? CTYPE_STREAM_MPC
                 : 0;
    case FileKind::Spx:
      return NameIs(fmt, "ogg") && id == AV_CODEC_ID_SPEEX ? CTYPE_STREAM_SPX : 0;
    case FileKind::Tta:
      return NameIs(fmt, "tta") && id == AV_CODEC_ID_TTA ? CTYPE_STREAM_TTA : 0;
    case FileKind::Wv:
      return NameIs(fmt, "wv") && id == AV_CODEC_ID_WAVPACK ? CTYPE_STREAM_WV : 0;
    case FileKind::Wma:
      return NameIs(fmt, "asf") && (id == AV_CODEC_ID_WMAV1 || id == AV_CODEC_ID_WMAV2 ||
                                    id == AV_CODEC_ID_WMAPRO || id == AV_CODEC_ID_WMALOSSLESS)
                 ? CTYPE_STREAM_WMA
                 : 0;
  }
  return 0;
}

// Containers whose headers state the length exactly: the sample count, or
// the data size of plain PCM. Their decoders start and stop exactly there.
bool HeaderLengthTrusted(DWORD ctype) {
  switch (ctype) {
    case CTYPE_STREAM_WAV_PCM:
    case CTYPE_STREAM_WAV_FLOAT:
    case CTYPE_STREAM_FLAC:
    case CTYPE_STREAM_APE:
    case CTYPE_STREAM_TTA:
    case CTYPE_STREAM_WV:
    case CTYPE_STREAM_OGG:       // the last page's granule, less the first's
    case CTYPE_STREAM_FLAC_OGG:
      return true;
    default:
      return false;
  }
}

// Decoders that restart exactly at any packet: a seek needs no run-up.
bool Lossless(DWORD ctype) {
  return ctype != CTYPE_STREAM_OGG && (HeaderLengthTrusted(ctype) || ctype == CTYPE_STREAM_FLAC_OGG);
}

// The FFmpeg side of a decoder: demuxer, codec and converter.
class DecoderContexts {
 public:
  SourceBytes bytes;
  FileKind kind = FileKind::Plain;
  std::unique_ptr<Demuxer> demux;
  AVCodecContext* codec = nullptr;
  SwrContext* swr = nullptr;
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  AVRational timeBase{1, 1};
  DWORD ctype = 0;
  int rate = 0;
  int channels = 0;
  bool draining = false;  // the demuxer is done; the decoder gives out what it holds
  bool eof = false;       // the decoder is done too
  // The timestamp of the first frame decoded from the start: a frame's
  // sample position is counted from it.
  std::int64_t originPts = AV_NOPTS_VALUE;
  bool originKnown = false;

  ~DecoderContexts() { closeContexts(); }

  void closeContexts() {
    swr_free(&swr);
    avcodec_free_context(&codec);
    av_packet_free(&packet);
    av_frame_free(&frame);
    demux.reset();
    draining = eof = false;
  }

  // Opens demuxer and decoder from the start of the source. Error codes as
  // FileDecoder::open.
  int openContexts() {
    closeContexts();
    demux = std::make_unique<Demuxer>();
    if (!demux->open(bytes)) return ERROR_FILEFORM;
    AVFormatContext* fmt = demux->fmt;
    stream = av_find_best_stream(fmt, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream < 0) return ERROR_FILEFORM;
    AVStream* st = fmt->streams[stream];
    readOnlyTheStream(fmt);
    ctype = TypeFor(kind, fmt, st->codecpar->codec_id);
    if (!ctype) return ERROR_FILEFORM;
    timeBase = st->time_base;
    // FFmpeg's own Speex decoder garbles some valid files; libspeex does not.
    const AVCodec* decoder = st->codecpar->codec_id == AV_CODEC_ID_SPEEX
                                 ? avcodec_find_decoder_by_name("libspeex")
                                 : nullptr;
    if (!decoder) decoder = avcodec_find_decoder(st->codecpar->codec_id);
    if (!decoder) return ERROR_FILEFORM;
    codec = avcodec_alloc_context3(decoder);
    if (!codec || avcodec_parameters_to_context(codec, st->codecpar) < 0) return ERROR_MEM;
    codec->pkt_timebase = st->time_base;
    codec->thread_count = 1;
    if (avcodec_open2(codec, decoder, nullptr) < 0) return ERROR_FILEFORM;
    packet = av_packet_alloc();
    frame = av_frame_alloc();
    if (!packet || !frame) return ERROR_MEM;
    return OK;
  }

  // The next decoded frame into `frame`; false at the end.
  bool decodeFrame() {
    int errors = 0;
    while (!eof) {
      const int got = avcodec_receive_frame(codec, frame);
      if (got == 0) {
        if (frame->nb_samples > 0 && usable(*frame)) return true;
        av_frame_unref(frame);
        continue;
      }
      if (got == AVERROR_EOF) {
        eof = true;
        break;
      }
      if (got != AVERROR(EAGAIN) && ++errors > kMaxErrorsInARow) {
        eof = true;
        break;
      }
      if (draining) {
        // A decoder that neither gives out nor ends after the flush packet.
        if (++errors > kMaxErrorsInARow) eof = true;
        continue;
      }
      const int read = av_read_frame(demux->fmt, packet);
      if (read < 0) {
        // The end, or a file that cannot be read on: what the decoder holds
        // still comes out.
        draining = true;
        avcodec_send_packet(codec, nullptr);
        continue;
      }
      if (packet->stream_index == stream) {
        const int sent = avcodec_send_packet(codec, packet);
        if (sent < 0 && sent != AVERROR(EAGAIN) && ++errors > kMaxErrorsInARow) eof = true;
        if (sent >= 0) errors = 0;
      }
      av_packet_unref(packet);
    }
    return false;
  }

  // Frames in another rate or channel count than the stream started with (a
  // damaged file) are skipped.
  bool usable(const AVFrame& f) const {
    if (rate == 0) return f.sample_rate > 0;  // still learning the format
    return f.sample_rate == rate && f.ch_layout.nb_channels == channels;
  }

  // Converts `frame` to interleaved 16-bit samples appended to out.
  bool convert(std::vector<std::int16_t>& out) {
    if (!swr) {
      if (swr_alloc_set_opts2(&swr, &frame->ch_layout, AV_SAMPLE_FMT_S16, frame->sample_rate, &frame->ch_layout,
                              static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0 ||
          swr_init(swr) < 0) {
        swr_free(&swr);
        return false;
      }
    }
    const size_t at = out.size();
    out.resize(at + static_cast<size_t>(frame->nb_samples) * static_cast<size_t>(channels));
    auto* dst = reinterpret_cast<std::uint8_t*>(out.data() + at);
    const int got = swr_convert(swr, &dst, frame->nb_samples, const_cast<const std::uint8_t**>(frame->extended_data),
                                frame->nb_samples);
    if (got < 0) {
      out.resize(at);
      return false;
    }
    out.resize(at + static_cast<size_t>(got) * static_cast<size_t>(channels));
    return true;
  }

  // The demuxer skips every stream but the decoded one.
  void readOnlyTheStream(AVFormatContext* fmt) const {
    for (unsigned i = 0; i < fmt->nb_streams; ++i)
      if (static_cast<int>(i) != stream) fmt->streams[i]->discard = AVDISCARD_ALL;
  }

  // A second demuxer of the source, reading only the decoded stream; false
  // when it does not open as the first one did.
  bool openScan(Demuxer& scan) const {
    if (!scan.open(bytes) || stream >= static_cast<int>(scan.fmt->nb_streams)) return false;
    readOnlyTheStream(scan.fmt);
    return true;
  }

  // The sample position of `frame`, when its timestamp tells it.
  bool framePosition(std::int64_t& pos) const {
    const std::int64_t pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE || !originKnown) return false;
    pos = av_rescale_q(pts - originPts, timeBase, AVRational{1, rate});
    return true;
  }

  // The length from the packets of a second demuxer, mostly without
  // decoding: what the decoder gives out per packet, less what it is told to
  // drop at the start and the end. Negative when the packets do not tell.
  std::int64_t scanLength() const {
    Demuxer scan;
    if (!openScan(scan)) return -1;
    const AVStream* st = scan.fmt->streams[stream];
    const AVRational tb = st->time_base;
    // Samples each packet decodes to, where the codec fixes it: AAC and MP3
    // frames whatever the container's timestamps say (an MP4 shortens the
    // last packet's duration, the decoder does not), and Speex packets of
    // frame size × frames per packet from its header.
    std::int64_t perPacket = st->codecpar->frame_size;
    if (ctype == CTYPE_STREAM_SPX && st->codecpar->extradata_size >= 68) {
      const std::uint8_t* h = st->codecpar->extradata;
      perPacket = static_cast<std::int64_t>(AV_RL32(h + 56)) * std::max<std::uint32_t>(1, AV_RL32(h + 64));
    }
    AVPacket* p = av_packet_alloc();
    AVPacket* last = av_packet_alloc();
    if (!p || !last) {
      av_packet_free(&p);
      av_packet_free(&last);
      return -1;
    }
    std::int64_t total = 0;  // in samples when perPacket > 0, else in time base units
    std::int64_t dropped = 0;
    std::int64_t packets = 0;
    bool known = true;
    while (av_read_frame(scan.fmt, p) >= 0) {
      if (p->stream_index == stream) {
        ++packets;
        if (perPacket <= 0 && p->duration <= 0) known = false;
        total += perPacket > 0 ? perPacket : p->duration;
        size_t size = 0;
        const std::uint8_t* skip = av_packet_get_side_data(p, AV_PKT_DATA_SKIP_SAMPLES, &size);
        if (skip && size >= 8) dropped += AV_RL32(skip) + AV_RL32(skip + 4);
        if (ctype == CTYPE_STREAM_MPC) {
          av_packet_unref(last);
          av_packet_move_ref(last, p);
        }
      }
      av_packet_unref(p);
    }
    av_packet_free(&p);
    std::int64_t length = -1;
    if (ctype == CTYPE_STREAM_MPC && packets > 0) {
      // A Musepack packet holds a fixed number of frames but the last one
      // fewer; it starts with a key frame, so it decodes on its own.
      const std::int64_t per = av_rescale_q(last->duration > 0 ? last->duration : 1, tb, AVRational{1, rate});
      const std::int64_t tail = decodedSamples(st->codecpar, last);
      if (tail >= 0) length = (packets - 1) * per + tail;
    } else if (known) {
      const std::int64_t samples = perPacket > 0 ? total : av_rescale_q(total, tb, AVRational{1, rate});
      length = std::max<std::int64_t>(0, samples - dropped);
    }
    av_packet_free(&last);
    return length;
  }

  // The samples one packet decodes to on a fresh decoder; negative on failure.
  std::int64_t decodedSamples(const AVCodecParameters* par, const AVPacket* packet) const {
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    AVCodecContext* c = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    AVFrame* f = av_frame_alloc();
    std::int64_t samples = -1;
    if (c && f && avcodec_parameters_to_context(c, par) >= 0 && avcodec_open2(c, decoder, nullptr) >= 0) {
      samples = 0;
      avcodec_send_packet(c, packet);
      avcodec_send_packet(c, nullptr);
      while (avcodec_receive_frame(c, f) == 0) {
        samples += f->nb_samples;
        av_frame_unref(f);
      }
    }
    av_frame_free(&f);
    avcodec_free_context(&c);
    return samples;
  }

  // The length by decoding a second copy to its end, for containers whose
  // packets say nothing reliable about it (WMA's superframes hold a varying
  // number of frames). Decoding only, no conversion.
  std::int64_t decodeLength() const {
    Demuxer scan;
    if (!openScan(scan)) return -1;
    const AVStream* st = scan.fmt->streams[stream];
    const AVCodec* decoder = avcodec_find_decoder(st->codecpar->codec_id);
    AVCodecContext* c = decoder ? avcodec_alloc_context3(decoder) : nullptr;
    AVFrame* f = av_frame_alloc();
    AVPacket* p = av_packet_alloc();
    std::int64_t samples = -1;
    if (c && f && p && avcodec_parameters_to_context(c, st->codecpar) >= 0) {
      c->pkt_timebase = st->time_base;
      c->thread_count = 1;
      if (avcodec_open2(c, decoder, nullptr) >= 0) {
        samples = 0;
        auto drain = [&] {
          while (avcodec_receive_frame(c, f) == 0) {
            if (f->sample_rate == rate && f->ch_layout.nb_channels == channels) samples += f->nb_samples;
            av_frame_unref(f);
          }
        };
        while (av_read_frame(scan.fmt, p) >= 0) {
          if (p->stream_index == stream) {
            avcodec_send_packet(c, p);
            drain();
          }
          av_packet_unref(p);
        }
        avcodec_send_packet(c, nullptr);
        drain();
      }
    }
    av_packet_free(&p);
    av_frame_free(&f);
    avcodec_free_context(&c);
    return samples;
  }

  std::int64_t headerLength() const {
    const AVStream* st = demux->fmt->streams[stream];
    if (st->duration == AV_NOPTS_VALUE || st->duration < 0) return -1;
    return av_rescale_q(st->duration, st->time_base, AVRational{1, rate});
  }
};

// A file decoded with FFmpeg, delivered frame-exact.
class FfmpegFileDecoder final : public FileDecoder {
 public:
  explicit FfmpegFileDecoder(std::unique_ptr<DecoderContexts> impl) : impl_(std::move(impl)) {}

  DWORD rate() const override { return rate_; }
  DWORD channels() const override { return channels_; }
  DWORD ctype() const override { return ctype_; }
  std::uint64_t lengthFrames() const override { return length_; }
  std::uint64_t position() const override { return position_; }
  bool ended() override;
  size_t read(std::int16_t* out, size_t frames) override;
  bool seek(std::uint64_t frame) override;

  static std::unique_ptr<FileDecoder> open(const FileSource& source, FileKind kind, int& error);

 private:
  bool fill();                        // decodes more into pending_; false at the end
  bool skipTo(std::uint64_t target);  // decodes on to target (≥ position)

  std::unique_ptr<DecoderContexts> impl_;
  DWORD rate_ = 0, channels_ = 0, ctype_ = 0;
  std::uint64_t length_ = 0;
  std::uint64_t position_ = 0;
  std::vector<std::int16_t> pending_;  // decoded, not delivered
  size_t pendingAt_ = 0;               // samples of pending_ already delivered
};

}  // namespace

std::unique_ptr<FileDecoder> FfmpegFileDecoder::open(const FileSource& source, FileKind kind, int& error) {
  auto impl = std::make_unique<DecoderContexts>();
  impl->kind = kind;
  error = impl->bytes.open(source);
  if (error != OK) return nullptr;
  error = impl->openContexts();
  if (error != OK) return nullptr;

  auto d = std::make_unique<FfmpegFileDecoder>(std::move(impl));
  DecoderContexts& m = *d->impl_;
  d->ctype_ = m.ctype;
  // The format is what the decoder gives out, which may differ from what the
  // container says (a mono stream decoded to stereo).
  if (m.decodeFrame()) {
    m.rate = m.frame->sample_rate;
    m.channels = m.frame->ch_layout.nb_channels;
    m.originPts = m.frame->best_effort_timestamp;
    m.originKnown = m.originPts != AV_NOPTS_VALUE;
  } else {
    // Nothing to decode: an empty but well-formed file still has a format.
    m.rate = m.codec->sample_rate;
    m.channels = m.codec->ch_layout.nb_channels;
    if (!HeaderLengthTrusted(m.ctype) || m.headerLength() != 0) {
      error = ERROR_FILEFORM;
      return nullptr;
    }
  }
  if (m.rate <= 0 || m.channels <= 0) {
    error = ERROR_FILEFORM;
    return nullptr;
  }
  if (m.channels > static_cast<int>(kMaxChannels)) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  d->rate_ = static_cast<DWORD>(m.rate);
  d->channels_ = static_cast<DWORD>(m.channels);
  if (!m.eof && !m.convert(d->pending_)) {
    error = ERROR_FILEFORM;
    return nullptr;
  }
  std::int64_t length = HeaderLengthTrusted(m.ctype) ? m.headerLength()
                        : m.ctype == CTYPE_STREAM_WMA ? m.decodeLength()
                                                      : m.scanLength();
  if (length < 0) length = m.headerLength();
  if (length < 0) length = 0;
  d->length_ = static_cast<std::uint64_t>(length);
  error = OK;
  return d;
}

bool FfmpegFileDecoder::fill() {
  DecoderContexts& m = *impl_;
  if (pendingAt_ >= pending_.size()) {
    pending_.clear();
    pendingAt_ = 0;
  }
  while (m.decodeFrame()) {
    const bool ok = m.convert(pending_);
    av_frame_unref(m.frame);
    if (ok) return true;
  }
  // The end: from here on the length is what was delivered.
  length_ = position_ + (pending_.size() - pendingAt_) / channels_;
  return false;
}

bool FfmpegFileDecoder::ended() {
  if (pendingAt_ < pending_.size()) return false;
  return !fill();
}

size_t FfmpegFileDecoder::read(std::int16_t* out, size_t frames) {
  size_t done = 0;
  while (done < frames) {
    if (pendingAt_ >= pending_.size() && !fill()) break;
    const size_t have = (pending_.size() - pendingAt_) / channels_;
    const size_t n = std::min(have, frames - done);
    if (out) std::memcpy(out + done * channels_, pending_.data() + pendingAt_, n * channels_ * sizeof(std::int16_t));
    pendingAt_ += n * channels_;
    done += n;
    position_ += n;
  }
  return done;
}

bool FfmpegFileDecoder::seek(std::uint64_t target) {
  DecoderContexts& m = *impl_;
  if (target == position_) return true;
  // Close ahead: decoding on is cheaper than a seek and its run-up.
  if (target > position_ && target - position_ <= rate_) return skipTo(target);

  // ASF keeps timestamps in milliseconds, and a WMA packet's frames straddle
  // packets: nothing tells a sample position after a seek. Decoding on, or
  // again from the start, is exact.
  const bool timestamped = m.originKnown && ctype_ != CTYPE_STREAM_WMA;
  if (!timestamped && target > position_) return skipTo(target);
  const std::uint64_t runUp = Lossless(ctype_) ? 0 : std::max<std::uint64_t>(rate_ / 4, 4096);
  for (std::uint64_t back = runUp; timestamped && back < target; back = back * 4 + rate_) {
    const std::uint64_t from = target - back;
    const std::int64_t ts = m.originPts + av_rescale_q(static_cast<std::int64_t>(from), AVRational{1, m.rate}, m.timeBase);
    if (av_seek_frame(m.demux->fmt, m.stream, ts, AVSEEK_FLAG_BACKWARD) < 0) break;
    avcodec_flush_buffers(m.codec);
    m.draining = m.eof = false;
    pending_.clear();
    pendingAt_ = 0;
    if (!m.decodeFrame()) break;
    std::int64_t at = 0;
    const bool known = m.framePosition(at);
    if (!known) {
      av_frame_unref(m.frame);
      break;
    }
    if (at < 0 || static_cast<std::uint64_t>(at) > target) {
      av_frame_unref(m.frame);
      continue;  // the seek landed after the target: go back further
    }
    const bool ok = m.convert(pending_);
    av_frame_unref(m.frame);
    if (!ok) break;
    position_ = static_cast<std::uint64_t>(at);
    return skipTo(target);
  }
  // From the very start: always exact.
  pending_.clear();
  pendingAt_ = 0;
  position_ = 0;
  if (m.openContexts() != OK) {
    m.eof = true;
    return false;
  }
  return skipTo(target);
}

bool FfmpegFileDecoder::skipTo(std::uint64_t target) {
  if (target > position_) read(nullptr, target - position_);
  return position_ == target;
}

std::unique_ptr<FileDecoder> OpenFfmpegDecoder(const FileSource& source, FileKind kind, int& error) {
  return FfmpegFileDecoder::open(source, kind, error);
}

}  // namespace zaudio
