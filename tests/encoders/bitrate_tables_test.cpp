#include <gtest/gtest.h>

#include <QLocale>

#include "encoders/bitrate_tables.h"

namespace {

TEST(BitrateTables, HoldTheEncoderBitrates) {
  EXPECT_EQ(Mp3BitrateTable, (std::array<int, 18>{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128,
                                                  144, 160, 192, 224, 256, 320}));
  EXPECT_EQ(OggBitrateTable,
            (std::array<int, 14>{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}));
  EXPECT_EQ(SpeexBitrateTable, (std::array<int, 18>{2, 3, 4, 5, 6, 8, 10, 12, 14, 16, 18, 20, 24,
                                                    28, 32, 36, 40, 44}));
}

struct Mp3Row {
  int sampleRateIndex;
  int count;
  QString last;
  int cbr;
  QString cbrItem;
};

TEST(Mp3BitrateLists, ItemsAndSelectionsFollowTheSampleRateRow) {
  const Mp3Row rows[] = {
      {0, 8, "64 kbps", 4, "40 kbps"},     {1, 8, "64 kbps", 4, "40 kbps"},
      {2, 14, "160 kbps", 11, "128 kbps"}, {3, 14, "160 kbps", 11, "128 kbps"},
      {4, 18, "320 kbps", 11, "128 kbps"}, {5, 18, "320 kbps", 11, "128 kbps"},
      {8, 18, "320 kbps", 11, "128 kbps"},
      // Out of range: the nearest row.
      {-1, 8, "64 kbps", 4, "40 kbps"},    {9, 18, "320 kbps", 11, "128 kbps"},
  };
  for (const Mp3Row& row : rows) {
    SCOPED_TRACE(row.sampleRateIndex);
    const Mp3BitrateLists lists = Mp3BitrateListsFor(row.sampleRateIndex);
    ASSERT_EQ(lists.items.size(), row.count);
    EXPECT_EQ(lists.items.first(), "8 kbps");
    EXPECT_EQ(lists.items.last(), row.last);
    EXPECT_EQ(lists.cbrIndex, row.cbr);
    EXPECT_EQ(lists.items[lists.cbrIndex], row.cbrItem);
    EXPECT_EQ(lists.minIndex, row.cbr - 1);
    EXPECT_EQ(lists.maxIndex, row.cbr + 1);
  }
}

TEST(Mp3BitrateLists, At44100TheVbrNeighboursAre112And144) {
  const Mp3BitrateLists lists = Mp3BitrateListsFor(5);
  EXPECT_EQ(Mp3BitrateTable[lists.minIndex], 112);
  EXPECT_EQ(Mp3BitrateTable[lists.maxIndex], 144);
}

TEST(OggBitrateItems, ShowTheTableWithTheOddTenthItem) {
  const QStringList nominal = OggNominalBitrateItems();
  ASSERT_EQ(nominal.size(), 14);
  EXPECT_EQ(nominal[0], "32 kbps");
  EXPECT_EQ(nominal[8], "128 kbps");
  EXPECT_EQ(nominal[9], "160 kpbs");
  EXPECT_EQ(nominal[13], "320 kbps");
  // Every item still starts with its table value, which the command line uses.
  for (int i = 0; i < nominal.size(); ++i) EXPECT_EQ(nominal[i].section(' ', 0, 0).toInt(), OggBitrateTable[i]);

  const QStringList minMax = OggMinMaxBitrateItems();
  ASSERT_EQ(minMax.size(), 15);
  EXPECT_EQ(minMax[0], "Don't Care");
  EXPECT_EQ(minMax.mid(1), nominal);
}

TEST(SpeexBitrateItems, UseTheirOwnUnitAndDefaultTo32) {
  const QStringList items = SpeexBitrateItems();
  ASSERT_EQ(items.size(), 18);
  EXPECT_EQ(items[0], "2 kpbs");
  EXPECT_EQ(items[17], "44 kpbs");
  EXPECT_EQ(items[SpeexDefaultBitrateIndex], "32 kpbs");
}

TEST(FormatEncoderValue, WritesTheShortestGeneralFormWithADotWhateverTheLocale) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {275 / 100.0, "2.75"}, {500 / 100.0, "5"},   {239 / 10.0, "23.9"}, {-150 / 100.0, "-1.5"},
      {20 / 10.0, "2"},      {1000 / 100.0, "10"}, {0.0, "0"},           {-0.0, "0"},
      {9600, "9600"},        {1 / 100.0, "0.01"},  {-200 / 100.0, "-2"},
  };
  const QLocale before;
  // German: comma separator, dot grouping. Swedish: U+2212 minus sign.
  for (const QLocale& locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany),
                                QLocale(QLocale::Swedish, QLocale::Sweden)}) {
    QLocale::setDefault(locale);
    for (const auto& c : cases)
      EXPECT_EQ(FormatEncoderValue(c.value), c.text) << c.value << " " << locale.name().toStdString();
  }
  QLocale::setDefault(before);
}

}  // namespace
