// Short recordings made by the real encoders of every format with tags, and
// what other programs read back from them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace tag_test {

// A 2-second stereo tone encoded as `kind` ("mp3", "ape", "aac", "m4a",
// "mpc", "ogg", "wma", "flac") at dir/<name>.<kind>; empty on failure (and
// the current test fails).
std::filesystem::path MakeEncodedFile(const std::filesystem::path& dir, const std::string& kind,
                                      const std::string& name = "tone");

// ffmpeg's MD5 of the audio packets, copied without decoding: equal before
// and after a tag change exactly when no audio byte moved or changed. With
// decoded, the MD5 of the decoded samples: ffmpeg passes an APE tag or a
// Lyrics3 block at the end of MP3, ADTS and Musepack data on as one more
// (undecodable) packet, so for files with end tags only the samples compare.
std::string AudioMd5(const std::filesystem::path& file, bool decoded = false);

// All tags TagLib reads, one "KEY=value" line each, keys upper case.
std::string TagLibProperties(const std::filesystem::path& file);
// All tags mutagen reads (its key and value texts), one per line. reader:
// "auto" (mutagen.File), "apev2" or "id3" (files whose ID3v2 tag in front
// hides their format from mutagen's guess).
std::string MutagenTags(const std::filesystem::path& file, const std::string& reader = "auto");
// ffprobe's container and stream tags ("TAG:title=...") lines.
std::string FfprobeTags(const std::filesystem::path& file);
// Standard output and error of a program run on the file, e.g. "id3v2 -l".
std::string ToolOutput(const std::string& program, const std::vector<std::string>& argsBeforeFile,
                       const std::filesystem::path& file, int* exitCode = nullptr);

}  // namespace tag_test
