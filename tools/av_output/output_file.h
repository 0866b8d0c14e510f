// One encoded audio stream written to a file by a libavformat muxer, each
// packet as it comes. The file is complete once finish() returns. A failure
// before any audio reached the file leaves no file; a later one (a full
// disk) keeps what reached it.
#pragma once

#include <map>
#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace avout {

class OutputFile {
 public:
  // Creates `path` and writes the header of `muxer`'s container for one
  // stream coded as the opened encoder `codec` describes. `options` are the
  // muxer's own (e.g. {"write_mpeg2", "1"}); one the muxer does not know is
  // an error. Throws on any failure, leaving no file.
  OutputFile(const std::string& path, const char* muxer, const AVCodecContext& codec,
             const std::map<std::string, std::string>& options = {});
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Writes one packet whose times count in `timeBase`. Takes the packet's data.
  void write(AVPacket* packet, AVRational timeBase);

  // Writes the trailer and closes the file, which then stays.
  void finish();

 private:
  // Removes the file on destruction unless disarmed.
  struct Removal {
    std::string path;
    bool armed = false;
    ~Removal();
  };
  struct ContextClose {
    void operator()(AVFormatContext* c) const;
  };

  Removal removal_;  // declared first: the file is closed before it is removed
  std::unique_ptr<AVFormatContext, ContextClose> context_;
  AVStream* stream_ = nullptr;
};

}  // namespace avout
