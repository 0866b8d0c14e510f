#include "audio/pcm_wav_decoder.h"

#include <array>
#include <bit>
#include <cstring>

#include "audio/channel_layout.h"

namespace zaudio {
namespace {

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint64_t Le64(const std::uint8_t* p) { return Le32(p) | std::uint64_t{Le32(p + 4)} << 32; }

constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kFormatExtensible = 0xFFFE;

// Where the samples are and what they are.
struct Layout {
  DWORD rate = 0;
  DWORD channels = 0;
  std::uint64_t dataStart = 0;
  std::uint64_t dataBytes = 0;
};

// The chunks up to the data chunk. False for anything but 16-bit integer PCM.
bool ReadLayout(const SourceBytes& bytes, Layout& layout) {
  std::array<std::uint8_t, 12> riff{};
  if (!bytes.readAll(0, riff.data(), 12)) return false;
  const bool rf64 = std::memcmp(riff.data(), "RF64", 4) == 0;
  if ((!rf64 && std::memcmp(riff.data(), "RIFF", 4) != 0) || std::memcmp(riff.data() + 8, "WAVE", 4) != 0)
    return false;
  std::uint64_t ds64Data = 0;
  bool haveFormat = false;
  for (std::uint64_t pos = 12; pos + 8 <= bytes.size();) {
    std::array<std::uint8_t, 8> head{};
    if (!bytes.readAll(pos, head.data(), 8)) return false;
    const std::uint32_t size = Le32(head.data() + 4);
    const std::uint64_t body = pos + 8;
    if (std::memcmp(head.data(), "ds64", 4) == 0 && size >= 16) {
      std::array<std::uint8_t, 16> ds64{};
      if (!bytes.readAll(body, ds64.data(), 16)) return false;
      ds64Data = Le64(ds64.data() + 8);
    } else if (std::memcmp(head.data(), "fmt ", 4) == 0) {
      if (size < 16) return false;
      std::array<std::uint8_t, 40> fmt{};
      const int want = static_cast<int>(std::min<std::uint32_t>(size, fmt.size()));
      if (!bytes.readAll(body, fmt.data(), want)) return false;
      std::uint16_t tag = Le16(fmt.data());
      if (tag == kFormatExtensible) {
        // The sub-format's first two bytes are the plain format tag.
        if (size < 40 || Le16(fmt.data() + 16) < 22 || Le16(fmt.data() + 18) != 16) return false;
        tag = Le16(fmt.data() + 24);
      }
      layout.channels = Le16(fmt.data() + 2);
      layout.rate = Le32(fmt.data() + 4);
      const std::uint16_t blockAlign = Le16(fmt.data() + 12);
      const std::uint16_t bits = Le16(fmt.data() + 14);
      if (tag != kFormatPcm || bits != 16 || layout.rate == 0 || layout.channels < 1 ||
          layout.channels > kMaxChannels || blockAlign != 2 * layout.channels)
        return false;
      haveFormat = true;
    } else if (std::memcmp(head.data(), "data", 4) == 0) {
      if (!haveFormat) return false;
      layout.dataStart = body;
      const std::uint64_t there = bytes.size() - body;
      std::uint64_t stated = rf64 && size == 0xFFFFFFFF ? ds64Data : size;
      // A header that was never completed (a recording cut off) states 0 or
      // "unknown"; one that states more than is there was cut short. Either
      // way the samples run to the end of the file.
      if (stated == 0 || (!rf64 && stated == 0xFFFFFFFF) || stated > there) stated = there;
      layout.dataBytes = stated - stated % (2 * layout.channels);
      return true;
    }
    pos = body + size + (size & 1);
  }
  return false;
}

class PcmWavDecoder final : public FileDecoder {
 public:
  PcmWavDecoder(SourceBytes bytes, const Layout& layout)
      : bytes_(std::move(bytes)), layout_(layout), frameBytes_(2 * layout.channels) {}

  DWORD rate() const override { return layout_.rate; }
  DWORD channels() const override { return layout_.channels; }
  DWORD ctype() const override { return CTYPE_STREAM_WAV_PCM; }
  std::uint64_t lengthFrames() const override { return length(); }
  std::uint64_t position() const override { return position_; }
  bool ended() override { return position_ >= length(); }

  size_t read(std::int16_t* out, size_t frames) override {
    frames = static_cast<size_t>(std::min<std::uint64_t>(frames, length() - position_));
    if (!out) {
      position_ += frames;
      return frames;
    }
    auto* to = reinterpret_cast<std::uint8_t*>(out);
    size_t done = 0;
    while (done < frames) {
      const size_t want = std::min<size_t>(frames - done, kMaxReadFrames);
      const int got = bytes_.read(layout_.dataStart + position_ * frameBytes_, to + done * frameBytes_,
                                  static_cast<int>(want * frameBytes_));
      const size_t whole = got > 0 ? static_cast<size_t>(got) / frameBytes_ : 0;
      if (whole == 0) {
        // The file became shorter than its header said: it ends here.
        length_ = position_;
        break;
      }
      done += whole;
      position_ += whole;
    }
    if constexpr (std::endian::native == std::endian::big)
      for (size_t i = 0; i < done * layout_.channels; ++i)
        out[i] = static_cast<std::int16_t>(Le16(reinterpret_cast<const std::uint8_t*>(out + i)));
    return done;
  }

  bool seek(std::uint64_t frame) override {
    position_ = std::min(frame, length());
    return position_ == frame;
  }

 private:
  static constexpr size_t kMaxReadFrames = 1 << 16;
  std::uint64_t length() const { return std::min(length_, layout_.dataBytes / frameBytes_); }

  SourceBytes bytes_;
  Layout layout_;
  std::uint64_t frameBytes_;
  std::uint64_t position_ = 0;
  std::uint64_t length_ = UINT64_MAX;  // lowered when the file ends early
};

}  // namespace

std::unique_ptr<FileDecoder> OpenPcmWav(SourceBytes& bytes) {
  Layout layout;
  if (!ReadLayout(bytes, layout)) return nullptr;
  return std::make_unique<PcmWavDecoder>(std::move(bytes), layout);
}

}  // namespace zaudio
