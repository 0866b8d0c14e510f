// Real WMA and M4A files made by ffmpeg, extra items put in by mutagen, and
// what mutagen, ffprobe and ffmpeg make of the files afterwards.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace taglib_test {

namespace fs = std::filesystem;
using tags::Bytes;

Bytes ReadAll(const fs::path& p);
void WriteAll(const fs::path& p, const Bytes& b);

// Two seconds of a sine tone as WMA (wmav2) or M4A (aac), with ffmpeg's
// -metadata NAME=value pairs.
fs::path MakeWma(const fs::path& dir, const std::string& name, const std::vector<std::string>& metadata = {});
fs::path MakeM4a(const fs::path& dir, const std::string& name, const std::vector<std::string>& metadata = {});

// Runs python3 with mutagen on a statement; `f` is mutagen.File(path) and is
// saved afterwards. The test fails when python fails.
void MutagenEdit(const fs::path& file, const std::string& statements);

// Every tag value mutagen reads, in file order per name: texts as they are,
// number pairs as "5/12", binary values as "bytes:<size>:<md5>".
std::multimap<std::string, std::string> MutagenTags(const fs::path& file);
// All values mutagen reads under name.
std::vector<std::string> MutagenValues(const fs::path& file, const std::string& name);

// ffprobe's format tags (title, artist, ...).
std::map<std::string, std::string> FfprobeTags(const fs::path& file);

// MD5 of the audio packets as ffmpeg copies them out of the file.
std::string AudioMd5(const fs::path& file);

// UTF-8 of the copyright-sign item names of MP4 ("\u00a9nam").
std::string Mp4Key(const char* threeLetters);

}  // namespace taglib_test
