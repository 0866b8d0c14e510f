// What an encoded file decodes to, with the format's own decoder or with
// ffmpeg, and what ffprobe says about it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "recorder_stream.h"

namespace tools_adapters {

// The formats of the adapters' output, named by file extension.
enum class Codec { Mp3, Mpc, WavPack, Flac, Vorbis };

std::string Extension(Codec codec);
std::string FfprobeCodecName(Codec codec);

struct Decoded {
  bool ok = false;
  std::string why;  // when not ok
  int rate = 0, channels = 0, bits = 0;
  Bytes data;  // interleaved little-endian samples as the decoder wrote them
  size_t frames() const { return channels > 0 && bits > 0 ? data.size() / (channels * bits / 8) : 0; }
  double seconds() const { return rate > 0 ? static_cast<double>(frames()) / rate : 0; }
  std::vector<double> channel(int c) const;  // one channel at full scale -1..1
};

// lame --decode, mpcdec, wvunpack, flac -d or oggdec, to a WAV file.
Decoded DecodeWithOwnDecoder(Codec codec, const std::filesystem::path& file);

// ffmpeg to a WAV file of 32-bit integers.
Decoded DecodeWithFfmpeg(const std::filesystem::path& file);

// The format's own integrity check where it has one (wvunpack -v, flac -t):
// empty when it passes or there is none, else what it said.
std::string VerifyWithOwnTool(Codec codec, const std::filesystem::path& file);

struct Probed {
  bool ok = false;
  std::string codec;
  int rate = 0, channels = 0;
  std::string raw;  // ffprobe's answer, for failure messages
};
Probed Probe(const std::filesystem::path& file);

// Root mean square of samples.
double Rms(const std::vector<double>& samples);

}  // namespace tools_adapters
