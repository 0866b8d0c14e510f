// What a WAV file's header says, read by walking its chunks the way a player
// would: the RIFF size, the fmt fields and where the data chunk starts and
// how long it claims to be.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace e2e {

struct WavLayout {
  std::string error;  // empty when the header could be read
  std::uint64_t fileBytes = 0;
  std::uint32_t riffSize = 0;
  std::uint16_t formatTag = 0;
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bits = 0;
  std::uint64_t dataOffset = 0;  // first byte of sample data
  std::uint32_t dataSize = 0;    // as the data chunk's header states it

  bool ok() const { return error.empty(); }
  // Sample bytes actually in the file after the data chunk's header.
  std::uint64_t bytesInFile() const { return fileBytes > dataOffset ? fileBytes - dataOffset : 0; }
  double seconds(std::uint64_t bytes) const { return byteRate ? double(bytes) / byteRate : 0.0; }
  double statedSeconds() const { return seconds(dataSize); }
  double heldSeconds() const { return seconds(bytesInFile()); }
};

WavLayout ReadWavLayout(const std::filesystem::path& path);

std::string Describe(const WavLayout& wav);

}  // namespace e2e
