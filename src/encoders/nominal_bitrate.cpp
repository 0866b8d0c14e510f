#include "encoders/nominal_bitrate.h"

#include <algorithm>
#include <array>

#include "encoders/bitrate_tables.h"

namespace {

// numerator / denominator (denominator > 0) to the nearest integer, halves to
// even. In integers, so that a half is never missed through a binary fraction.
int RoundHalfEven(int numerator, int denominator) {
  int quotient = numerator / denominator;
  int remainder = numerator % denominator;
  if (remainder < 0) {  // floor division, so that the remainder counts upwards
    --quotient;
    remainder += denominator;
  }
  const int twice = 2 * remainder;
  if (twice > denominator || (twice == denominator && quotient % 2 != 0)) ++quotient;
  return quotient;
}

constexpr std::array<int, 6> kMp3PresetBitrates = {143, 171, 283, 314, 298, 319};

// The table value of a list index, or of the list's first selection when the
// list has no such item.
int Mp3ListBitrate(int index, int sampleRateIndex, int Mp3BitrateLists::*firstSelection) {
  const Mp3BitrateLists lists = Mp3BitrateListsFor(sampleRateIndex);
  if (index < 0 || index >= lists.items.size()) index = lists.*firstSelection;
  return Mp3BitrateTable[index];
}

constexpr std::array<int, 11> kOggAnchors = {64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320};

}  // namespace

int Mp3NominalBitrate(const Mp3BitrateChoice& c) {
  int kbps = 0;
  if (c.preset && c.presetIndex >= 0 && c.presetIndex < int(kMp3PresetBitrates.size()))
    kbps = kMp3PresetBitrates[c.presetIndex];
  if (c.cbr) kbps = Mp3ListBitrate(c.cbrIndex, c.sampleRateIndex, &Mp3BitrateLists::cbrIndex);
  if (c.vbr) {
    if (c.abr) {
      kbps = c.abrBitrate;
    } else {
      const int min = Mp3ListBitrate(c.minIndex, c.sampleRateIndex, &Mp3BitrateLists::minIndex);
      kbps = min + RoundHalfEven(min * (10 - c.quality), 100);
    }
  }
  return kbps;
}

int OggNominalBitrate(bool qualityMode, int qualityPosition, int nominalIndex) {
  if (!qualityMode) {
    if (nominalIndex < 0 || nominalIndex >= int(OggBitrateTable.size()))
      nominalIndex = OggDefaultNominalIndex;
    return OggBitrateTable[nominalIndex];
  }
  if (qualityPosition < 0) return 112;
  const int p = std::min(qualityPosition, 1000);
  const int whole = p / 100, hundredths = p % 100;
  if (whole == 10) return 499;
  if (whole == 9) return 320 + RoundHalfEven(179 * hundredths, 100);
  const int low = kOggAnchors[whole], high = kOggAnchors[whole + 1];
  return low + RoundHalfEven((high - low) * hundredths, 100);
}
