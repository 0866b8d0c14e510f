#include "targets/sample_values.h"

namespace zovedu_fuzz {
namespace {

// The last byte picks the text, so a mutation there changes it.
std::size_t Pick(const std::uint8_t* data, std::size_t size, int field, std::size_t choices) {
  const std::size_t seed = size ? data[size - 1] : 0;
  return (seed + std::size_t(field) * 7) % choices;
}

}  // namespace

std::string SampleText(const std::uint8_t* data, std::size_t size, int field) {
  switch (Pick(data, size, field, 4)) {
    case 0: return field == 0 ? "Fuzzed title" : "Fuzzed artist";
    case 1: return "\xC3\x9C" "berschrift \xE2\x80\x93 \xE2\x9C\x93 \xF0\x9F\x8E\xB5";  // Ü, en dash, check mark, note
    case 2: return std::string(5000, 'x') + "!";
    default: return "A";
  }
}

std::string SampleLatin1Text(const std::uint8_t* data, std::size_t size, int field, std::size_t maxChars) {
  std::string text;
  switch (Pick(data, size, field, 4)) {
    case 0: text = field == 0 ? "Fuzzed title" : "Fuzzed artist"; break;
    case 1: text = "\xC3\x84rger \xC3\xBC" "ber \xC3\x96l \xC3\xBF"; break;  // Ärger über Öl ÿ
    case 2: text = std::string(200, 'y') + "."; break;
    default: text = "B"; break;
  }
  if (text.size() > maxChars) text.resize(maxChars);  // only the ASCII ones are long
  return text;
}

}  // namespace zovedu_fuzz
