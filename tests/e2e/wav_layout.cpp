#include "wav_layout.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace e2e {

namespace {

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

}  // namespace

WavLayout ReadWavLayout(const std::filesystem::path& path) {
  WavLayout wav;
  std::error_code ec;
  wav.fileBytes = std::filesystem::file_size(path, ec);
  if (ec) {
    wav.error = "cannot stat " + path.string() + ": " + ec.message();
    return wav;
  }
  // The chunks before the samples are small; 64 KiB is far more than any header.
  std::vector<std::uint8_t> head(std::min<std::uint64_t>(wav.fileBytes, 65536));
  std::ifstream in(path, std::ios::binary);
  if (!in.read(reinterpret_cast<char*>(head.data()), std::streamsize(head.size()))) {
    wav.error = "cannot read " + path.string();
    return wav;
  }
  if (head.size() < 12 || std::memcmp(head.data(), "RIFF", 4) != 0 || std::memcmp(head.data() + 8, "WAVE", 4) != 0) {
    wav.error = "no RIFF/WAVE header";
    return wav;
  }
  wav.riffSize = Le32(head.data() + 4);
  bool haveFmt = false;
  std::size_t at = 12;
  while (at + 8 <= head.size()) {
    const std::uint8_t* chunk = head.data() + at;
    const std::uint32_t size = Le32(chunk + 4);
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (size < 16 || at + 8 + 16 > head.size()) {
        wav.error = "short fmt chunk";
        return wav;
      }
      const std::uint8_t* f = chunk + 8;
      wav.formatTag = Le16(f);
      wav.channels = Le16(f + 2);
      wav.rate = Le32(f + 4);
      wav.byteRate = Le32(f + 8);
      wav.blockAlign = Le16(f + 12);
      wav.bits = Le16(f + 14);
      haveFmt = true;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFmt) {
        wav.error = "data chunk before the fmt chunk";
        return wav;
      }
      wav.dataOffset = at + 8;
      wav.dataSize = size;
      return wav;
    }
    at += 8 + std::size_t(size) + (size & 1);
  }
  wav.error = "no data chunk";
  return wav;
}

std::string Describe(const WavLayout& wav) {
  std::ostringstream s;
  s << "file " << wav.fileBytes << " bytes, RIFF size " << wav.riffSize << ", format " << wav.formatTag << " "
    << wav.channels << " ch " << wav.rate << " Hz " << wav.bits << " bit, data at " << wav.dataOffset << " stated "
    << wav.dataSize << " bytes (" << wav.statedSeconds() << " s), held " << wav.bytesInFile() << " bytes ("
    << wav.heldSeconds() << " s)";
  if (!wav.ok()) s << ", error: " << wav.error;
  return s.str();
}

}  // namespace e2e
