// The bitrates the size display assumes for the MP3 and OGG pages.
#include <gtest/gtest.h>

#include "encoders/nominal_bitrate.h"

namespace {

Mp3BitrateChoice Preset(int index) {
  Mp3BitrateChoice c;
  c.preset = true;
  c.presetIndex = index;
  return c;
}

Mp3BitrateChoice Cbr(int index, int sampleRateIndex = 5) {
  Mp3BitrateChoice c;
  c.cbr = true;
  c.cbrIndex = index;
  c.sampleRateIndex = sampleRateIndex;
  return c;
}

Mp3BitrateChoice Vbr(int minIndex, int quality, int sampleRateIndex = 5) {
  Mp3BitrateChoice c;
  c.vbr = true;
  c.minIndex = minIndex;
  c.quality = quality;
  c.sampleRateIndex = sampleRateIndex;
  return c;
}

TEST(Mp3NominalBitrate, FollowsTheChosenMode) {
  Mp3BitrateChoice abr = Vbr(10, 4);
  abr.abr = true;
  abr.abrBitrate = 192;
  Mp3BitrateChoice presetAndCbr = Cbr(17);  // the later modes replace the preset
  presetAndCbr.preset = true;
  presetAndCbr.presetIndex = 5;
  Mp3BitrateChoice cbrAndVbr = Vbr(10, 4);
  cbrAndVbr.cbr = true;
  cbrAndVbr.cbrIndex = 17;
  Mp3BitrateChoice presetUnchecked = Preset(5);
  presetUnchecked.preset = false;

  const struct {
    const char* what;
    Mp3BitrateChoice choice;
    int kbps;
  } cases[] = {
      {"preset 0", Preset(0), 143},  {"preset 1", Preset(1), 171},
      {"preset 2", Preset(2), 283},  {"preset 3", Preset(3), 314},
      {"preset 4", Preset(4), 298},  {"preset insane (CBR)", Preset(5), 319},
      {"preset unknown", Preset(6), 0}, {"preset none selected", Preset(-1), 0},
      {"nothing chosen", presetUnchecked, 0},
      {"cbr 128", Cbr(11), 128},     {"cbr 320", Cbr(17), 320},
      {"cbr first item", Cbr(0), 8},
      // No selection, or one the list lacks at 8000 Hz: the list's first selection.
      {"cbr none at 44100", Cbr(-1), 128}, {"cbr none at 8000", Cbr(-1, 0), 40},
      {"cbr 320 at 8000", Cbr(17, 0), 40},
      {"cbr replaces preset", presetAndCbr, 320},
      // min + round(min / 100 × (10 − V))
      {"vbr 112 V4", Vbr(10, 4), 119},     // 6.72
      {"vbr 112 V0", Vbr(10, 0), 123},     // 11.2
      {"vbr 112 V9", Vbr(10, 9), 113},     // 1.12
      {"vbr 8 V0", Vbr(0, 0), 9},          // 0.8
      {"vbr 48 V2", Vbr(5, 2), 52},        // 3.84
      {"vbr 56 V1", Vbr(6, 1), 61},        // 5.04
      {"vbr 320 V5", Vbr(17, 5), 336},     // 16
      {"vbr 144 V6", Vbr(12, 6), 150},     // 5.76
      {"vbr none at 44100", Vbr(-1, 4), 119},
      {"vbr none at 8000", Vbr(-1, 4, 0), 32 + 2},  // 1.92
      {"abr", abr, 192},
      {"vbr replaces cbr", cbrAndVbr, 119},
  };
  for (const auto& c : cases) EXPECT_EQ(Mp3NominalBitrate(c.choice), c.kbps) << c.what;
}

TEST(OggNominalBitrate, InterpolatesTheQualityOrTakesTheChosenBitrate) {
  const struct {
    int position;
    int kbps;
  } quality[] = {
      {-200, 112}, {-1, 112}, {0, 64},     {1, 64},   {100, 80},  {275, 108},
      {250, 104},  {733, 203}, {850, 240}, {899, 256}, {900, 320}, {901, 322},
      {950, 410},  // 89.5 rounds to the even 90
      {999, 497},  {1000, 499}, {1200, 499},
  };
  for (const auto& q : quality) EXPECT_EQ(OggNominalBitrate(true, q.position, 3), q.kbps) << q.position;

  const struct {
    int index;
    int kbps;
  } nominal[] = {{0, 32}, {3, 56}, {8, 128}, {9, 160}, {13, 320}, {-1, 128}, {14, 128}};
  for (const auto& n : nominal) EXPECT_EQ(OggNominalBitrate(false, 275, n.index), n.kbps) << n.index;
}

}  // namespace
