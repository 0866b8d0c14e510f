#include "audio/encode/wav_header.h"

#include "audio/channel_layout.h"

#include <array>
#include <string_view>

namespace zaudio {

namespace {

constexpr std::uint32_t kUnknownSize = 0xFFFFFFFF;
constexpr std::uint32_t kReservedChunkBytes = 28;  // the ds64 body without a table

class HeaderWriter {
 public:
  void id(std::string_view fourcc) { bytes_.insert(bytes_.end(), fourcc.begin(), fourcc.begin() + 4); }
  void u16(std::uint32_t v) { little(v, 2); }
  void u32(std::uint64_t v) { little(v, 4); }
  void u64(std::uint64_t v) { little(v, 8); }
  void zeros(size_t n) { bytes_.insert(bytes_.end(), n, 0); }
  void raw(const std::uint8_t* p, size_t n) { bytes_.insert(bytes_.end(), p, p + n); }
  size_t size() const { return bytes_.size(); }
  std::vector<std::uint8_t> take() { return std::move(bytes_); }

 private:
  void little(std::uint64_t v, int n) {
    for (int i = 0; i < n; ++i) bytes_.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  }
  std::vector<std::uint8_t> bytes_;
};

bool IsFloat(const WavFormat& f) { return f.encoding == PcmEncoding::F32; }

// Plain PCM or float for one or two channels, WAVE_FORMAT_EXTENSIBLE above.
void FmtChunk(HeaderWriter& w, const WavFormat& f) {
  const bool extensible = f.channels > 2;
  const std::uint32_t tag = IsFloat(f) ? 3 : 1;
  w.id("fmt ");
  w.u32(extensible ? 40 : 16);
  w.u16(extensible ? 0xFFFE : tag);
  w.u16(f.channels);
  w.u32(f.rate);
  w.u32(f.byteRate());
  w.u16(static_cast<std::uint32_t>(f.blockAlign()));
  w.u16(f.bits());
  if (!extensible) return;
  w.u16(22);
  w.u16(f.bits());
  w.u32(SpeakerMaskFor(f.channels));
  constexpr std::uint8_t kGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                          0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
  w.u32(tag);
  w.raw(kGuidTail, sizeof kGuidTail);
}

}  // namespace

std::vector<std::uint8_t> StreamingWavHeader(const WavFormat& format) {
  HeaderWriter w;
  w.id("RIFF");
  w.u32(kUnknownSize);
  w.id("WAVE");
  FmtChunk(w, format);
  w.id("data");
  w.u32(kUnknownSize);
  return w.take();
}

std::vector<std::uint8_t> FileWavHeader(const WavFormat& format, const WavFileSizes& sizes) {
  HeaderWriter fmt;
  FmtChunk(fmt, format);
  const std::uint64_t headerBytes = 12 + 8 + kReservedChunkBytes + fmt.size() + 8;
  const std::uint64_t riffBytes = headerBytes - 8 + sizes.dataBytes + (sizes.padded ? 1 : 0);

  HeaderWriter w;
  w.id(sizes.rf64 ? "RF64" : "RIFF");
  w.u32(sizes.rf64 ? kUnknownSize : riffBytes);
  w.id("WAVE");
  w.id(sizes.rf64 ? "ds64" : "JUNK");
  w.u32(kReservedChunkBytes);
  if (sizes.rf64) {
    w.u64(riffBytes);
    w.u64(sizes.dataBytes);
    w.u64(sizes.dataBytes / format.blockAlign());
    w.u32(0);  // no table of other chunk sizes
  } else {
    w.zeros(kReservedChunkBytes);
  }
  const std::vector<std::uint8_t> fmtBytes = fmt.take();
  w.raw(fmtBytes.data(), fmtBytes.size());
  w.id("data");
  w.u32(sizes.rf64 ? kUnknownSize : sizes.dataBytes);
  return w.take();
}

}  // namespace zaudio
