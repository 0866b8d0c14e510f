#include "support/wav_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <thread>

namespace zovedu_test {

namespace {

std::uint64_t Little(const Bytes& b, size_t at, int n) {
  std::uint64_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = (v << 8) | b[at + i];
  return v;
}

std::string Id(const Bytes& b, size_t at) { return std::string(b.begin() + at, b.begin() + at + 4); }

std::optional<WavInfo> Malformed(const std::string& why, bool quiet) {
  if (!quiet) ADD_FAILURE() << "not a valid WAV file: " << why;
  return std::nullopt;
}

void ParseFmt(const Bytes& b, size_t at, std::uint32_t size, WavInfo& w) {
  w.formatTag = w.subFormatTag = static_cast<std::uint16_t>(Little(b, at, 2));
  w.channels = static_cast<std::uint16_t>(Little(b, at + 2, 2));
  w.rate = static_cast<std::uint32_t>(Little(b, at + 4, 4));
  w.byteRate = static_cast<std::uint32_t>(Little(b, at + 8, 4));
  w.blockAlign = static_cast<std::uint16_t>(Little(b, at + 12, 2));
  w.bits = static_cast<std::uint16_t>(Little(b, at + 14, 2));
  if (w.formatTag == 0xFFFE && size >= 40) {
    w.channelMask = static_cast<std::uint32_t>(Little(b, at + 20, 4));
    w.subFormatTag = static_cast<std::uint16_t>(Little(b, at + 24, 2));
  }
}

}  // namespace

std::optional<WavInfo> ParseWav(const Bytes& b, bool quiet) {
  WavInfo w;
  w.fileSize = b.size();
  if (b.size() < 12) return Malformed("shorter than 12 bytes", quiet);
  w.riffId = Id(b, 0);
  w.riffSize32 = static_cast<std::uint32_t>(Little(b, 4, 4));
  if ((w.riffId != "RIFF" && w.riffId != "RF64") || Id(b, 8) != "WAVE") return Malformed("no RIFF/RF64 WAVE", quiet);
  bool haveFmt = false;
  size_t pos = 12;
  while (pos + 8 <= b.size()) {
    const std::string id = Id(b, pos);
    const auto size = static_cast<std::uint32_t>(Little(b, pos + 4, 4));
    const size_t body = pos + 8;
    w.chunkIds.push_back(id);
    if (id == "data") {
      w.dataSize32 = size;
      std::uint64_t stated = size;
      if (w.riffId == "RF64") {
        if (!w.ds64Data) return Malformed("RF64 without ds64 before the data", quiet);
        stated = *w.ds64Data;
      } else if (size == 0xFFFFFFFF) {
        stated = b.size() - body;
      }
      if (stated > b.size() - body)
        return Malformed("header states " + std::to_string(stated) + " data bytes, the file holds " +
                             std::to_string(b.size() - body),
                         quiet);
      w.data.assign(b.begin() + body, b.begin() + body + stated);
      if (!haveFmt) return Malformed("data before fmt", quiet);
      return w;
    }
    if (body + size > b.size()) return Malformed("chunk " + id + " runs past the end", quiet);
    if (id == "fmt ") {
      if (size < 16) return Malformed("fmt chunk too short", quiet);
      ParseFmt(b, body, size, w);
      haveFmt = true;
    } else if (id == "ds64") {
      if (size < 28) return Malformed("ds64 chunk too short", quiet);
      w.ds64Riff = Little(b, body, 8);
      w.ds64Data = Little(b, body + 8, 8);
      w.ds64Samples = Little(b, body + 16, 8);
      w.ds64Table = static_cast<std::uint32_t>(Little(b, body + 24, 4));
    } else if (id == "JUNK") {
      w.junk.assign(b.begin() + body, b.begin() + body + size);
    }
    pos = body + size + (size & 1);
  }
  return Malformed("no data chunk", quiet);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<WavInfo> ReadWav(const std::string& path) { return ParseWav(ReadFile(path)); }

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace zovedu_test
