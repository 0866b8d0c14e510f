#include "taglib_test_files.h"

#include <gtest/gtest.h>

#include "support/test_wav.h"

#include <fstream>
#include <iterator>
#include <sstream>

#include "support/program_run.h"

namespace taglib_test {
namespace {

std::string Tool(const std::string& program, const std::vector<std::string>& args) {
  const zovedu_test::RunResult r = zovedu_test::RunProgram("/usr/bin/" + program, args);
  EXPECT_TRUE(r.ended && r.exitCode == 0) << program << ": " << r.describe();
  return r.out;
}

fs::path MakeAudio(const fs::path& dir, const std::string& name, const std::string& codec,
                   const std::vector<std::string>& metadata) {
  const fs::path out = dir / name;
  std::vector<std::string> args = {"-v", "error", "-y", "-f", "lavfi", "-i", "sine=d=2", "-c:a", codec};
  for (const std::string& m : metadata) args.insert(args.end(), {"-metadata", m});
  args.push_back(out.string());
  Tool("ffmpeg", args);
  return out;
}

std::string FromHex(const std::string& hex) {
  std::string out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(char(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// Prints "name-hex value-hex" lines, so that no text passes through a locale.
constexpr const char* kDumpTags = R"(
import sys, mutagen, hashlib
f = mutagen.File(sys.argv[1])
def text(v):
    val = getattr(v, 'value', v)
    if isinstance(val, (bytes, bytearray)): return 'bytes:%d:%s' % (len(val), hashlib.md5(bytes(val)).hexdigest())
    if isinstance(val, tuple): return '/'.join(str(x) for x in val)
    return str(val)
for k, vs in (f.tags.items() if f.tags is not None else []):
    for v in vs:
        print(k.encode('utf-8').hex(), text(v).encode('utf-8').hex())
)";

}  // namespace

Bytes ReadAll(const fs::path& p) { return zovedu_test::ReadFile(p.string()); }

void WriteAll(const fs::path& p, const Bytes& b) { zovedu_test::WriteFile(p, b); }

fs::path MakeWma(const fs::path& dir, const std::string& name, const std::vector<std::string>& metadata) {
  return MakeAudio(dir, name, "wmav2", metadata);
}

fs::path MakeM4a(const fs::path& dir, const std::string& name, const std::vector<std::string>& metadata) {
  return MakeAudio(dir, name, "aac", metadata);
}

void MutagenEdit(const fs::path& file, const std::string& statements) {
  const std::string code = "import sys, mutagen\nfrom mutagen.asf import ASFByteArrayAttribute, ASFBoolAttribute, ASFDWordAttribute\n"
                           "from mutagen.mp4 import MP4Cover\n"
                           "f = mutagen.File(sys.argv[1])\n" + statements + "\nf.save()\n";
  Tool("python3", {"-c", code, file.string()});
}

std::multimap<std::string, std::string> MutagenTags(const fs::path& file) {
  std::multimap<std::string, std::string> tags;
  std::istringstream lines(Tool("python3", {"-c", kDumpTags, file.string()}));
  for (std::string line; std::getline(lines, line);) {
    const auto space = line.find(' ');
    if (space != std::string::npos) tags.emplace(FromHex(line.substr(0, space)), FromHex(line.substr(space + 1)));
  }
  return tags;
}

std::vector<std::string> MutagenValues(const fs::path& file, const std::string& name) {
  std::vector<std::string> values;
  const auto all = MutagenTags(file);
  for (auto [it, end] = all.equal_range(name); it != end; ++it) values.push_back(it->second);
  return values;
}

std::map<std::string, std::string> FfprobeTags(const fs::path& file) {
  std::map<std::string, std::string> tags;
  std::istringstream lines(
      Tool("ffprobe", {"-v", "error", "-show_entries", "format_tags", "-of", "default=nw=1", file.string()}));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("TAG:", 0) != 0) continue;
    const auto eq = line.find('=');
    if (eq != std::string::npos) tags[line.substr(4, eq - 4)] = line.substr(eq + 1);
  }
  return tags;
}

std::string AudioMd5(const fs::path& file) {
  return Tool("ffmpeg", {"-v", "error", "-i", file.string(), "-map", "0:a", "-c", "copy", "-f", "md5", "-"});
}

std::string Mp4Key(const char* threeLetters) { return std::string("\xC2\xA9") + threeLetters; }

}  // namespace taglib_test
