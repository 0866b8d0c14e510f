#include "tta_samples.h"

namespace tta {

std::optional<SampleLayout> SampleLayoutFor(const wavin::Format& format, std::string& error) {
  switch (format.encoding) {
    case wavin::Encoding::Unsigned8: return SampleLayout{AV_SAMPLE_FMT_U8, 8};
    case wavin::Encoding::Signed16: return SampleLayout{AV_SAMPLE_FMT_S16, 16};
    case wavin::Encoding::Signed24: return SampleLayout{AV_SAMPLE_FMT_S32, 24};
    case wavin::Encoding::Signed32:
    case wavin::Encoding::Float32: break;
  }
  error = "TTA holds 8, 16 or 24-bit integer samples, not " + std::to_string(format.bits) + "-bit " +
          (format.encoding == wavin::Encoding::Float32 ? "float" : "integer");
  return std::nullopt;
}

size_t SampleReader::read(size_t maxFrames) {
  size_t frames = 0;
  switch (layout_.format) {
    case AV_SAMPLE_FMT_U8:
      frames = input_.read(bytes_, maxFrames);
      data_ = bytes_.data();
      break;
    case AV_SAMPLE_FMT_S16:
      frames = input_.readInt16(int16_, maxFrames);
      data_ = reinterpret_cast<const std::uint8_t*>(int16_.data());
      break;
    default:
      frames = input_.readInt32(int32_, maxFrames);
      data_ = reinterpret_cast<const std::uint8_t*>(int32_.data());
      break;
  }
  return frames;
}

}  // namespace tta
