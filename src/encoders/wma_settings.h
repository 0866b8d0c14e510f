// WMA page logic: the sample rate and codec used for WMA, the rate lists the
// page offers, and the bitrate the size display assumes.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "audio/zaudio.h"

// The WMA sample rate for the main window's sample-rate index: 0..7 as listed
// (8000 .. 96000), 8 ("192000Hz") gives 88200. Indexes outside 0..8 are
// treated as the nearest valid one.
int WmaSampleRateForIndex(int csampleIndex);

// Codec flag of a `wmacodeccom` index: 0 standard, 1 Pro, 2 Pro 24-bit.
// No selection (-1) counts as the standard codec.
zaudio::DWORD WmaCodecFlag(int codecIndex);
constexpr int WmaPro24CodecIndex = 2;

struct WmaRateLists {
  bool ok = false;          // the library offered at least one value
  bool forcePro24 = false;  // the rate needs "WMA Pro(24bit)"; the caller selects it
  QStringList bitrates;     // CBR: kbps
  QStringList qualities;    // VBR: quality levels
};

// Asks the audio library for the rates of this setting. channelIndex is the
// `wmachannelcom` index (channels = index + 1). Above 48000 Hz the Pro 24-bit
// codec is used whatever codecIndex says. Only the list of the chosen mode
// (vbr or CBR) is filled.
WmaRateLists QueryWmaRateLists(int csampleIndex, int channelIndex, int codecIndex, bool vbr);

// The bitrate in kbps the size display assumes: the CBR text when CBR is
// chosen, the quality × 320 / 100 (halves to even) when VBR is chosen, 0 when
// the list in use is empty.
int WmaNominalBitrate(bool cbr, const QString& cbrText, bool vbr, const QString& qualityText);

// The value the WMA writer is opened with: the quality level shown (VBR) or
// the bitrate shown × 1000 (CBR, bits per second). Nothing when the list in
// use shows no number (the codec offered nothing).
std::optional<zaudio::DWORD> WmaWriterValue(bool vbr, const QString& qualityText, const QString& cbrText);
