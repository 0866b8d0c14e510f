#include "wav_input.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace wavin {

namespace {

std::uint32_t Le32(const std::uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24; }
std::uint16_t Le16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }

constexpr std::uint16_t kPcm = 1, kFloat = 3, kExtensible = 0xFFFE;

std::int32_t ToInt32One(const Format& f, const std::uint8_t* p) {
  switch (f.encoding) {
    case Encoding::Unsigned8: return (static_cast<std::int32_t>(p[0]) - 128) << 24;
    case Encoding::Signed16: return static_cast<std::int32_t>(static_cast<std::uint32_t>(Le16(p)) << 16);
    case Encoding::Signed24: return static_cast<std::int32_t>((p[0] | p[1] << 8 | std::uint32_t(p[2]) << 16) << 8);
    case Encoding::Signed32: return static_cast<std::int32_t>(Le32(p));
    case Encoding::Float32: {
      float v;
      std::memcpy(&v, p, 4);
      const double scaled = std::nearbyint(static_cast<double>(v) * 2147483648.0);
      if (std::isnan(scaled)) return 0;
      return static_cast<std::int32_t>(std::clamp(scaled, -2147483648.0, 2147483647.0));
    }
  }
  return 0;
}

}  // namespace

bool Input::readExactly(void* buffer, size_t bytes) {
  return readSome(static_cast<std::uint8_t*>(buffer), bytes) == bytes;
}

size_t Input::readSome(std::uint8_t* buffer, size_t bytes) {
  size_t done = 0;
  while (done < bytes) {
    const ssize_t n = ::read(fd_, buffer + done, bytes - done);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error(std::string("reading the input failed: ") + std::strerror(errno));
    }
    done += static_cast<size_t>(n);
  }
  return done;
}

bool Input::open(std::string& error) {
  std::uint8_t riff[12];
  if (!readExactly(riff, sizeof riff) || std::memcmp(riff, "RIFF", 4) != 0 || std::memcmp(riff + 8, "WAVE", 4) != 0) {
    error = "the input is not a WAV stream";
    return false;
  }
  bool haveFormat = false;
  for (;;) {
    std::uint8_t chunk[8];
    if (!readExactly(chunk, sizeof chunk)) {
      error = "the WAV stream ends before its data";
      return false;
    }
    const std::uint32_t size = Le32(chunk + 4);
    if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat) {
        error = "the WAV stream has data before its format";
        return false;
      }
      return true;  // samples follow, to the end of the input whatever the size says
    }
    // Any other chunk before the data is read and, but for the format, skipped.
    if (size > (1u << 24)) {
      error = "the WAV stream has an implausible chunk before its data";
      return false;
    }
    std::vector<std::uint8_t> body(size + (size & 1));
    if (!readExactly(body.data(), body.size())) {
      error = "the WAV stream ends inside its header";
      return false;
    }
    if (std::memcmp(chunk, "fmt ", 4) != 0) continue;
    if (size < 16) {
      error = "the WAV stream's format chunk is too short";
      return false;
    }
    std::uint16_t tag = Le16(body.data());
    format_.channels = Le16(body.data() + 2);
    format_.rate = static_cast<int>(Le32(body.data() + 4));
    format_.bits = Le16(body.data() + 14);
    if (tag == kExtensible && size >= 40) {
      format_.channelMask = Le32(body.data() + 20);
      tag = Le16(body.data() + 24);
    }
    if (tag == kPcm && format_.bits == 8) format_.encoding = Encoding::Unsigned8;
    else if (tag == kPcm && format_.bits == 16) format_.encoding = Encoding::Signed16;
    else if (tag == kPcm && format_.bits == 24) format_.encoding = Encoding::Signed24;
    else if (tag == kPcm && format_.bits == 32) format_.encoding = Encoding::Signed32;
    else if (tag == kFloat && format_.bits == 32) format_.encoding = Encoding::Float32;
    else {
      error = "the WAV stream's sample format is not supported (format " + std::to_string(tag) + ", " +
              std::to_string(format_.bits) + " bits)";
      return false;
    }
    if (format_.channels < 1 || format_.channels > 8 || format_.rate < 1 || format_.rate > 768000) {
      error = "the WAV stream's channel count or rate is not supported";
      return false;
    }
    haveFormat = true;
  }
}

size_t Input::read(std::vector<std::uint8_t>& out, size_t maxFrames) {
  const size_t frameBytes = static_cast<size_t>(format_.frameBytes());
  out.resize(maxFrames * frameBytes);
  const size_t got = readSome(out.data(), out.size());
  const size_t frames = got / frameBytes;
  out.resize(frames * frameBytes);
  return frames;
}

size_t Input::readFloat(std::vector<float>& out, size_t maxFrames) {
  const size_t frames = read(raw_, maxFrames);
  out.resize(frames * static_cast<size_t>(format_.channels));
  ToFloat(format_, raw_.data(), out.size(), out.data());
  return frames;
}

size_t Input::readInt16(std::vector<std::int16_t>& out, size_t maxFrames) {
  const size_t frames = read(raw_, maxFrames);
  out.resize(frames * static_cast<size_t>(format_.channels));
  ToInt16(format_, raw_.data(), out.size(), out.data());
  return frames;
}

size_t Input::readInt32(std::vector<std::int32_t>& out, size_t maxFrames) {
  const size_t frames = read(raw_, maxFrames);
  out.resize(frames * static_cast<size_t>(format_.channels));
  ToInt32(format_, raw_.data(), out.size(), out.data());
  return frames;
}

void ToFloat(const Format& f, const std::uint8_t* raw, size_t samples, float* out) {
  const size_t width = static_cast<size_t>(f.bits / 8);
  for (size_t i = 0; i < samples; ++i, raw += width) {
    if (f.encoding == Encoding::Float32)
      std::memcpy(&out[i], raw, 4);
    else
      out[i] = static_cast<float>(ToInt32One(f, raw) / 2147483648.0);
  }
}

void ToInt32(const Format& f, const std::uint8_t* raw, size_t samples, std::int32_t* out) {
  const size_t width = static_cast<size_t>(f.bits / 8);
  for (size_t i = 0; i < samples; ++i, raw += width) out[i] = ToInt32One(f, raw);
}

// Integers keep their top 16 bits; floats are rounded to nearest.
void ToInt16(const Format& f, const std::uint8_t* raw, size_t samples, std::int16_t* out) {
  const size_t width = static_cast<size_t>(f.bits / 8);
  for (size_t i = 0; i < samples; ++i, raw += width) {
    if (f.encoding == Encoding::Float32) {
      float v;
      std::memcpy(&v, raw, 4);
      const double s = std::nearbyint(static_cast<double>(v) * 32768.0);
      out[i] = std::isnan(s) ? 0 : static_cast<std::int16_t>(std::clamp(s, -32768.0, 32767.0));
    } else {
      out[i] = static_cast<std::int16_t>(ToInt32One(f, raw) >> 16);
    }
  }
}

}  // namespace wavin
