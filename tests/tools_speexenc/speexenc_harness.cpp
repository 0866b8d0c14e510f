#include "speexenc_harness.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <numbers>

#include "support/wav_file.h"

namespace speexenc_test {

namespace {

void PutLe(Bytes& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void WriteFile(const std::filesystem::path& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(f.good()) << path;
}

}  // namespace

Bytes WavStream(int rate, int channels, int bits, double seconds, const SignalFn& signal, std::uint32_t declaredBytes) {
  const int width = bits / 8;
  Bytes out;
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  PutLe(out, declaredBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  PutLe(out, 16, 4);
  PutLe(out, 1, 2);  // PCM
  PutLe(out, static_cast<std::uint32_t>(channels), 2);
  PutLe(out, static_cast<std::uint32_t>(rate), 4);
  PutLe(out, static_cast<std::uint32_t>(rate * channels * width), 4);
  PutLe(out, static_cast<std::uint32_t>(channels * width), 2);
  PutLe(out, static_cast<std::uint32_t>(bits), 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  PutLe(out, declaredBytes, 4);
  const auto frames = static_cast<long>(std::lround(seconds * rate));
  for (long i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      const double v = std::clamp(signal(c, double(i) / rate), -1.0, 1.0);
      if (bits == 8) {
        out.push_back(static_cast<std::uint8_t>(std::lround(128 + v * 127)));
      } else {
        const double full = std::ldexp(1.0, bits - 1) - 1;
        PutLe(out, static_cast<std::uint32_t>(static_cast<std::int32_t>(std::lround(v * full))), width);
      }
    }
  }
  return out;
}

SignalFn SpeechLikeTone(double peak, double rightGain, double noise) {
  auto source = std::make_shared<Noise>(7);
  return [=](int channel, double t) {
    const double envelope = 0.6 + 0.4 * std::sin(2 * std::numbers::pi * 3 * t);
    const double tone = peak * envelope * std::sin(2 * std::numbers::pi * 1000 * t);
    return (channel == 0 ? tone : rightGain * tone) + noise * source->next();
  };
}

double Noise::next() {
  // Two uniform values from a 64-bit LCG, then Box-Muller.
  auto uniform = [this] {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return (double((state_ >> 11) & ((1ULL << 53) - 1)) + 0.5) / double(1ULL << 53);
  };
  const double u1 = uniform(), u2 = uniform();
  return std::sqrt(-2 * std::log(u1)) * std::cos(2 * std::numbers::pi * u2);
}

std::uint32_t Le32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | std::uint32_t(b[at + 3]) << 24;
}

std::optional<std::vector<OggPage>> ReadOggPages(const std::filesystem::path& path) {
  const Bytes b = zovedu_test::ReadFile(path.string());
  std::vector<OggPage> pages;
  Bytes partial;
  size_t pos = 0;
  while (pos < b.size()) {
    if (b.size() - pos < 27 || std::memcmp(&b[pos], "OggS", 4) != 0) {
      ADD_FAILURE() << path << ": no Ogg page at byte " << pos;
      return std::nullopt;
    }
    OggPage page;
    page.flags = b[pos + 5];
    page.granule = static_cast<std::int64_t>(Le32(b, pos + 6) | std::uint64_t(Le32(b, pos + 10)) << 32);
    page.serial = Le32(b, pos + 14);
    page.sequence = Le32(b, pos + 18);
    const size_t segments = b[pos + 26];
    size_t body = pos + 27 + segments, at = body;
    if (body > b.size()) {
      ADD_FAILURE() << path << ": page cut short at byte " << pos;
      return std::nullopt;
    }
    for (size_t i = 0; i < segments; ++i) {
      const size_t lace = b[pos + 27 + i];
      if (at + lace > b.size()) {
        ADD_FAILURE() << path << ": page body cut short at byte " << pos;
        return std::nullopt;
      }
      partial.insert(partial.end(), b.begin() + static_cast<std::ptrdiff_t>(at),
                     b.begin() + static_cast<std::ptrdiff_t>(at + lace));
      at += lace;
      if (lace < 255) page.packets.push_back(std::move(partial)), partial.clear();
    }
    page.bytes = at - pos;
    pages.push_back(std::move(page));
    pos = at;
  }
  return pages;
}

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::string& input,
                      std::optional<size_t> fileSizeLimit) {
  ProgramRun run;
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) {
    ADD_FAILURE() << "pipe failed";
    return run;
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY);
    const int out = ::open("/dev/null", O_WRONLY);
    if (in < 0 || out < 0) ::_exit(126);
    ::dup2(in, 0);
    ::dup2(out, 1);
    ::dup2(pipeFds[1], 2);
    ::close(pipeFds[0]);
    if (fileSizeLimit) {
      ::signal(SIGXFSZ, SIG_IGN);  // a failing write instead of death
      const rlimit limit{*fileSizeLimit, *fileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(126);
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  ::close(pipeFds[1]);
  char buffer[4096];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0) {
      if (errno == EINTR) continue;
      break;
    }
    run.err.append(buffer, static_cast<size_t>(n));
  }
  ::close(pipeFds[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string EncoderPath() { return std::string(ZOVEDU_BIN_DIR) + "/speexenc"; }

std::vector<float> Decoded::channel(int c) const {
  std::vector<float> out;
  for (size_t i = static_cast<size_t>(c); i < samples.size(); i += static_cast<size_t>(channels)) out.push_back(samples[i]);
  return out;
}

const char* Name(Decoder d) { return d == Decoder::Speexdec ? "speexdec" : "ffmpeg"; }

std::optional<Decoded> Decode(Decoder decoder, const std::filesystem::path& spx, const std::filesystem::path& scratch) {
  const std::filesystem::path wav = scratch / (std::string(Name(decoder)) + ".wav");
  std::filesystem::remove(wav);
  const ProgramRun run = decoder == Decoder::Speexdec
                      ? RunProgram({ZOVEDU_SPEEXDEC, spx.string(), wav.string()})
                      : RunProgram({ZOVEDU_FFMPEG, "-nostdin", "-v", "error", "-y", "-c:a", "libspeex", "-i", spx.string(),
                                    "-c:a", "pcm_s16le", wav.string()});
  if (run.exitCode != 0) {
    ADD_FAILURE() << Name(decoder) << " failed on " << spx << ": " << run.err;
    return std::nullopt;
  }
  const auto info = zovedu_test::ReadWav(wav.string());
  if (!info) return std::nullopt;
  if (info->bits != 16 || info->channels == 0) {
    ADD_FAILURE() << Name(decoder) << " wrote " << info->bits << "-bit samples";
    return std::nullopt;
  }
  Decoded d;
  d.rate = static_cast<int>(info->rate);
  d.channels = info->channels;
  for (size_t i = 0; i + 1 < info->data.size(); i += 2)
    d.samples.push_back(static_cast<std::int16_t>(info->data[i] | info->data[i + 1] << 8) / 32768.0f);
  return d;
}

double Rms(const std::vector<float>& x, int rate, double from, double to) {
  const auto begin = std::min(x.size(), static_cast<size_t>(from * rate));
  const auto end = std::min(x.size(), static_cast<size_t>(to * rate));
  double sum = 0;
  for (size_t i = begin; i < end; ++i) sum += double(x[i]) * x[i];
  return end > begin ? std::sqrt(sum / double(end - begin)) : 0;
}

double StrongestFrequency(const std::vector<float>& x, int rate, double from, double to, double lo, double hi) {
  const auto begin = std::min(x.size(), static_cast<size_t>(from * rate));
  const auto end = std::min(x.size(), static_cast<size_t>(to * rate));
  const auto block = static_cast<size_t>(rate / 20);
  double best = 0, bestPower = -1;
  for (double f = lo; f <= hi; f += 5) {
    const double coeff = 2 * std::cos(2 * std::numbers::pi * f / rate);
    double power = 0;
    for (size_t start = begin; start + block <= end; start += block) {
      double s1 = 0, s2 = 0;
      for (size_t i = start; i < start + block; ++i) {
        const double s0 = x[i] + coeff * s1 - s2;
        s2 = s1;
        s1 = s0;
      }
      power += s1 * s1 + s2 * s2 - coeff * s1 * s2;
    }
    if (power > bestPower) bestPower = power, best = f;
  }
  return best;
}

void ExpectDecodesToTone(const std::filesystem::path& spx, const std::filesystem::path& scratch, int bandRate,
                         int channels, double seconds) {
  for (Decoder decoder : {Decoder::Speexdec, Decoder::Ffmpeg}) {
    SCOPED_TRACE(Name(decoder));
    const auto decoded = Decode(decoder, spx, scratch);
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->rate, bandRate);
    ASSERT_EQ(decoded->channels, channels);
    EXPECT_NEAR(decoded->seconds(), seconds, 0.1);
    std::vector<double> levels;
    for (int c = 0; c < channels; ++c) {
      SCOPED_TRACE("channel " + std::to_string(c));
      const auto x = decoded->channel(c);
      EXPECT_NEAR(StrongestFrequency(x, decoded->rate, 1.0, 2.0, 500, 2000), 1000, 20);
      levels.push_back(Rms(x, decoded->rate, 0.5, 2.5));
    }
    // Intensity stereo keeps the balance: the right channel stays quieter.
    if (channels == 2) {
      EXPECT_NEAR(levels[1] / levels[0], 0.5, 0.15);
    }
  }
}

void SpeexencTest::SetUp() {
  std::string pattern = (std::filesystem::temp_directory_path() / "speexenc-test-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  dir_ = pattern;
}

void SpeexencTest::TearDown() {
  std::error_code ec;
  if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

ProgramRun SpeexencTest::encode(const Bytes& stream, const std::vector<std::string>& switches,
                                const std::filesystem::path& output, std::optional<size_t> fileSizeLimit) {
  const auto input = file("input.wav");
  WriteFile(input, stream);
  std::vector<std::string> argv{EncoderPath()};
  argv.insert(argv.end(), switches.begin(), switches.end());
  argv.push_back("-");
  argv.push_back(output.string());
  return RunProgram(argv, input.string(), fileSizeLimit);
}

}  // namespace speexenc_test
