#include "ape_header.h"

namespace ape {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> HeaderBytes(const FileHeader& h) {
  std::vector<std::uint8_t> out;
  Put16(out, static_cast<std::uint32_t>(h.level));
  Put16(out, kFlagCreateWavHeader | (h.format.bitsPerSample == 24 ? kFlag24Bit : 0));
  Put32(out, h.blocksPerFrame);
  Put32(out, h.finalFrameBlocks);
  Put32(out, h.totalFrames);
  Put16(out, static_cast<std::uint32_t>(h.format.bitsPerSample));
  Put16(out, static_cast<std::uint32_t>(h.format.channels));
  Put32(out, static_cast<std::uint32_t>(h.format.sampleRate));
  return out;
}

std::vector<std::uint8_t> DescriptorAndHeaderBytes(const FileHeader& h) {
  std::vector<std::uint8_t> out = {'M', 'A', 'C', ' '};
  Put16(out, kFileVersion);
  Put16(out, 0);  // padding
  Put32(out, kDescriptorBytes);
  Put32(out, kHeaderBytes);
  Put32(out, h.seekTableBytes);
  Put32(out, 0);  // no WAV header stored
  Put32(out, static_cast<std::uint32_t>(h.frameDataBytes));
  Put32(out, static_cast<std::uint32_t>(h.frameDataBytes >> 32));
  Put32(out, 0);  // nothing after the frames
  out.insert(out.end(), h.md5.begin(), h.md5.end());
  const std::vector<std::uint8_t> header = HeaderBytes(h);
  out.insert(out.end(), header.begin(), header.end());
  return out;
}

}  // namespace ape
