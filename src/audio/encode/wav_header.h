// WAV headers: the streaming header a program reads from its stdin, and the
// header of a WAV file that grows while it is written (and may become RF64).
#pragma once

#include <cstdint>
#include <vector>

#include "audio/encode/pcm_encoding.h"

namespace zaudio {

struct WavFormat {
  DWORD rate = 0;
  DWORD channels = 0;
  PcmEncoding encoding = PcmEncoding::S16;

  int bits() const { return 8 * BytesPerSample(encoding); }
  std::uint64_t blockAlign() const { return std::uint64_t{channels} * BytesPerSample(encoding); }
  std::uint64_t byteRate() const { return blockAlign() * rate; }
  // The fmt chunk's fields are 16 and 32 bits wide.
  bool fitsHeader() const {
    return rate > 0 && channels > 0 && blockAlign() <= 0xFFFF && byteRate() <= 0xFFFFFFFF;
  }
};

// RIFF and data sizes are 0xFFFFFFFF ("unknown"): the reader takes samples up
// to the end of its input. 44 bytes for one or two channels.
std::vector<std::uint8_t> StreamingWavHeader(const WavFormat& format);

struct WavFileSizes {
  std::uint64_t dataBytes = 0;
  bool padded = false;  // a pad byte follows odd-sized data
  bool rf64 = false;    // RF64 form: the sizes are in the ds64 chunk
};

// RIFF, WAVE, a 28-byte JUNK chunk (the ds64 chunk in RF64 form), fmt and the
// data chunk's header. Its size depends on the format only, so it can be
// rewritten in place as the file grows.
std::vector<std::uint8_t> FileWavHeader(const WavFormat& format, const WavFileSizes& sizes);

}  // namespace zaudio
