// Reading WAV and RF64 files the way their layout is written down (not the
// way our writer writes them), and waiting for a condition in tests.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zovedu_test {

using Bytes = std::vector<std::uint8_t>;

struct WavInfo {
  std::string riffId;  // "RIFF" or "RF64"
  std::uint32_t riffSize32 = 0;
  std::vector<std::string> chunkIds;  // in file order
  std::uint16_t formatTag = 0;        // 0xFFFE when extensible
  std::uint16_t subFormatTag = 0;     // the extensible sub format, else formatTag
  std::uint16_t channels = 0;
  std::uint32_t rate = 0;
  std::uint32_t byteRate = 0;
  std::uint16_t blockAlign = 0;
  std::uint16_t bits = 0;
  std::uint32_t channelMask = 0;
  Bytes junk;  // the body of a JUNK chunk
  std::optional<std::uint64_t> ds64Riff, ds64Data, ds64Samples;
  std::uint32_t ds64Table = 0;
  std::uint32_t dataSize32 = 0;
  Bytes data;  // as much as the header states; to the end when the size is unknown
  std::uint64_t fileSize = 0;
};

// Nothing when `bytes` is no well-formed WAV or RF64 image or its header
// states more data than there is; that fails the current test unless `quiet`.
std::optional<WavInfo> ParseWav(const Bytes& bytes, bool quiet = false);
Bytes ReadFile(const std::string& path);
std::optional<WavInfo> ReadWav(const std::string& path);

// Polls `condition` until it holds or the generous deadline passes.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds deadline = std::chrono::seconds(20));

}  // namespace zovedu_test
