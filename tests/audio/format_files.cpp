#include "format_files.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "audio/encode/wav_header.h"
#include "support/program_run.h"
#include "support/test_wav.h"

namespace zovedu_test {

using namespace zaudio;

namespace {

constexpr int kRate = 44100;

void WriteWav(const std::filesystem::path& path, const std::vector<std::int16_t>& s, PcmEncoding enc, bool rf64) {
  WavFormat format{kRate, 2, enc};
  std::vector<std::uint8_t> data;
  for (std::int16_t v : s) {
    switch (enc) {
      case PcmEncoding::S16:
        data.push_back(static_cast<std::uint8_t>(v & 0xff));
        data.push_back(static_cast<std::uint8_t>((v >> 8) & 0xff));
        break;
      case PcmEncoding::S24: {
        const std::int32_t w = v * 256;
        for (int b = 0; b < 3; ++b) data.push_back(static_cast<std::uint8_t>((w >> (8 * b)) & 0xff));
        break;
      }
      case PcmEncoding::S32: {
        const std::int32_t w = v * 65536;
        for (int b = 0; b < 4; ++b) data.push_back(static_cast<std::uint8_t>((w >> (8 * b)) & 0xff));
        break;
      }
      case PcmEncoding::F32: {
        const float f = static_cast<float>(v) / 32768.0f;
        std::uint8_t b[4];
        std::memcpy(b, &f, 4);
        data.insert(data.end(), b, b + 4);
        break;
      }
      default:
        break;
    }
  }
  auto header = FileWavHeader(format, WavFileSizes{data.size(), false, rf64});
  header.insert(header.end(), data.begin(), data.end());
  WriteFile(path, header);
}

// A program by its name on PATH, or by its path.
std::string Resolve(const std::string& program) {
  if (program.find('/') != std::string::npos) return program;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  for (size_t at = 0; at <= dirs.size();) {
    const size_t end = std::min(dirs.find(':', at), dirs.size());
    const auto candidate = std::filesystem::path(dirs.substr(at, end - at)) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate.string();
    at = end + 1;
  }
  return program;
}

void Run(const std::string& program, const std::vector<std::string>& args) {
  const RunResult r = RunProgram(Resolve(program), args);
  ASSERT_TRUE(r.ended && r.exitCode == 0) << program << ": " << r.describe();
}

}  // namespace

std::vector<std::int16_t> SourceSamples(double seconds) {
  const size_t frames = static_cast<size_t>(seconds * kRate);
  std::vector<std::int16_t> s(frames * 2);
  std::uint32_t noise = 12345;
  auto next = [&] {
    noise = noise * 1664525u + 1013904223u;
    return static_cast<double>(noise >> 8) / static_cast<double>(1u << 24) - 0.5;
  };
  for (size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kRate;
    const double l = 0.5 * std::sin(2 * std::numbers::pi * 1000 * t) + 0.02 * next();
    const double r = 0.5 * std::sin(2 * std::numbers::pi * 1500 * t) + 0.02 * next();
    s[2 * i] = static_cast<std::int16_t>(std::lround(l * 32767));
    s[2 * i + 1] = static_cast<std::int16_t>(std::lround(r * 32767));
  }
  return s;
}

std::vector<FormatFile> MakeFormatFiles(const std::filesystem::path& dir, double seconds) {
  const auto samples = SourceSamples(seconds);
  // The plain 44-byte header every encoder reads.
  const auto wav = dir / "source.wav";
  {
    Bytes pcm(samples.size() * 2);
    std::memcpy(pcm.data(), samples.data(), pcm.size());
    WriteFile(wav, WavStream(PcmFormat{16, 2, kRate}, pcm, static_cast<std::uint32_t>(pcm.size())));
  }
  const std::string src = wav.string();
  auto at = [&](const char* name) { return (dir / name).string(); };
  const std::string ffmpeg = ZOVEDU_FFMPEG;
  const std::vector<std::string> quiet = {"-v", "error", "-y", "-i", src};

  std::vector<FormatFile> files;
  files.push_back({"Wav16", wav, &StreamCreateFile, true, {}});
  WriteWav(at("junk.wav"), samples, PcmEncoding::S16, false);
  files.push_back({"WavJunk", at("junk.wav"), &StreamCreateFile, true, {}});
  WriteWav(at("s24.wav"), samples, PcmEncoding::S24, false);
  files.push_back({"Wav24", at("s24.wav"), &StreamCreateFile, true, {}});
  WriteWav(at("s32.wav"), samples, PcmEncoding::S32, false);
  files.push_back({"Wav32", at("s32.wav"), &StreamCreateFile, true, {}});
  WriteWav(at("float.wav"), samples, PcmEncoding::F32, false);
  files.push_back({"WavFloat", at("float.wav"), &StreamCreateFile, true, {}});
  WriteWav(at("rf64.wav"), samples, PcmEncoding::S16, true);
  files.push_back({"Rf64", at("rf64.wav"), &StreamCreateFile, true, {}});

  Run("lame", {"--quiet", "-b", "128", src, at("a.mp3")});
  files.push_back({"Mp3", at("a.mp3"), &StreamCreateFile, false, {}});
  Run("oggenc", {"-Q", "-q", "3", "-o", at("a.ogg"), src});
  files.push_back({"Ogg", at("a.ogg"), &StreamCreateFile, false, {}});
  Run("flac", {"-s", "-f", "-o", at("a.flac"), src});
  files.push_back({"Flac", at("a.flac"), &FLAC_StreamCreateFile, true, {}});
  Run("wavpack", {"-q", "-y", src, "-o", at("a.wv")});
  files.push_back({"Wv", at("a.wv"), &WV_StreamCreateFile, true, {}});
  Run(Bin("MAC"), {src, at("a.ape"), "-c2000"});
  files.push_back({"Ape", at("a.ape"), &APE_StreamCreateFile, true, {}});
  Run("mpcenc", {"--silent", "--overwrite", src, at("a.mpc")});
  files.push_back({"Mpc", at("a.mpc"), &MPC_StreamCreateFile, false, {}});
  Run("speexenc", {src, at("a.spx")});
  files.push_back({"Spx", at("a.spx"), &SPX_StreamCreateFile, false, {"-c:a", "libspeex"}});
  auto viaFfmpeg = [&](const char* name, std::vector<std::string> codec) {
    auto args = quiet;
    args.insert(args.end(), codec.begin(), codec.end());
    args.push_back(at(name));
    Run(ffmpeg, args);
  };
  viaFfmpeg("a.tta", {"-c:a", "tta"});
  files.push_back({"Tta", at("a.tta"), &TTA_StreamCreateFile, true, {}});
  viaFfmpeg("a.aac", {"-c:a", "aac", "-b:a", "128k", "-f", "adts"});
  files.push_back({"Aac", at("a.aac"), &AAC_StreamCreateFile, false, {}});
  viaFfmpeg("a.m4a", {"-c:a", "aac", "-b:a", "128k"});
  files.push_back({"M4a", at("a.m4a"), &MP4_StreamCreateFile, false, {}});
  viaFfmpeg("a.wma", {"-c:a", "wmav2", "-b:a", "128k"});
  files.push_back({"Wma", at("a.wma"), &WMA_StreamCreateFile, false, {}});
  return files;
}

std::vector<std::int16_t> FfmpegDecode(const FormatFile& file) {
  std::vector<std::string> args = {"-v", "error"};
  args.insert(args.end(), file.ffmpegInput.begin(), file.ffmpegInput.end());
  args.insert(args.end(), {"-i", file.path.string(), "-f", "s16le", "-"});
  const RunResult r = RunProgram(ZOVEDU_FFMPEG, args);
  EXPECT_TRUE(r.ended && r.exitCode == 0) << r.describe();
  std::vector<std::int16_t> out(r.out.size() / 2);
  std::memcpy(out.data(), r.out.data(), out.size() * 2);
  return out;
}

std::vector<std::int16_t> StreamDecode(const FormatFile& file) {
  std::vector<std::int16_t> out;
  const HSTREAM h = file.creator(false, file.path.c_str(), 0, 0, STREAM_DECODE);
  EXPECT_NE(h, 0u) << file.name << " error " << ErrorGetCode();
  if (!h) return out;
  std::int16_t block[8192];
  for (;;) {
    const DWORD got = ChannelGetData(h, block, sizeof block);
    if (got == DATA_ERROR) break;
    out.insert(out.end(), block, block + got / 2);
  }
  EXPECT_EQ(ErrorGetCode(), ERROR_ENDED);
  StreamFree(h);
  return out;
}

}  // namespace zovedu_test
