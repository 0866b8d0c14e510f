// What the recording engine knows per output format: the information line,
// the failure texts of its two start paths, the bit depths its encoder
// refuses, and the status line of a recording.
#pragma once

#include <QString>
#include <optional>

// Output formats in list order.
enum OutputFormat : int { kWav, kMp3, kWma, kOgg, kApe, kFlac, kTta, kWv, kAac, kMpc, kSpx, kFormatCount };

// "WAVE PCM" … "Speex for Voice (SPX)"; empty for an index outside the list.
QString FormatInfoText(int format);

// The message when the format's writer cannot start, on the mixer path
// (loopback devices) or the direct path.
QString WriterFailureText(int format, bool mixerPath);

// The refusal of a bit depth the format's encoder cannot take, or nothing.
std::optional<QString> BitDepthRefusal(int format, int bits);

// The message when the capture itself cannot start at that bit depth.
QString CaptureFailureText(int bits);

// The status line while recording: "Recording...", then the silence action
// when silence handling is on, then the split mode (-1 none, 0 by length,
// 1 by size).
struct StatusChoices {
  bool dar = false;
  bool pauseAction = false, stopAction = false, newFileAction = false;
  int splitMode = -1;
};
QString RecordingStatusText(const StatusChoices& c);

// Library sample flags for a bit depth: 8-bit samples, float above 16 bits.
unsigned SampleFlagsFor(int bits);
// Encoder flags: the float conversion to the bit depth, and for WAV a plain
// PCM file.
unsigned EncoderFlagsFor(int bits, bool wavFile);
