// The layout of a Monkey's Audio file of version 3990 and what each
// compression level uses: frame length and the stages of adaptive filters
// ahead of the predictor.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ape {

constexpr std::uint16_t kFileVersion = 3990;
constexpr std::uint32_t kDescriptorBytes = 52;
constexpr std::uint32_t kHeaderBytes = 24;

// Format flags of the header.
constexpr std::uint16_t kFlag24Bit = 8;
constexpr std::uint16_t kFlagCreateWavHeader = 32;  // no WAV header stored: a decoder makes one

// Frame flags, written after a frame's CRC when its top bit is set.
constexpr std::uint32_t kFrameSilence = 3;       // every sample 0: no coded data follows
constexpr std::uint32_t kFramePseudoStereo = 4;  // both channels equal: coded once

struct AudioFormat {
  int channels = 2;       // 1 or 2
  int bitsPerSample = 16; // 16 or 24
  int sampleRate = 44100;
  int bytesPerBlock() const { return channels * (bitsPerSample / 8); }
};

// Empty when the encoder takes the format, else why not.
std::string CheckFormat(const AudioFormat& format);

struct FilterStage {
  int order;     // taps
  int fracBits;  // fixed-point shift of the taps
};

struct LevelSettings {
  int level;                             // 1000 fast ... 5000 insane
  std::uint32_t blocksPerFrame;
  std::array<FilterStage, 3> filters;    // applied in this order when decoding; order 0 ends the list
};

// Null for anything but 1000, 2000, 3000, 4000 and 5000.
const LevelSettings* SettingsFor(int level);

}  // namespace ape
