// Running bin/MAC the way the recorder runs it, and reading its files back
// with ffmpeg.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_run.h"
#include "test_signals.h"

namespace tools_mac {

// bin/MAC - "<out>" -c<level>, with the file `stdinFile` on standard input.
zovedu_test::RunResult RunMac(const std::filesystem::path& stdinFile, const std::filesystem::path& out, int level);

// Writes `stream` next to `out` (as <out>.wav) and encodes it from standard
// input; fails the current test when MAC does not exit 0.
void EncodeStream(const Bytes& stream, const std::filesystem::path& out, int level);

// ffmpeg's raw format that holds samples of `bits` byte for byte.
std::string RawFormatFor(int bits);

// ffmpeg's decoding of `file` as raw samples of `bits` (empty on failure, and
// the current test fails).
Bytes DecodeRaw(const std::filesystem::path& file, int bits);

// Success when `decoded` holds exactly the samples of `expected`; otherwise
// says where they part: the block, the frame it falls in at `level`, and the
// values on either side.
testing::AssertionResult SameSamples(const Bytes& decoded, const Pcm& expected, int level);

}  // namespace tools_mac
