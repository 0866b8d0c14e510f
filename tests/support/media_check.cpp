#include "support/media_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>

#include "support/program_run.h"

namespace zovedu_test {

std::map<std::string, std::string> Probe(const std::filesystem::path& file) {
  const RunResult r = RunProgram(ZOVEDU_FFPROBE, {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                           "stream=codec_name,channels,sample_rate,bits_per_raw_sample:"
                                           "format=format_name:format_tags=major_brand",
                                           "-of", "default=noprint_wrappers=1", file.string()});
  std::map<std::string, std::string> fields;
  if (r.exitCode != 0) return fields;
  std::istringstream lines(r.out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    std::string key = line.substr(0, eq);
    if (key.rfind("TAG:", 0) == 0) key = key.substr(4);
    fields[key] = line.substr(eq + 1);
  }
  return fields;
}

Bytes Decode(const std::filesystem::path& file, const std::string& rawFormat) {
  const RunResult r = RunProgram(ZOVEDU_FFMPEG, {"-nostdin", "-v", "error", "-i", file.string(), "-f", rawFormat, "-"});
  EXPECT_EQ(r.exitCode, 0) << "decoding " << file << ": " << r.describe();
  if (r.exitCode != 0) return {};
  return Bytes(r.out.begin(), r.out.end());
}

std::vector<float> Floats(const Bytes& f32le) {
  std::vector<float> out(f32le.size() / sizeof(float));
  std::memcpy(out.data(), f32le.data(), out.size() * sizeof(float));
  return out;
}

}  // namespace zovedu_test
