#include <gtest/gtest.h>

#include "audio/wma_rates.h"
#include "audio/zaudio.h"
#include "encoders/wma_settings.h"

namespace {

TEST(WmaSettings, SampleRateForEachSampleRateIndex) {
  const int expected[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000, 96000, 88200};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(WmaSampleRateForIndex(i), expected[i]) << i;
  EXPECT_EQ(WmaSampleRateForIndex(-1), 8000);
  EXPECT_EQ(WmaSampleRateForIndex(9), 88200);
}

TEST(WmaSettings, CodecFlags) {
  EXPECT_EQ(WmaCodecFlag(0), 0x2000u);
  EXPECT_EQ(WmaCodecFlag(1), 0x4000u);
  EXPECT_EQ(WmaCodecFlag(2), 0x8000u);
  EXPECT_EQ(WmaCodecFlag(-1), 0x2000u);  // no selection
}

TEST(QueryWmaRateLists, CbrListsTheBitratesInKbps) {
  const WmaRateLists lists = QueryWmaRateLists(5, 1, 0, false);
  ASSERT_TRUE(lists.ok);
  EXPECT_FALSE(lists.forcePro24);
  EXPECT_TRUE(lists.qualities.isEmpty());
  const auto rates = zaudio::WMA_EncodeGetRates(44100, 2, zaudio::WMA_ENCODE_STANDARD);
  ASSERT_EQ(lists.bitrates.size(), static_cast<qsizetype>(rates.size()));
  for (size_t i = 0; i < rates.size(); ++i) EXPECT_EQ(lists.bitrates[i], QString::number(rates[i] / 1000));
  EXPECT_TRUE(lists.bitrates.contains("128"));
}

TEST(QueryWmaRateLists, TheHighestRateForcesPro24At88200) {
  const WmaRateLists lists = QueryWmaRateLists(8, 1, 0, false);
  EXPECT_TRUE(lists.forcePro24);
  EXPECT_FALSE(lists.ok);
  EXPECT_TRUE(lists.bitrates.isEmpty());
  // The library was asked for the Pro 24-bit codec, not for the chosen standard one.
  EXPECT_EQ(zaudio::ErrorGetCode(), zaudio::ERROR_NOTAVAIL);

  EXPECT_TRUE(QueryWmaRateLists(7, 0, 0, false).forcePro24);
  EXPECT_FALSE(QueryWmaRateLists(6, 0, 0, false).forcePro24);
}

TEST(QueryWmaRateLists, NothingForProOrVbr) {
  EXPECT_FALSE(QueryWmaRateLists(5, 1, 1, false).ok);
  EXPECT_FALSE(QueryWmaRateLists(5, 1, 2, false).ok);
  const WmaRateLists vbr = QueryWmaRateLists(5, 1, 0, true);
  EXPECT_FALSE(vbr.ok);
  EXPECT_TRUE(vbr.qualities.isEmpty());
  EXPECT_TRUE(vbr.bitrates.isEmpty());
}

TEST(WmaNominalBitrate, CbrTextOrRoundedQuality) {
  const struct {
    bool cbr;
    const char* cbrText;
    bool vbr;
    const char* qualityText;
    int kbps;
  } cases[] = {
      {true, "128", false, "", 128},
      {true, "", false, "", 0},     // empty list
      {false, "128", false, "", 0}, // neither mode
      {false, "", true, "98", 314}, // 313.6
      {false, "", true, "100", 320},
      {false, "", true, "10", 32},
      {false, "", true, "25", 80},
      {false, "", true, "5", 16},   // exactly 16
      {false, "", true, "1", 3},    // 3.2
      {false, "", true, "75", 240},
      {false, "", true, "", 0},
      {false, "", true, "abc", 0},
  };
  for (const auto& c : cases)
    EXPECT_EQ(WmaNominalBitrate(c.cbr, c.cbrText, c.vbr, c.qualityText), c.kbps)
        << c.cbrText << "/" << c.qualityText;
}

}  // namespace

TEST(WmaWriterValue, TheListInUseGivesTheValue) {
  EXPECT_EQ(WmaWriterValue(false, "", "128"), 128000u);
  EXPECT_EQ(WmaWriterValue(true, "98", "128"), 98u);
  EXPECT_EQ(WmaWriterValue(false, "98", ""), std::nullopt);  // no codec: nothing to open with
  EXPECT_EQ(WmaWriterValue(true, "", "128"), std::nullopt);
}
