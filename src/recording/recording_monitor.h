// The one-second monitor's arithmetic: the output size per format, the
// length text, when a split is due, and the scrolling level history.
#pragma once

#include <QString>
#include <cstdint>
#include <vector>

struct EstimateBitrates {
  int mp3 = 0, ogg = 0, wma = 0;  // kbps, taken when the recording started
};

// The output size shown for a format: WAV is what the encoder took in; the
// compressed formats are estimated from the bytes taken in or the seconds.
std::int64_t EstimatedOutputSize(int format, std::uint64_t received, std::uint64_t seconds,
                                 const EstimateBitrates& bitrates);

// "hh:nn:ss" of the seconds as a time of day, so the hours wrap after 24.
QString ElapsedText(std::uint64_t seconds);

// A split by length (mode 0) is due when the seconds reach the limit exactly,
// by size (mode 1) once the size reaches it; mode -1 and a limit of 0 never
// split.
bool SplitDue(int mode, std::int64_t limit, std::uint64_t seconds, std::int64_t size);

// The level display's history: one column per pixel of the bar, filled from
// the left. Stores a level word (left low 16 bits, right high) at `column`
// and moves on, except while silent; a full history is cleared instead and
// starts again at the left edge. The stored levels are 16-bit signed, so
// full scale reads as -32768.
void StoreLevel(std::vector<std::int16_t>& left, std::vector<std::int16_t>& right, int& column,
                std::uint32_t levelWord, bool inSilence);
// Bar height in pixels of a stored level on a half-height of mid.
int LevelBarHeight(std::int16_t level, int mid);
// Where the dB texts go: right of the marker, or left of it near the edge.
int LevelTextX(int column, int width);
