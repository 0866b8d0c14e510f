#include "encoded_files.h"

#include <gtest/gtest.h>
#include <taglib/fileref.h>
#include <taglib/tpropertymap.h>

#include "support/program_run.h"

namespace tag_test {
namespace fs = std::filesystem;
using zovedu_test::RunProgram;

namespace {

bool Run(const std::string& program, const std::vector<std::string>& args) {
  const auto r = RunProgram(program, args);
  EXPECT_TRUE(r.ended && r.exitCode == 0) << program << ": " << r.describe();
  return r.ended && r.exitCode == 0;
}

}  // namespace

fs::path MakeEncodedFile(const fs::path& dir, const std::string& kind, const std::string& name) {
  const fs::path wav = dir / (name + "-source.wav");
  if (!fs::exists(wav) &&
      !Run("/usr/bin/sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav.string(), "synth", "2", "sine", "440"}))
    return {};
  const fs::path out = dir / (name + "." + kind);
  const std::string in = wav.string(), o = out.string();
  const std::vector<std::string> ffmpeg = {"-nostdin", "-v", "error", "-y", "-i", in};
  bool ok = false;
  if (kind == "mp3") ok = Run("/usr/bin/lame", {"--quiet", "-b", "128", in, o});
  if (kind == "ape") ok = Run(zovedu_test::Bin("MAC"), {in, o, "-c2000"});
  if (kind == "mpc") ok = Run("/usr/bin/mpcenc", {"--silent", in, o});
  if (kind == "ogg") ok = Run("/usr/bin/oggenc", {"-Q", "-q", "3", "-o", o, in});
  if (kind == "flac") ok = Run("/usr/bin/flac", {"-s", "-f", "-o", o, in});
  auto viaFfmpeg = [&](std::vector<std::string> more) {
    std::vector<std::string> args = ffmpeg;
    args.insert(args.end(), more.begin(), more.end());
    args.push_back(o);
    return Run("/usr/bin/ffmpeg", args);
  };
  if (kind == "aac") ok = viaFfmpeg({"-c:a", "aac", "-b:a", "128k", "-f", "adts"});
  if (kind == "m4a") ok = viaFfmpeg({"-c:a", "aac", "-b:a", "128k"});
  if (kind == "wma") ok = viaFfmpeg({"-c:a", "wmav2", "-b:a", "128k"});
  EXPECT_TRUE(ok) << "no encoder for " << kind;
  return ok ? out : fs::path();
}

std::string AudioMd5(const fs::path& file, bool decoded) {
  std::vector<std::string> args = {"-nostdin", "-v", "error", "-i", file.string(), "-map", "0:a"};
  if (!decoded) args.insert(args.end(), {"-c", "copy"});
  args.insert(args.end(), {"-f", "md5", "-"});
  const auto r = RunProgram("/usr/bin/ffmpeg", args);
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  return r.out;
}

std::string TagLibProperties(const fs::path& file) {
  TagLib::FileRef ref(file.c_str());
  if (ref.isNull() || !ref.file()) return {};
  std::string out;
  for (const auto& [key, values] : ref.file()->properties())
    for (const auto& v : values) out += key.to8Bit(true) + "=" + v.to8Bit(true) + "\n";
  return out;
}

std::string MutagenTags(const fs::path& file, const std::string& reader) {
  const char* script =
      "import sys, mutagen, mutagen.apev2, mutagen.id3\n"
      "if sys.argv[2] == 'apev2': tags = mutagen.apev2.APEv2(sys.argv[1])\n"
      "elif sys.argv[2] == 'id3': tags = mutagen.id3.ID3(sys.argv[1])\n"
      "else:\n"
      "    f = mutagen.File(sys.argv[1])\n"
      "    tags = f.tags if f is not None and f.tags is not None else {}\n"
      "items = tags.items() if hasattr(tags, 'items') else []\n"
      "for k, v in items:\n"
      "    vs = v if isinstance(v, list) else [v]\n"
      "    for x in vs: print(str(k) + '=' + str(x))\n";
  const auto r = RunProgram("/usr/bin/python3", {"-c", script, file.string(), reader});
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  return r.out;
}

std::string FfprobeTags(const fs::path& file) {
  const auto r = RunProgram("/usr/bin/ffprobe", {"-v", "error", "-show_format", "-show_streams", file.string()});
  EXPECT_EQ(r.exitCode, 0) << r.describe();
  std::string out;
  std::size_t start = 0;
  while (start < r.out.size()) {
    const std::size_t end = r.out.find('\n', start);
    const std::string line = r.out.substr(start, end == std::string::npos ? std::string::npos : end - start);
    if (line.rfind("TAG:", 0) == 0) out += line + "\n";
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return out;
}

std::string ToolOutput(const std::string& program, const std::vector<std::string>& argsBeforeFile,
                       const fs::path& file, int* exitCode) {
  std::vector<std::string> args = argsBeforeFile;
  args.push_back(file.string());
  // A UTF-8 locale, so that tools print tag texts as they are.
  const auto r = RunProgram(program, args, "/dev/null", {{"LC_ALL", "C.UTF-8"}});
  if (exitCode) *exitCode = r.exitCode;
  return r.out + r.err;
}

}  // namespace tag_test
