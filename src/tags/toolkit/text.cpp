#include "tags/toolkit/text.h"

namespace tags {
namespace {

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp < 0x80) {
    out += char(cp);
  } else if (cp < 0x800) {
    out += char(0xC0 | cp >> 6);
    out += char(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += char(0xE0 | cp >> 12);
    out += char(0x80 | (cp >> 6 & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  } else {
    out += char(0xF0 | cp >> 18);
    out += char(0x80 | (cp >> 12 & 0x3F));
    out += char(0x80 | (cp >> 6 & 0x3F));
    out += char(0x80 | (cp & 0x3F));
  }
}

// Decodes the character at i and advances i; U+FFFD and one byte for a
// malformed sequence.
std::uint32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b0 = std::uint8_t(s[i]);
  int len = 0;
  std::uint32_t cp = 0, min = 0;
  if (b0 < 0x80) {
    ++i;
    return b0;
  } else if ((b0 & 0xE0) == 0xC0) {
    len = 2, cp = b0 & 0x1F, min = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    len = 3, cp = b0 & 0x0F, min = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    len = 4, cp = b0 & 0x07, min = 0x10000;
  } else {
    ++i;
    return 0xFFFD;
  }
  if (i + std::size_t(len) > s.size()) {
    ++i;
    return 0xFFFD;
  }
  for (int k = 1; k < len; ++k) {
    const auto b = std::uint8_t(s[i + std::size_t(k)]);
    if ((b & 0xC0) != 0x80) {
      ++i;
      return 0xFFFD;
    }
    cp = cp << 6 | (b & 0x3F);
  }
  if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return 0xFFFD;
  }
  i += std::size_t(len);
  return cp;
}

bool IsSpace(char c) { return std::uint8_t(c) <= 0x20; }

}  // namespace

std::string Latin1ToUtf8(std::string_view latin1) {
  std::string out;
  out.reserve(latin1.size());
  for (char c : latin1) AppendUtf8(out, std::uint8_t(c));
  return out;
}

std::string Utf8ToLatin1(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const std::uint32_t cp = NextCodePoint(utf8, i);
    out += cp < 0x100 ? char(cp) : '?';
  }
  return out;
}

bool FitsLatin1(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();)
    if (NextCodePoint(utf8, i) >= 0x100) return false;
  return true;
}

bool IsAscii(std::string_view text) {
  for (char c : text)
    if (std::uint8_t(c) >= 0x80) return false;
  return true;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t start = i;
    if (NextCodePoint(text, i) == 0xFFFD && text.substr(start, 3) != "\xEF\xBF\xBD") return false;
  }
  return true;
}

std::string AsUtf8(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : Latin1ToUtf8(bytes);
}

std::string Utf16ToUtf8(const std::uint8_t* data, std::size_t n, bool bigEndian) {
  std::size_t i = 0;
  if (n >= 2 && data[0] == 0xFF && data[1] == 0xFE) {
    bigEndian = false;
    i = 2;
  } else if (n >= 2 && data[0] == 0xFE && data[1] == 0xFF) {
    bigEndian = true;
    i = 2;
  }
  auto unit = [&](std::size_t at) -> std::uint32_t {
    return bigEndian ? std::uint32_t(data[at] << 8 | data[at + 1])
                     : std::uint32_t(data[at + 1] << 8 | data[at]);
  };
  std::string out;
  for (; i + 1 < n; i += 2) {
    std::uint32_t u = unit(i);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 3 < n) {
      const std::uint32_t low = unit(i + 2);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        i += 2;
        continue;
      }
    }
    if (u >= 0xD800 && u <= 0xDFFF) u = 0xFFFD;
    AppendUtf8(out, u);
  }
  return out;
}

Bytes Utf8ToUtf16LE(std::string_view utf8) {
  Bytes out;
  out.reserve(utf8.size() * 2);
  auto put = [&](std::uint32_t u) {
    out.push_back(std::uint8_t(u));
    out.push_back(std::uint8_t(u >> 8));
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const std::uint32_t cp = NextCodePoint(utf8, i);
    if (cp >= 0x10000) {
      put(0xD800 + ((cp - 0x10000) >> 10));
      put(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      put(cp);
    }
  }
  return out;
}

std::size_t Utf8Length(std::string_view utf8) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size(); ++count) NextCodePoint(utf8, i);
  return count;
}

std::string Utf8Left(std::string_view utf8, std::size_t n) {
  std::size_t i = 0;
  for (std::size_t k = 0; k < n && i < utf8.size(); ++k) NextCodePoint(utf8, i);
  return std::string(utf8.substr(0, i));
}

std::string Utf8CutBytes(std::string_view utf8, std::size_t maxBytes) {
  if (utf8.size() <= maxBytes) return std::string(utf8);
  std::size_t end = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    NextCodePoint(utf8, i);
    if (i > maxBytes) break;
    end = i;
  }
  return std::string(utf8.substr(0, end));
}

std::string TrimRight(std::string_view text) {
  while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
  return std::string(text);
}

std::string Trim(std::string_view text) {
  while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
  return TrimRight(text);
}

std::string ToUpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

std::uint32_t LeadingNumber(std::string_view text, std::uint32_t fallback) {
  if (text.empty() || text[0] < '0' || text[0] > '9') return fallback;
  std::uint64_t v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    v = v * 10 + std::uint64_t(c - '0');
    if (v > 0xFFFFFFFFu) return fallback;
  }
  return std::uint32_t(v);
}

}  // namespace tags
