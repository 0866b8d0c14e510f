#include "output_file.h"

#include <cstdio>
#include <stdexcept>

#include "av_error.h"

extern "C" {
#include <libavutil/dict.h>
}

namespace avout {

OutputFile::Removal::~Removal() {
  if (armed) std::remove(path.c_str());
}

void OutputFile::ContextClose::operator()(AVFormatContext* c) const {
  if (c->pb) avio_closep(&c->pb);
  avformat_free_context(c);
}

OutputFile::OutputFile(const std::string& path, const char* muxer, const AVCodecContext& codec,
                       const std::map<std::string, std::string>& options) {
  removal_.path = path;
  AVFormatContext* raw = nullptr;
  Check(avformat_alloc_output_context2(&raw, nullptr, muxer, path.c_str()),
        std::string("preparing a ") + muxer + " file");
  context_.reset(raw);

  stream_ = avformat_new_stream(context_.get(), nullptr);
  if (!stream_) throw std::bad_alloc();
  Check(avcodec_parameters_from_context(stream_->codecpar, &codec), "describing the stream");
  stream_->time_base = codec.time_base;

  Check(avio_open(&context_->pb, path.c_str(), AVIO_FLAG_WRITE), "creating " + path);
  removal_.armed = true;  // from here on the file is ours to remove on failure

  AVDictionary* dict = nullptr;
  for (const auto& [key, value] : options) av_dict_set(&dict, key.c_str(), value.c_str(), 0);
  const int ret = avformat_write_header(context_.get(), &dict);
  const AVDictionaryEntry* unused = av_dict_get(dict, "", nullptr, AV_DICT_IGNORE_SUFFIX);
  const std::string unusedKey = unused ? unused->key : "";
  av_dict_free(&dict);
  Check(ret, "writing the header of " + path);
  if (!unusedKey.empty())
    throw std::runtime_error(std::string("the ") + muxer + " writer has no option " + unusedKey);
}

OutputFile::~OutputFile() = default;

void OutputFile::write(AVPacket* packet, AVRational timeBase) {
  av_packet_rescale_ts(packet, timeBase, stream_->time_base);
  packet->stream_index = stream_->index;
  Check(av_interleaved_write_frame(context_.get(), packet), "writing " + removal_.path);
  // Each packet reaches the file as it is made, so that what the recorder
  // sees of the file is the recording so far. Once audio is in it, a later
  // failure (a full disk) keeps the file.
  avio_flush(context_->pb);
  Check(context_->pb->error, "writing " + removal_.path);
  removal_.armed = false;
}

void OutputFile::finish() {
  Check(av_write_trailer(context_.get()), "finishing " + removal_.path);
  avio_flush(context_->pb);
  Check(context_->pb->error, "writing " + removal_.path);
  Check(avio_closep(&context_->pb), "closing " + removal_.path);
  removal_.armed = false;
}

}  // namespace avout
