// Real files of every format the recorder writes, made once per test program
// with the encoders the recorder uses (bin/ and Debian's), and what ffmpeg
// decodes from them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "audio/zaudio.h"

namespace zovedu_test {

using Creator = zaudio::HSTREAM (*)(bool, const char*, zaudio::QWORD, zaudio::QWORD, zaudio::DWORD);

struct FormatFile {
  std::string name;  // for test names: letters and digits only
  std::filesystem::path path;
  Creator creator = nullptr;
  bool lossless = false;
  std::vector<std::string> ffmpegInput;  // options ahead of ffmpeg's -i (a decoder to use)
};

// The source every file is made from: 44100 Hz stereo 16-bit, `seconds` long,
// a 1 kHz sine left and a 1.5 kHz sine right at half scale with a little
// deterministic noise, so that any shift of a sample shows.
std::vector<std::int16_t> SourceSamples(double seconds);

// Every format, made from SourceSamples(seconds) in dir. A format whose
// encoder fails fails the current test.
std::vector<FormatFile> MakeFormatFiles(const std::filesystem::path& dir, double seconds);

// ffmpeg's decode of a file to interleaved 16-bit samples at its own rate and
// channels.
std::vector<std::int16_t> FfmpegDecode(const FormatFile& file);

// The file decoded to its end by a decode-only stream; the stream is freed.
std::vector<std::int16_t> StreamDecode(const FormatFile& file);

}  // namespace zovedu_test
