// Files and byte strings for the end-of-file tag tests: hand-made tags, a real
// MP3 from lame, and what the reference tools read from it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tags/toolkit/byte_source.h"

namespace end_test {

namespace fs = std::filesystem;
using tags::Bytes;

Bytes ReadAll(const fs::path& p);
void WriteAll(const fs::path& p, const Bytes& b);
Bytes Concat(const std::vector<Bytes>& parts);
Bytes Text(std::string_view s);

// Stand-in audio: bytes no tag parser takes for a tag.
Bytes Audio(std::size_t n = 5000);
// A 128-byte ID3v1 tag with the given title, the remaining fields empty.
Bytes Id3v1Bytes(const std::string& title, std::uint8_t genre = 12);
// An APE tag (footer, and a header when asked) of the given text items.
Bytes ApeBytes(const std::vector<std::pair<std::string, std::string>>& items, std::uint32_t version = 2000,
               bool withHeader = false);
// A Lyrics3 block "LYRICSBEGIN" + IND + the given fields + trailer.
Bytes Lyrics3Bytes(const std::string& fields);

// A short MP3 made by lame, without tags.
fs::path MakeMp3(const fs::path& dir, const std::string& name);
// MD5 of the audio packets as ffmpeg copies them out of the file. ffmpeg
// skips an ID3v1 tag but hands an APE tag or a Lyrics3 block on as one more
// (undecodable) packet.
std::string AudioMd5(const fs::path& file);
// A tag of the container as ffprobe shows it; empty when it has none.
std::string FfprobeTag(const fs::path& file, const std::string& key);
// One line per packet ffmpeg copies out: timestamps, size and MD5.
std::vector<std::string> AudioPackets(const fs::path& file);
// MD5 of the samples ffmpeg decodes.
std::string DecodedMd5(const fs::path& file);
// Runs python3 with the script and the file as its argument; the test fails
// unless it exits with 0. Returns its output.
std::string Python(const std::string& script, const fs::path& file);

}  // namespace end_test
