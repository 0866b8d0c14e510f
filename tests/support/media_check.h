// What ffprobe and ffmpeg make of an encoder's file.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/test_wav.h"

namespace zovedu_test {

// ffprobe's view of the first audio stream and the container:
// codec_name, channels, sample_rate, bits_per_raw_sample, format_name,
// major_brand (MP4 only). Empty when ffprobe fails.
std::map<std::string, std::string> Probe(const std::filesystem::path& file);

// The file decoded by ffmpeg to raw samples in `rawFormat` (f32le, s16le,
// s24le, u8), channels and rate as they are. Empty on failure, and the
// current test fails.
Bytes Decode(const std::filesystem::path& file, const std::string& rawFormat);

// f32le bytes to floats.
std::vector<float> Floats(const Bytes& f32le);

}  // namespace zovedu_test
