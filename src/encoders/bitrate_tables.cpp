#include "encoders/bitrate_tables.h"

#include <algorithm>

const std::array<int, 18> Mp3BitrateTable = {8,   16,  24,  32,  40,  48,  56,  64,  80,
                                             96,  112, 128, 144, 160, 192, 224, 256, 320};
const std::array<int, 14> OggBitrateTable = {32,  40,  48,  56,  64,  80,  96,
                                             112, 128, 160, 192, 224, 256, 320};
const std::array<int, 18> SpeexBitrateTable = {2,  3,  4,  5,  6,  8,  10, 12, 14,
                                               16, 18, 20, 24, 28, 32, 36, 40, 44};

namespace {

// How many MP3 table values a sample-rate row offers and which one is the
// default CBR choice: low rates cannot carry the high bitrates.
struct Mp3Row {
  int count;
  int cbrIndex;
};

Mp3Row Mp3RowFor(int sampleRateIndex) {
  const int index = std::clamp(sampleRateIndex, 0, 8);
  if (index <= 1) return {8, 4};    // 8000, 11025 Hz: up to 64, 40 kbps
  if (index <= 3) return {14, 11};  // 16000, 22050 Hz: up to 160, 128 kbps
  return {18, 11};                  // 32000 Hz and above: up to 320, 128 kbps
}

template <size_t N>
QStringList ItemsOf(const std::array<int, N>& table, size_t count, const QString& unit) {
  QStringList items;
  for (size_t i = 0; i < count; ++i) items << QString::number(table[i]) + unit;
  return items;
}

}  // namespace

Mp3BitrateLists Mp3BitrateListsFor(int sampleRateIndex) {
  const Mp3Row row = Mp3RowFor(sampleRateIndex);
  Mp3BitrateLists lists;
  lists.items = ItemsOf(Mp3BitrateTable, row.count, QStringLiteral(" kbps"));
  lists.cbrIndex = row.cbrIndex;
  lists.minIndex = row.cbrIndex - 1;
  lists.maxIndex = row.cbrIndex + 1;
  return lists;
}

QStringList OggNominalBitrateItems() {
  QStringList items = ItemsOf(OggBitrateTable, OggBitrateTable.size(), QStringLiteral(" kbps"));
  items[9] = QStringLiteral("160 kpbs");  // shown with this spelling; its bitrate is still 160
  return items;
}

QStringList OggMinMaxBitrateItems() {
  return QStringList{QStringLiteral("Don't Care")} + OggNominalBitrateItems();
}

QStringList SpeexBitrateItems() {
  return ItemsOf(SpeexBitrateTable, SpeexBitrateTable.size(), QStringLiteral(" kpbs"));
}

QString FormatEncoderValue(double v) {
  if (v == 0) v = 0;  // no "-0"
  // 15 significant digits drop the binary noise of values such as 239 / 10.
  // QString::number never uses the locale.
  return QString::number(v, 'g', 15);
}
