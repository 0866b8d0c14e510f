// A WMA file (ASF container, the standard WMA codec) as an encoder's output:
// the writer thread hands it PCM, it encodes and muxes. Everything is opened,
// the file included, before the first sample is taken, so a refused format
// never leaves a file behind.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "audio/codec_module.h"

namespace zaudio {

class WmaFileOutput final : public EncoderOutput {
 public:
  // Nothing when the codec refuses the settings (error ERROR_FORMAT, or
  // ERROR_NOTAVAIL without a codec) or the file cannot be created
  // (ERROR_FILEOPEN).
  static std::unique_ptr<WmaFileOutput> Create(const std::string& path, const WmaFileSettings& settings,
                                               int& error);
  ~WmaFileOutput() override;

  Written write(std::span<const std::uint8_t> data, EncoderClock::time_point giveUpAt) override;
  DWORD poll() override { return 0; }
  bool gathersWell() const override { return false; }  // the codec holds a packet's worth
  bool finish(EncoderClock::time_point giveUpAt) override;
  std::string lastMessage() const override;

  struct State;

 private:
  explicit WmaFileOutput(std::unique_ptr<State> state);
  DWORD fail(const std::string& what);

  std::unique_ptr<State> state_;
  mutable std::mutex messageMutex_;
  std::string message_;
};

}  // namespace zaudio
