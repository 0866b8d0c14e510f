#include "tags/lyrics3.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "tags/toolkit/byte_order.h"

namespace tags {
namespace {

bool ReadDigits(const std::uint8_t* p, std::size_t n, std::uint32_t& value) {
  value = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    value = value * 10 + std::uint32_t(p[i] - '0');
  }
  return true;
}

void AppendDigits(Bytes& out, std::size_t value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*zu", width, value);
  AppendText(out, buf);
}

}  // namespace

bool ParseLyrics3Trailer(const std::uint8_t* trailer, std::uint32_t& size) {
  return std::memcmp(trailer + 6, "LYRICS200", 9) == 0 && ReadDigits(trailer, 6, size);
}

std::vector<Lyrics3Field> ParseLyrics3Fields(const Bytes& block) {
  std::vector<Lyrics3Field> fields;
  std::size_t pos = kLyrics3BeginSize;
  while (block.size() >= 8 && pos <= block.size() - 8) {
    std::uint32_t length = 0;
    if (!ReadDigits(&block[pos + 3], 5, length)) break;
    const std::size_t value = pos + 8;
    if (length > block.size() - value) break;
    fields.push_back({std::string(block.begin() + std::ptrdiff_t(pos), block.begin() + std::ptrdiff_t(pos + 3)),
                      std::string(block.begin() + std::ptrdiff_t(value),
                                  block.begin() + std::ptrdiff_t(value + length))});
    pos = value + length;
  }
  return fields;
}

Bytes RenderLyrics3Block(const std::vector<Lyrics3Field>& fields, bool hasLyrics) {
  Bytes out;
  AppendText(out, "LYRICSBEGIN");
  AppendText(out, hasLyrics ? "IND0000210" : "IND0000200");
  for (const Lyrics3Field& f : fields) {
    const std::size_t length = std::min(f.value.size(), kLyrics3MaxValue);
    if (out.size() + 8 + length > kLyrics3MaxBlock) continue;
    AppendText(out, f.name.substr(0, 3));
    AppendDigits(out, length, 5);
    AppendText(out, std::string_view(f.value).substr(0, length));
  }
  AppendDigits(out, out.size(), 6);
  AppendText(out, "LYRICS200");
  return out;
}

}  // namespace tags
