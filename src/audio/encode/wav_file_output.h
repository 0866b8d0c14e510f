// A WAV file that stays valid while it grows: its header is brought up to date
// and the file synced at least once a second, so a crash or power cut loses at
// most the last second. Past 4 GiB the file continues as RF64.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "audio/encode/encoder_output.h"
#include "audio/encode/wav_header.h"

namespace zaudio {

class WavFileOutput final : public EncoderOutput {
 public:
  struct Limits {
    std::uint64_t largestPlainRiffSize = 0xFFFFFFFE;  // 0xFFFFFFFF means "unknown" to readers
    std::optional<std::uint64_t> failWriteAfter;      // simulated full disk after this many data bytes
  };

  // Creates (or empties) the file and writes the header of an empty file.
  // Nothing when that fails.
  static std::unique_ptr<WavFileOutput> Create(const std::string& path, const WavFormat& format,
                                               const Limits& limits);
  ~WavFileOutput() override;

  Written write(std::span<const std::uint8_t> data, EncoderClock::time_point giveUpAt) override;
  DWORD poll() override;
  // Drops a partial last frame, adds the pad byte odd-sized data needs,
  // writes the final header and syncs, also after a failed write.
  bool finish(EncoderClock::time_point giveUpAt) override;
  std::string lastMessage() const override;

 private:
  WavFileOutput(int fd, const WavFormat& format, const Limits& limits, std::uint64_t headerBytes);
  // Writes the header for what has been written; with `sync` the file then
  // reaches the disk.
  bool updateHeader(bool padded, bool sync);
  DWORD failed(int error, const char* what);

  int fd_;
  const WavFormat format_;
  const Limits limits_;
  const std::uint64_t headerBytes_;
  std::uint64_t dataBytes_ = 0;
  std::uint64_t statedBytes_ = 0;  // what the header on disk says
  bool rf64_ = false;
  EncoderClock::time_point lastHeader_, lastSync_;

  mutable std::mutex messageMutex_;
  std::string message_;
};

}  // namespace zaudio
