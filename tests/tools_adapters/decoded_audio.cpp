#include "decoded_audio.h"

#include <cmath>
#include <sstream>

#include "support/program_run.h"
#include "support/scratch_dir.h"
#include "support/wav_file.h"

namespace tools_adapters {

using namespace zovedu_test;

namespace {

Decoded FromWavFile(const std::filesystem::path& wav) {
  Decoded d;
  const auto info = zovedu_test::ParseWav(zovedu_test::ReadFile(wav.string()), true);
  if (!info) {
    d.why = "the decoder wrote no valid WAV file";
    return d;
  }
  if (info->subFormatTag != 1) {
    d.why = "the decoder wrote format " + std::to_string(info->subFormatTag) + ", not integer PCM";
    return d;
  }
  d.ok = true;
  d.rate = static_cast<int>(info->rate);
  d.channels = info->channels;
  d.bits = info->bits;
  d.data = info->data;
  return d;
}

Decoded DecodeWith(const std::string& program, const std::vector<std::string>& args,
                   const std::filesystem::path& wav) {
  const RunResult r = RunProgram(program, args);
  if (r.exitCode != 0) {
    Decoded d;
    d.why = program + " failed: " + r.describe();
    return d;
  }
  return FromWavFile(wav);
}

}  // namespace

std::string Extension(Codec codec) {
  switch (codec) {
    case Codec::Mp3: return ".mp3";
    case Codec::Mpc: return ".mpc";
    case Codec::WavPack: return ".wv";
    case Codec::Flac: return ".flac";
    case Codec::Vorbis: return ".ogg";
  }
  return {};
}

std::string FfprobeCodecName(Codec codec) {
  switch (codec) {
    case Codec::Mp3: return "mp3";
    case Codec::Mpc: return "musepack8";
    case Codec::WavPack: return "wavpack";
    case Codec::Flac: return "flac";
    case Codec::Vorbis: return "vorbis";
  }
  return {};
}

std::vector<double> Decoded::channel(int c) const {
  const int width = bits / 8;
  std::vector<double> out(frames());
  for (size_t i = 0; i < out.size(); ++i) {
    const std::uint8_t* p = &data[(i * channels + c) * width];
    std::uint32_t u = 0;
    for (int k = 0; k < width; ++k) u |= static_cast<std::uint32_t>(p[k]) << (8 * k);
    std::int64_t v = u;
    if (bits == 8) v -= 128;
    else if (u & (1u << (bits - 1))) v -= std::int64_t(1) << bits;
    out[i] = static_cast<double>(v) / std::ldexp(1.0, bits - 1);
  }
  return out;
}

Decoded DecodeWithOwnDecoder(Codec codec, const std::filesystem::path& file) {
  const ScratchDir dir;
  const std::string wav = (dir / "decoded.wav").string(), in = file.string();
  switch (codec) {
    case Codec::Mp3: return DecodeWith(ZOVEDU_DEBIAN_LAME, {"--quiet", "--decode", in, wav}, wav);
    case Codec::Mpc: return DecodeWith(ZOVEDU_DEBIAN_MPCDEC, {in, wav}, wav);
    case Codec::WavPack: return DecodeWith(ZOVEDU_DEBIAN_WVUNPACK, {"-q", "-y", in, "-o", wav}, wav);
    case Codec::Flac: return DecodeWith(ZOVEDU_DEBIAN_FLAC, {"-s", "-d", "-f", "-o", wav, in}, wav);
    case Codec::Vorbis: return DecodeWith(ZOVEDU_DEBIAN_OGGDEC, {"-Q", "-o", wav, in}, wav);
  }
  return {};
}

Decoded DecodeWithFfmpeg(const std::filesystem::path& file) {
  const ScratchDir dir;
  const std::string wav = (dir / "decoded.wav").string();
  return DecodeWith(ZOVEDU_DEBIAN_FFMPEG, {"-v", "error", "-i", file.string(), "-c:a", "pcm_s32le", wav}, wav);
}

std::string VerifyWithOwnTool(Codec codec, const std::filesystem::path& file) {
  RunResult r;
  if (codec == Codec::WavPack) r = RunProgram(ZOVEDU_DEBIAN_WVUNPACK, {"-q", "-v", file.string()});
  else if (codec == Codec::Flac) r = RunProgram(ZOVEDU_DEBIAN_FLAC, {"-s", "-t", file.string()});
  else return {};
  return r.exitCode == 0 ? std::string() : r.describe();
}

Probed Probe(const std::filesystem::path& file) {
  const RunResult r = RunProgram(ZOVEDU_DEBIAN_FFPROBE, {"-v", "error", "-select_streams", "a:0", "-show_entries",
                                                  "stream=codec_name,sample_rate,channels", "-of",
                                                  "default=noprint_wrappers=1", file.string()});
  Probed p;
  p.raw = r.out + r.err;
  if (r.exitCode != 0) return p;
  std::istringstream lines(r.out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
    if (key == "codec_name") p.codec = value;
    if (key == "sample_rate") p.rate = std::stoi(value);
    if (key == "channels") p.channels = std::stoi(value);
  }
  p.ok = !p.codec.empty() && p.rate > 0 && p.channels > 0;
  return p;
}

double Rms(const std::vector<double>& samples) {
  double sum = 0;
  for (double v : samples) sum += v * v;
  return samples.empty() ? 0 : std::sqrt(sum / static_cast<double>(samples.size()));
}

}  // namespace tools_adapters
