#include "vorbis_test_files.h"

#include <gtest/gtest.h>

#include "support/test_wav.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "support/program_run.h"

namespace vorbis_test {

Bytes ReadAll(const fs::path& p) { return zovedu_test::ReadFile(p.string()); }

void WriteAll(const fs::path& p, const Bytes& b) { zovedu_test::WriteFile(p, b); }

std::string ToolOutput(const std::string& program, const std::vector<std::string>& args, int* exitCode) {
  const zovedu_test::RunResult r = zovedu_test::RunProgram("/usr/bin/" + program, args);
  *exitCode = r.ended ? r.exitCode : -1;
  return r.out + r.err;
}

std::string Tool(const std::string& program, const std::vector<std::string>& args) {
  const zovedu_test::RunResult r = zovedu_test::RunProgram("/usr/bin/" + program, args);
  EXPECT_TRUE(r.ended && r.exitCode == 0) << program << ": " << r.describe();
  return r.out;
}

fs::path MakeWav(const fs::path& dir, double seconds) {
  const fs::path wav = dir / "source.wav";
  if (!fs::exists(wav))
    Tool("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav.string(), "synth", std::to_string(seconds),
                 "pinknoise", "vol", "0.5"});
  return wav;
}

fs::path MakeOgg(const fs::path& dir, const std::string& name, const std::vector<std::string>& comments,
                 int serial) {
  const fs::path out = dir / name;
  std::vector<std::string> args = {"-Q", "-q3", "-s", std::to_string(serial)};
  for (const std::string& c : comments) args.insert(args.end(), {"-c", c});
  args.insert(args.end(), {MakeWav(dir).string(), "-o", out.string()});
  Tool("oggenc", args);
  return out;
}

fs::path MakeFlac(const fs::path& dir, const std::string& name, const std::vector<std::string>& comments,
                  const std::vector<std::string>& extra) {
  const fs::path out = dir / name;
  std::vector<std::string> args = {"-s", "-f"};
  for (const std::string& c : comments) args.insert(args.end(), {"-T", c});
  args.insert(args.end(), extra.begin(), extra.end());
  args.insert(args.end(), {MakeWav(dir).string(), "-o", out.string()});
  Tool("flac", args);
  return out;
}

std::string AudioMd5(const fs::path& file) {
  return Tool("ffmpeg", {"-v", "error", "-i", file.string(), "-map", "0:a", "-c", "copy", "-f", "md5", "-"});
}

namespace {
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}
}  // namespace

std::vector<std::string> OggComments(const fs::path& file) {
  return Lines(Tool("vorbiscomment", {"-l", "-R", file.string()}));
}

std::vector<std::string> FlacComments(const fs::path& file) {
  return Lines(Tool("metaflac", {"--no-utf8-convert", "--export-tags-to=-", file.string()}));
}

bool OggInfoClean(const fs::path& file, std::string* report) {
  int code = -1;
  *report = ToolOutput("ogginfo", {file.string()}, &code);
  return code == 0 && report->find("WARNING") == std::string::npos &&
         report->find("Warning") == std::string::npos && report->find("ERROR") == std::string::npos &&
         report->find("Error") == std::string::npos;
}

Bytes Id3v2Tag() {
  const std::string title = "Tag in front";
  const std::size_t frameSize = 11 + title.size();
  const std::size_t size = frameSize + 20;  // and some padding
  std::string tag = std::string("ID3\x03\0\0\0\0\0", 9) + char(size);
  tag += std::string("TIT2\0\0\0", 7) + char(title.size() + 1) + std::string(3, '\0') + title;
  tag.resize(10 + size, '\0');
  return Bytes(tag.begin(), tag.end());
}

void PrependTag(const fs::path& file, const Bytes& tag) {
  Bytes all = tag;
  const Bytes old = ReadAll(file);
  all.insert(all.end(), old.begin(), old.end());
  WriteAll(file, all);
}

fs::path StripFront(const fs::path& file, std::size_t n) {
  const Bytes all = ReadAll(file);
  fs::path out = file;
  out.replace_filename("stripped_" + file.filename().string());
  WriteAll(out, Bytes(all.begin() + std::ptrdiff_t(n), all.end()));
  return out;
}

}  // namespace vorbis_test
