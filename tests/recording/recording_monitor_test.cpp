// The one-second monitor: estimated output sizes, the length text, when a
// split is due, and the level display's history.
#include <gtest/gtest.h>

#include <vector>

#include "recording/recording_formats.h"
#include "recording/recording_monitor.h"

namespace {

TEST(RecordingMonitor, EstimatedOutputSizePerFormat) {
  EstimateBitrates rates;
  rates.mp3 = 128;
  rates.wma = 64;
  rates.ogg = 192;
  struct Case {
    int format;
    std::uint64_t received, seconds;
    std::int64_t expected;
  };
  const Case cases[] = {
      {kWav, 1764000, 10, 1764000},
      // the bitrate formats go by the seconds and their own bitrate only
      {kMp3, 1764000, 10, 160000},
      {kMp3, 0, 10, 160000},
      {kWma, 1764000, 10, 80000},
      {kOgg, 1764000, 10, 240000},
      {kMp3, 1764000, 0, 0},
      // the others by the bytes taken in, cut to whole bytes
      {kApe, 10000, 10, 5550},
      {kApe, 1001, 10, 555},     // 555.555
      {kFlac, 10000, 10, 5870},
      {kFlac, 1001, 10, 587},    // 587.587
      {kTta, 1001, 10, 500},
      {kWv, 1001, 10, 500},
      {kAac, 1009, 10, 100},
      {kMpc, 1009, 10, 100},
      {kSpx, 1999, 10, 9},
      {kSpx, 2000, 10, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.format << ", " << c.received << " bytes");
    EXPECT_EQ(EstimatedOutputSize(c.format, c.received, c.seconds, rates), c.expected);
  }

  // Hours of CD-quality audio do not overflow.
  const std::uint64_t tenHours = 36000;
  const std::uint64_t bytes = tenHours * 176400;
  EXPECT_EQ(EstimatedOutputSize(kWav, bytes, tenHours, rates), std::int64_t(bytes));
  EXPECT_EQ(EstimatedOutputSize(kTta, bytes, tenHours, rates), std::int64_t(bytes / 2));
  EXPECT_EQ(EstimatedOutputSize(kMp3, bytes, tenHours, rates), std::int64_t(36000) * 128 * 125);
  rates.mp3 = 320;
  EXPECT_EQ(EstimatedOutputSize(kMp3, 0, 1000000, rates), std::int64_t(1000000) * 320 * 125);
}

TEST(RecordingMonitor, ElapsedTextWrapsAfterADay) {
  struct Case {
    std::uint64_t seconds;
    const char* text;
  };
  const Case cases[] = {
      {0, "00:00:00"},         {59, "00:00:59"},        {61, "00:01:01"},
      {4440, "01:14:00"},      {36000, "10:00:00"},     {86399, "23:59:59"},
      {86400, "00:00:00"},     {86400 + 61, "00:01:01"}, {3 * 86400 + 3723, "01:02:03"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(ElapsedText(c.seconds), c.text);
  }
}

TEST(RecordingMonitor, SplitDue) {
  struct Case {
    int mode;
    std::int64_t limit;
    std::uint64_t seconds;
    std::int64_t size;
    bool due;
  };
  const Case cases[] = {
      // by length: only on the exact second
      {0, 4440, 4439, 1 << 30, false},
      {0, 4440, 4440, 0, true},
      {0, 4440, 4441, 1 << 30, false},
      // by size: from the limit on, whatever the seconds
      {1, 650000000, 4440, 649999999, false},
      {1, 650000000, 7, 650000000, true},
      {1, 650000000, 4441, 650000001, true},
      // no split, and no limit: a custom value of 0
      {-1, 4440, 4440, 4440, false},
      {0, 0, 0, 0, false},
      {0, 0, 1, 0, false},
      {1, 0, 1, 0, false},
      {1, 0, 9, 1 << 30, false},
      {-1, 0, 0, 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "mode " << c.mode << ", " << c.seconds << " s, "
                                    << c.size << " bytes");
    EXPECT_EQ(SplitDue(c.mode, c.limit, c.seconds, c.size), c.due);
  }
}

class LevelHistoryTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 318;
  std::vector<std::int16_t> left_ = std::vector<std::int16_t>(kWidth);
  std::vector<std::int16_t> right_ = std::vector<std::int16_t>(kWidth);
  int column_ = 0;
};

TEST_F(LevelHistoryTest, StoresBothHalvesAsSigned16Bit) {
  StoreLevel(left_, right_, column_, 0x80001234u, false);
  StoreLevel(left_, right_, column_, 0x00FF8000u, false);
  StoreLevel(left_, right_, column_, 0xFFFF0001u, false);
  EXPECT_EQ(column_, 3);
  EXPECT_EQ(left_[0], 0x1234);
  EXPECT_EQ(right_[0], -32768);
  EXPECT_EQ(left_[1], -32768);  // full scale
  EXPECT_EQ(right_[1], 0xFF);
  EXPECT_EQ(left_[2], 1);
  EXPECT_EQ(right_[2], -1);
  EXPECT_EQ(left_[3], 0);
  EXPECT_EQ(right_[3], 0);
}

TEST_F(LevelHistoryTest, SilenceOverwritesTheSameColumn) {
  StoreLevel(left_, right_, column_, 0x00020001u, false);
  StoreLevel(left_, right_, column_, 0x00040003u, true);
  EXPECT_EQ(column_, 1);
  EXPECT_EQ(left_[1], 3);
  EXPECT_EQ(right_[1], 4);
  StoreLevel(left_, right_, column_, 0x00060005u, true);
  EXPECT_EQ(column_, 1);
  EXPECT_EQ(left_[1], 5);
  StoreLevel(left_, right_, column_, 0x00080007u, false);  // the input is heard again
  EXPECT_EQ(column_, 2);
  EXPECT_EQ(left_[0], 1);
  EXPECT_EQ(left_[1], 7);
  EXPECT_EQ(right_[1], 8);
}

TEST_F(LevelHistoryTest, FullHistoryIsClearedAndRestartsAtTheLeft) {
  for (int i = 0; i < kWidth; ++i)
    StoreLevel(left_, right_, column_, 0x00070000u | std::uint32_t(i + 1), false);
  EXPECT_EQ(column_, kWidth);
  EXPECT_EQ(left_[kWidth - 1], kWidth);
  EXPECT_EQ(right_[kWidth - 1], 7);

  // The next call only clears: its level is not stored.
  StoreLevel(left_, right_, column_, 0x01230456u, false);
  EXPECT_EQ(column_, 0);
  EXPECT_EQ(left_, std::vector<std::int16_t>(kWidth));
  EXPECT_EQ(right_, std::vector<std::int16_t>(kWidth));

  StoreLevel(left_, right_, column_, 0x01230456u, false);
  EXPECT_EQ(column_, 1);
  EXPECT_EQ(left_[0], 0x456);
  EXPECT_EQ(right_[0], 0x123);
  EXPECT_EQ(left_[1], 0);
}

TEST_F(LevelHistoryTest, FullHistoryIsClearedEvenWhileSilent) {
  column_ = kWidth;
  left_[5] = 9;
  StoreLevel(left_, right_, column_, 0x00010001u, true);
  EXPECT_EQ(column_, 0);
  EXPECT_EQ(left_[5], 0);
  EXPECT_EQ(left_[0], 0);
}

TEST(LevelDisplay, BarHeight) {
  struct Case {
    std::int16_t level;
    int mid;
    int height;
  };
  const Case cases[] = {
      {0, 50, 0},
      {-32768, 50, 50},  // full scale as stored
      {32767, 50, 49},   // 49.998 is cut, not rounded
      {16384, 50, 25},
      {-16384, 50, 25},
      {-16385, 50, 25},
      {655, 50, 0},      // 0.9995
      {-656, 50, 1},
      {-32768, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.level << " on " << c.mid);
    EXPECT_EQ(LevelBarHeight(c.level, c.mid), c.height);
  }
}

TEST(LevelDisplay, TextMovesLeftOfTheMarkerNearTheEdge) {
  struct Case {
    int column, width, x;
  };
  const Case cases[] = {
      {0, 318, 2},       {100, 318, 102},   {278, 318, 280},
      {279, 318, 241},   {317, 318, 279},   {318, 318, 280},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    EXPECT_EQ(LevelTextX(c.column, c.width), c.x);
  }
}

}  // namespace
