#include "ogg_speex_writer.h"

#include <random>
#include <stdexcept>
#include <vector>

namespace speexenc {

namespace {

void PutLe32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

std::string CommentPacket(const std::string& vendor) {
  std::string packet;
  PutLe32(packet, static_cast<std::uint32_t>(vendor.size()));
  packet += vendor;
  PutLe32(packet, 0);  // user comments
  return packet;
}

OggSpeexWriter::OggSpeexWriter(OutputFile& file, int packetsPerPage) : file_(file), packetsPerPage_(packetsPerPage) {
  std::random_device random;
  const int serial = static_cast<int>(random() & 0x7FFFFFFF);
  if (ogg_stream_init(&stream_, serial) != 0) throw std::runtime_error("cannot set up the Ogg stream");
}

OggSpeexWriter::~OggSpeexWriter() { ogg_stream_clear(&stream_); }

void OggSpeexWriter::packetIn(unsigned char* data, size_t size, std::int64_t granule, bool bos, bool eos) {
  ogg_packet op{};
  op.packet = data;
  op.bytes = static_cast<long>(size);
  op.b_o_s = bos;
  op.e_o_s = eos;
  op.granulepos = granule;
  op.packetno = packetNo_++;
  if (ogg_stream_packetin(&stream_, &op) != 0) throw std::runtime_error("cannot add a packet to the Ogg stream");
}

void OggSpeexWriter::flushPages() {
  ogg_page page;
  while (ogg_stream_flush(&stream_, &page)) {
    file_.writePage(page.header, static_cast<size_t>(page.header_len), page.body, static_cast<size_t>(page.body_len));
  }
  if (ogg_stream_check(&stream_) != 0) throw std::runtime_error("the Ogg stream is in an error state");
  packetsInPage_ = 0;
}

void OggSpeexWriter::writeHeaders(SpeexHeader header, const std::string& vendor) {
  int size = 0;
  char* packet = speex_header_to_packet(&header, &size);
  if (!packet || size <= 0) throw std::runtime_error("cannot build the Speex header");
  std::vector<unsigned char> bytes(packet, packet + size);
  speex_header_free(packet);
  // Each header on a page of its own, as players expect.
  packetIn(bytes.data(), bytes.size(), 0, true, false);
  flushPages();
  std::string comments = CommentPacket(vendor);
  packetIn(reinterpret_cast<unsigned char*>(comments.data()), comments.size(), 0, false, false);
  flushPages();
}

void OggSpeexWriter::writeAudio(const unsigned char* data, size_t size, std::int64_t granule, bool last) {
  if (ended_) throw std::logic_error("audio after the end of the Ogg stream");
  packetIn(const_cast<unsigned char*>(data), size, granule, false, last);
  ended_ = last;
  if (last || ++packetsInPage_ >= packetsPerPage_) flushPages();
}

}  // namespace speexenc
