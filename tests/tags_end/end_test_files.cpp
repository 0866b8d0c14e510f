#include "end_test_files.h"

#include <gtest/gtest.h>

#include "support/test_wav.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "support/program_run.h"
#include "tags/toolkit/byte_order.h"

namespace end_test {

Bytes ReadAll(const fs::path& p) { return zovedu_test::ReadFile(p.string()); }

void WriteAll(const fs::path& p, const Bytes& b) { zovedu_test::WriteFile(p, b); }

Bytes Concat(const std::vector<Bytes>& parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

Bytes Text(std::string_view s) { return Bytes(s.begin(), s.end()); }

Bytes Audio(std::size_t n) {
  Bytes out(n);
  for (std::size_t i = 0; i < n; ++i) out[i] = std::uint8_t(0x80 | (i * 7 % 101));
  return out;
}

Bytes Id3v1Bytes(const std::string& title, std::uint8_t genre) {
  Bytes tag(128, 0);
  std::copy_n("TAG", 3, tag.begin());
  std::copy_n(title.begin(), std::min<std::size_t>(title.size(), 30), tag.begin() + 3);
  tag[127] = genre;
  return tag;
}

Bytes ApeBytes(const std::vector<std::pair<std::string, std::string>>& items, std::uint32_t version,
               bool withHeader) {
  Bytes body;
  for (const auto& [key, value] : items) {
    tags::AppendLE32(body, std::uint32_t(value.size()));
    tags::AppendLE32(body, 0);
    tags::AppendText(body, key);
    body.push_back(0);
    tags::AppendText(body, value);
  }
  const auto frame = [&](bool header) {
    Bytes f = Text("APETAGEX");
    tags::AppendLE32(f, version);
    tags::AppendLE32(f, std::uint32_t(body.size() + 32));
    tags::AppendLE32(f, std::uint32_t(items.size()));
    tags::AppendLE32(f, (withHeader ? 0x80000000u : 0) | (header ? 0x20000000u : 0));
    f.insert(f.end(), 8, 0);
    return f;
  };
  return withHeader ? Concat({frame(true), body, frame(false)}) : Concat({body, frame(false)});
}

Bytes Lyrics3Bytes(const std::string& fields) {
  const std::string block = "LYRICSBEGIN" + fields;
  char size[8];
  std::snprintf(size, sizeof size, "%06zu", block.size());
  return Text(block + size + "LYRICS200");
}

namespace {
std::string Run(const std::string& program, const std::vector<std::string>& args) {
  const zovedu_test::RunResult r = zovedu_test::RunProgram(program, args);
  EXPECT_TRUE(r.ended && r.exitCode == 0) << program << ": " << r.describe();
  return r.out;
}
}  // namespace

fs::path MakeMp3(const fs::path& dir, const std::string& name) {
  const fs::path wav = dir / "source.wav", mp3 = dir / name;
  if (!fs::exists(wav))
    Run("/usr/bin/sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav.string(), "synth", "2", "pinknoise",
                         "vol", "0.5"});
  Run("/usr/bin/lame", {"--quiet", "-b", "128", wav.string(), mp3.string()});
  return mp3;
}

std::string AudioMd5(const fs::path& file) {
  return Run("/usr/bin/ffmpeg", {"-v", "error", "-i", file.string(), "-map", "0:a", "-c", "copy", "-f", "md5", "-"});
}

std::string FfprobeTag(const fs::path& file, const std::string& key) {
  std::string value = Run("/usr/bin/ffprobe", {"-v", "error", "-show_entries", "format_tags=" + key, "-of",
                                               "default=noprint_wrappers=1:nokey=1", file.string()});
  while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.pop_back();
  return value;
}

std::vector<std::string> AudioPackets(const fs::path& file) {
  std::vector<std::string> lines;
  std::istringstream in(Run("/usr/bin/ffmpeg", {"-v", "error", "-i", file.string(), "-map", "0:a", "-c", "copy",
                                                "-f", "framemd5", "-"}));
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') lines.push_back(line);
  return lines;
}

std::string DecodedMd5(const fs::path& file) {
  // The decoder reports the tag packet as invalid data; only the samples count.
  const zovedu_test::RunResult r = zovedu_test::RunProgram(
      "/usr/bin/ffmpeg", {"-v", "quiet", "-i", file.string(), "-map", "0:a", "-f", "s16le", "-c:a", "pcm_s16le",
                          "-f", "md5", "-"});
  EXPECT_TRUE(r.ended && r.exitCode == 0) << r.describe();
  return r.out;
}

std::string Python(const std::string& script, const fs::path& file) {
  return Run("/usr/bin/python3", {"-c", script, file.string()});
}

}  // namespace end_test
