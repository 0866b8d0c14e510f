#include "ape_format.h"

namespace ape {

std::string CheckFormat(const AudioFormat& format) {
  if (format.channels != 1 && format.channels != 2)
    return "only mono and stereo can be encoded, not " + std::to_string(format.channels) + " channels";
  if (format.bitsPerSample != 16 && format.bitsPerSample != 24)
    return "only 16- and 24-bit samples can be encoded, not " + std::to_string(format.bitsPerSample) + "-bit";
  if (format.sampleRate <= 0) return "the sample rate must be positive";
  return {};
}

const LevelSettings* SettingsFor(int level) {
  // Longer frames and longer filters as the level rises; the filters' taps
  // adapt to the signal, so a longer frame lets them settle for longer.
  static const LevelSettings kLevels[] = {
      {1000, 73728, {{{0, 0}, {0, 0}, {0, 0}}}},
      {2000, 73728, {{{16, 11}, {0, 0}, {0, 0}}}},
      {3000, 73728, {{{64, 11}, {0, 0}, {0, 0}}}},
      {4000, 73728 * 4, {{{32, 10}, {256, 13}, {0, 0}}}},
      {5000, 73728 * 16, {{{16, 11}, {256, 13}, {1280, 15}}}},
  };
  for (const LevelSettings& s : kLevels)
    if (s.level == level) return &s;
  return nullptr;
}

}  // namespace ape
