// Hand-made ID3v2 tags for the tests: frames of each version, text contents
// in each encoding, and a header in front.
#pragma once

#include "support/test_wav.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <string>
#include <string_view>

#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/byte_source.h"

namespace id3test {

using tags::Bytes;

inline Bytes B(std::string_view s) { return Bytes(s.begin(), s.end()); }

inline Bytes Cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

inline Bytes Frame22(std::string_view id, const Bytes& content) {
  Bytes f = B(id);
  tags::AppendBE24(f, std::uint32_t(content.size()));
  return Cat({f, content});
}

inline Bytes Frame23(std::string_view id, const Bytes& content, std::uint16_t flags = 0) {
  Bytes f = B(id);
  tags::AppendBE32(f, std::uint32_t(content.size()));
  tags::AppendBE16(f, flags);
  return Cat({f, content});
}

inline Bytes Frame24(std::string_view id, const Bytes& content, std::uint16_t flags = 0) {
  Bytes f = B(id);
  tags::AppendSyncsafe32(f, std::uint32_t(content.size()));
  tags::AppendBE16(f, flags);
  return Cat({f, content});
}

// A header of the version and flags, the body, then `padding` zero bytes.
inline Bytes Tag(std::uint8_t version, const Bytes& body, std::uint8_t flags = 0, std::size_t padding = 0) {
  Bytes t = {'I', 'D', '3', version, 0, flags};
  tags::AppendSyncsafe32(t, std::uint32_t(body.size() + padding));
  t = Cat({t, body});
  t.resize(t.size() + padding, 0);
  return t;
}

// An encoding byte and the text's bytes as given.
inline Bytes Text(std::uint8_t enc, std::string_view raw) { return Cat({{enc}, B(raw)}); }

inline Bytes Utf16LE(std::u16string_view s, bool bom = true) {
  Bytes out;
  if (bom) out = {0xFF, 0xFE};
  for (char16_t c : s) out.insert(out.end(), {std::uint8_t(c), std::uint8_t(c >> 8)});
  return out;
}
inline Bytes Utf16BE(std::u16string_view s, bool bom = true) {
  Bytes out;
  if (bom) out = {0xFE, 0xFF};
  for (char16_t c : s) out.insert(out.end(), {std::uint8_t(c >> 8), std::uint8_t(c)});
  return out;
}

// Every FF followed by a zero byte or a byte >= E0 gets a zero inserted.
inline Bytes Unsync(const Bytes& in) {
  Bytes out;
  for (std::size_t i = 0; i < in.size(); ++i) {
    out.push_back(in[i]);
    if (in[i] == 0xFF && (i + 1 == in.size() || in[i + 1] == 0 || in[i + 1] >= 0xE0)) out.push_back(0);
  }
  return out;
}

// Bytes that stand in for audio: no FF bytes, so no frame sync.
inline Bytes Audio(std::size_t n) {
  Bytes b(n);
  for (std::size_t i = 0; i < n; ++i) b[i] = std::uint8_t((i * 7 + 3) % 251);
  return b;
}

inline Bytes ReadAll(const std::filesystem::path& p) { return zovedu_test::ReadFile(p.string()); }
inline void WriteAll(const std::filesystem::path& p, const Bytes& b) { zovedu_test::WriteFile(p, b); }

}  // namespace id3test
