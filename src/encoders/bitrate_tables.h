// Bitrate tables of the external encoders, the bitrate lists the encoder pages
// offer, and how fractional encoder values are written on a command line.
#pragma once

#include <array>

#include <QString>
#include <QStringList>

// Bitrates in kbps.
extern const std::array<int, 18> Mp3BitrateTable;
extern const std::array<int, 14> OggBitrateTable;
extern const std::array<int, 18> SpeexBitrateTable;

// The three MP3 bitrate lists (CBR, minimum, maximum) share their items; the
// selections are the CBR index and its two neighbours.
struct Mp3BitrateLists {
  QStringList items;  // "8 kbps", "16 kbps", ...
  int cbrIndex = 0;
  int minIndex = 0;
  int maxIndex = 0;
};

// sampleRateIndex is the index of the main window's sample-rate list (0..8);
// an index outside that range is treated as the nearest valid one.
Mp3BitrateLists Mp3BitrateListsFor(int sampleRateIndex);

// The 14 fixed items of the OGG nominal bitrate list.
QStringList OggNominalBitrateItems();
// "Don't Care" followed by the 14 nominal items (minimum and maximum lists).
QStringList OggMinMaxBitrateItems();

// The 18 items of the Speex bitrate list and the item selected at first (32).
QStringList SpeexBitrateItems();
constexpr int SpeexDefaultBitrateIndex = 14;

// Shortest general form of a value (2.75, 5, 23.9, -1.5): no trailing zeros,
// an ASCII hyphen-minus for negatives and always a "." as the decimal point,
// whatever the locale: encoders read "2,75" as 2. The option pages' value
// labels show it the same way, as the encoder gets it.
QString FormatEncoderValue(double v);
