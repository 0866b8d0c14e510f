// Encoder::Start: from a target, an input format and flags to a running encoder.
#include <algorithm>
#include <new>
#include <system_error>

#include "audio/encode/encoder.h"
#include "audio/encode/encoder_testing.h"
#include "audio/encode/program_output.h"
#include "audio/encode/wav_file_output.h"

namespace zaudio {

namespace {

constexpr auto kStopTimeout = std::chrono::seconds(60);

// 30 seconds of output rides out a disk or a program that stalls for a while;
// very wide formats settle for at least 10 seconds within 64 MiB.
size_t QueueBytes(const WavFormat& format, const EncoderTestOverrides& overrides) {
  constexpr std::uint64_t kMiB = 1 << 20;
  const std::uint64_t second = format.byteRate();
  std::uint64_t bytes = std::max(kMiB, std::min(30 * second, std::max(10 * second, 64 * kMiB)));
  if (overrides.queueBytes) bytes = overrides.queueBytes;
  // Whole frames, so that a block never wraps around the end inside a frame.
  const std::uint64_t frame = format.blockAlign();
  return static_cast<size_t>(std::max<std::uint64_t>(bytes / frame, 1) * frame);
}

std::unique_ptr<EncoderOutput> StartOutput(const std::string& target, const WavFormat& format, DWORD flags,
                                           const EncoderTestOverrides& overrides, int& error) {
  if (!(flags & ENCODE_PCM)) return ProgramOutput::Start(target, format, error);
  WavFileOutput::Limits limits;
  if (overrides.largestPlainRiffSize) limits.largestPlainRiffSize = overrides.largestPlainRiffSize;
  limits.failWriteAfter = overrides.failWriteAfter;
  auto file = WavFileOutput::Create(target, format, limits);
  if (!file) error = ERROR_FILEOPEN;
  return file;
}

}  // namespace

std::unique_ptr<Encoder> Encoder::Start(const std::string& target, const CaptureFormat& input, DWORD flags,
                                        int& error) {
  const EncoderTestOverrides overrides = CurrentEncoderOverrides();
  return StartWith(
      [&](PcmEncoding encoding, int& err) {
        return StartOutput(target, WavFormat{input.rate, input.channels, encoding}, flags, overrides, err);
      },
      input, flags, error);
}

std::unique_ptr<Encoder> Encoder::StartWith(const OutputFactory& makeOutput, const CaptureFormat& input,
                                            DWORD flags, int& error) {
  const auto encoding = EncodingFor(input.type, flags);
  if (!encoding) {
    error = ERROR_ILLPARAM;
    return nullptr;
  }
  const WavFormat format{input.rate, input.channels, *encoding};
  if (!format.fitsHeader()) {
    error = ERROR_FORMAT;
    return nullptr;
  }
  const EncoderTestOverrides overrides = CurrentEncoderOverrides();
  const auto stopTimeout = overrides.stopTimeout.count() ? overrides.stopTimeout : kStopTimeout;
  try {
    std::unique_ptr<EncoderOutput> output = makeOutput(*encoding, error);
    if (!output) return nullptr;
    std::unique_ptr<Encoder> encoder(new Encoder(std::move(output), input.type, input.channels, *encoding,
                                                 QueueBytes(format, overrides), stopTimeout));
    error = OK;
    return encoder;
  } catch (const std::bad_alloc&) {
    error = ERROR_MEM;
  } catch (const std::system_error&) {  // no thread could be started
    error = ERROR_MEM;
  }
  return nullptr;
}

}  // namespace zaudio
