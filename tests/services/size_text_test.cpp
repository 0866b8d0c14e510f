// Size texts: the unit boundaries, the 64-bit range and the live size's
// four-character megabytes.
#include <gtest/gtest.h>

#include <QLocale>
#include <limits>

#include "services/size_text.h"

namespace {

TEST(FormatSizeText, UnitsChangeAfterEachPowerOf1024) {
  const struct {
    qint64 bytes;
    const char* text;
  } cases[] = {
      {0, "0 Bytes"},
      {1, "1 Bytes"},
      {1024, "1024 Bytes"},
      {1025, "1 KB"},
      {2047, "1 KB"},
      {1048575, "1023 KB"},
      {1048576, "1024 KB"},
      {1048577, "1 MB"},
      {5 * 1048576 - 1, "4 MB"},
      {1073741823, "1023 MB"},
      {1073741824, "1024 MB"},
      {1073741825, "1 GB"},
      {5368709119, "4 GB"},  // past 32 bits
      {Q_INT64_C(1099511627776) * 1024, "1048576 GB"},
      {std::numeric_limits<qint64>::max(), "8589934591 GB"},
      {-1, "0 Bytes"},
      {std::numeric_limits<qint64>::min(), "0 Bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    const QString text = QString::fromLatin1(c.text);
    EXPECT_EQ(FormatSizeText(c.bytes), text);
    EXPECT_EQ(FormatSizeText(c.bytes, true), text.section(' ', 0, 0));
  }
}

TEST(RecordingSizeText, ShowsFourCharactersOfTheMegabytes) {
  const struct {
    qint64 bytes;
    const char* text;
  } cases[] = {
      {0, "0 Bytes"},
      {1024, "1024 Bytes"},
      {1025, "1 KB"},
      {160000, "156 KB"},
      {1048576, "1024 KB"},
      {1048577, "1.00 MB"},      // 1.0000009536743164
      {1572864, "1.5 MB"},
      {2097152, "2 MB"},         // a whole number has no point
      {11010048, "10.5 MB"},
      {12944671, "12.3 MB"},     // 12.345000267028809: cut, not rounded
      {129446707, "123. MB"},    // 123.44999980926514: the point stays
      {104857600, "100 MB"},
      {1294467072, "1234 MB"},   // 1234.5
      {10737418240, "1024 MB"},  // 10240: only four characters fit
      {std::numeric_limits<qint64>::max(), "8796 MB"},
      {-5, "0 Bytes"},
  };
  const QLocale c = QLocale::c();
  for (const auto& k : cases) EXPECT_EQ(RecordingSizeText(k.bytes, c), k.text) << k.bytes;
}

TEST(RecordingSizeText, TakesOnlyTheDecimalSeparatorFromTheLocale) {
  // German: comma separator, dot grouping.
  const QLocale german(QLocale::German, QLocale::Germany);
  EXPECT_EQ(RecordingSizeText(1572864, german), "1,5 MB");
  EXPECT_EQ(RecordingSizeText(1294467072, german), "1234 MB");
  EXPECT_EQ(RecordingSizeText(160000, german), "156 KB");
  // Arabic digits and separator in the locale; the digits stay ASCII.
  const QLocale arabic(QLocale::Arabic, QLocale::Egypt);
  EXPECT_EQ(RecordingSizeText(1572864, arabic), "1" + arabic.decimalPoint() + "5 MB");
}

}  // namespace
