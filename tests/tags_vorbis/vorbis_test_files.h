// Real Ogg Vorbis and FLAC files made by the command-line encoders, and what
// the reference tools say about them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace vorbis_test {

namespace fs = std::filesystem;
using tags::Bytes;

Bytes ReadAll(const fs::path& p);
void WriteAll(const fs::path& p, const Bytes& b);

// A stereo 44.1 kHz WAV of noise, so that the encoded audio fills many pages.
fs::path MakeWav(const fs::path& dir, double seconds = 4);
// oggenc -q3 of that WAV with the given "NAME=value" comments.
fs::path MakeOgg(const fs::path& dir, const std::string& name, const std::vector<std::string>& comments,
                 int serial = 1234);
// flac with the given comments and extra arguments (--padding=0, ...).
fs::path MakeFlac(const fs::path& dir, const std::string& name, const std::vector<std::string>& comments,
                  const std::vector<std::string>& extra = {});

// Runs a program; the test fails when it does not exit with 0. Returns its
// standard output.
std::string Tool(const std::string& program, const std::vector<std::string>& args);
// Standard output and error of a program that may fail.
std::string ToolOutput(const std::string& program, const std::vector<std::string>& args, int* exitCode);

// MD5 of the audio packets as ffmpeg copies them out of the file.
std::string AudioMd5(const fs::path& file);
// Output lines of `vorbiscomment -l` / `metaflac --export-tags-to=-`.
std::vector<std::string> OggComments(const fs::path& file);
std::vector<std::string> FlacComments(const fs::path& file);
// True when ogginfo reports neither warnings nor errors.
bool OggInfoClean(const fs::path& file, std::string* report);

// A small ID3v2.3 tag with a title frame.
Bytes Id3v2Tag();
// A file with the ID3v2 tag in front.
void PrependTag(const fs::path& file, const Bytes& tag);
// A copy of the file without its first n bytes, for tools that expect the
// format's signature at offset 0.
fs::path StripFront(const fs::path& file, std::size_t n);

}  // namespace vorbis_test
