#include "tags/id3v2_text.h"

#include "tags/toolkit/byte_order.h"
#include "tags/toolkit/text.h"

namespace tags::id3 {

DecodedString DecodeString(std::uint8_t enc, const std::uint8_t* data, std::size_t n) {
  DecodedString out;
  if (enc == 1 || enc == 2) {
    std::size_t len = 0;
    while (len + 1 < n && !(data[len] == 0 && data[len + 1] == 0)) len += 2;
    const bool terminated = len + 1 < n;
    if (!terminated) len = n;
    out.text = Utf16ToUtf8(data, len, enc == 2);
    out.consumed = terminated ? len + 2 : n;
    out.terminated = terminated;
    return out;
  }
  std::size_t len = 0;
  while (len < n && data[len] != 0) ++len;
  const std::string_view raw(reinterpret_cast<const char*>(data), len);
  out.text = enc == 3 ? AsUtf8(raw) : Latin1ToUtf8(raw);
  out.consumed = len < n ? len + 1 : n;
  out.terminated = len < n;
  return out;
}

std::uint8_t EncodingFor(std::string_view utf8) { return FitsLatin1(utf8) ? 0 : 1; }

void AppendEncoded(Bytes& out, std::uint8_t enc, std::string_view utf8, bool terminate) {
  if (enc == 0) {
    AppendText(out, Utf8ToLatin1(utf8));
    if (terminate) out.push_back(0);
    return;
  }
  out.push_back(0xFF);
  out.push_back(0xFE);
  const Bytes units = Utf8ToUtf16LE(utf8);
  out.insert(out.end(), units.begin(), units.end());
  if (terminate) out.insert(out.end(), {0, 0});
}

}  // namespace tags::id3
