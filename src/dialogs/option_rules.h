// Widget-free rules of the options dialog: which page a tree node shows, which
// page holds a format's settings, the digit-only edits, the ABR clamp, the
// split limit arithmetic and the texts of the value labels.
#pragma once

#include <QChar>
#include <QString>
#include <QtGlobal>
#include <optional>

// Tree nodes 0..15; node 4 ("DSP") is a parent without a page.
constexpr int OptionNodeCount = 16;
constexpr int OptionPageCount = 15;
constexpr int DspNode = 4;

// The page a tree node shows, or -1 for the "DSP" node (and nodes out of range).
int PageOfNode(int node);
// The tree node that shows a page, or -1 for a page out of range.
int NodeOfPage(int page);

// The options page of an output format's settings; -1 for WAV, -2 for TTA,
// -1 for an index out of range as well.
int FormatSettingsPage(int formatIndex);

// Keys the digit-only edits accept: "0".."9" and backspace. Keys that produce
// no character (arrows, Delete, Home) are not filtered.
bool IsDigitEditChar(QChar c);

// The ABR field when the pointer leaves it: above 310 becomes "310", then below
// 4 becomes "4". An empty or non-numeric field counts as 0 and so becomes "4";
// any other text comes back unchanged.
constexpr int Mp3AbrMin = 4;
constexpr int Mp3AbrMax = 310;
QString ClampAbrText(const QString& text);

// The six split limits of the split page.
enum class SplitChoice { None, Min74, Min80, Mb650, Mb700, CustomLength, CustomSize };

// -1 when neither "new file" nor "stop" is chosen, or no limit is chosen;
// 1 for a size limit, 0 for a length limit.
int SplitModeFor(bool createNew, bool stop, SplitChoice choice);

// Custom split fields hold at most this many digits, so a size in megabytes
// times 1048576 always fits in 64 bits (and a length in seconds in 32 bits).
constexpr int CustomSplitMaxDigits = 9;

// The number in a custom split field; an empty, zero or unreadable field
// gives 0, which never splits.
qint64 CustomSplitValue(const QString& text);

// Seconds for length limits, bytes for size limits (custom size in 64 bits),
// 0 when no limit is chosen.
qint64 SplitLimitFor(SplitChoice choice, const QString& customLength, const QString& customSize);

// Value label: prefix, position divided by `divisor` in the shortest form
// (divisor 1 gives the plain integer), suffix.
QString ValueLabelText(const QString& prefix, int position, int divisor, const QString& suffix);

// Filter cut labels: hertz with band pass, percent (position / 100) otherwise.
QString FilterLowLabelText(bool bandPass, int position);
QString FilterHighLabelText(bool bandPass, int position);

// WavPack hybrid label: tenths of a bit with "Bit/Sample", kbit/s with
// "kbits/second"; no text when neither is chosen (the label keeps its text).
std::optional<QString> WavPackLabelText(bool bitMode, bool kbitMode, int position);

// Ranges and start positions of the WavPack hybrid slider.
constexpr int WvBitMin = 20, WvBitMax = 239;
constexpr int WvKbitMin = 24, WvKbitMax = 9600;
