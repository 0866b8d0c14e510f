// Ogg Speex framing: the Speex header packet on the first page, the comment
// packet on the second, then audio packets whose granule positions count
// samples at the header's rate. Pages go out at least every half second of
// audio so a file cut short by a crash still holds nearly everything.
#pragma once

#include <ogg/ogg.h>
#include <speex/speex_header.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "output_file.h"

namespace speexenc {

class OggSpeexWriter {
 public:
  // packetsPerPage: the most audio packets one page holds.
  OggSpeexWriter(OutputFile& file, int packetsPerPage);
  ~OggSpeexWriter();
  OggSpeexWriter(const OggSpeexWriter&) = delete;
  OggSpeexWriter& operator=(const OggSpeexWriter&) = delete;

  void writeHeaders(SpeexHeader header, const std::string& vendor);
  // granule: the number of samples a decoder has played once this packet is
  // done. The last packet ends the stream and everything is written out.
  void writeAudio(const unsigned char* data, size_t size, std::int64_t granule, bool last);

 private:
  void packetIn(unsigned char* data, size_t size, std::int64_t granule, bool bos, bool eos);
  void flushPages();  // everything pending, as pages

  OutputFile& file_;
  int packetsPerPage_;
  ogg_stream_state stream_{};
  std::int64_t packetNo_ = 0;
  int packetsInPage_ = 0;
  bool ended_ = false;
};

// The comment packet: a vendor string and no user comments.
std::string CommentPacket(const std::string& vendor);

}  // namespace speexenc
