// The name of the next output file: output folder, optional date subfolder,
// prefix, date/time part, running number and the format's extension.
#pragma once

#include <QDateTime>
#include <QString>

// The output-page settings the name is built from.
struct OutputNameRule {
  QString folder;  // output folder, normally ending in "/"
  bool usePrefix = true;
  QString prefix = "Rectest";
  bool useDateTime = false;
  int dateTimeIndex = 0;  // 0..6: "hh-nn" … "yyyy/mm-dd"; others give no date part
  bool autoNumber = true;
  int format = 0;       // output format index 0..10 (WAV … SPX)
  int aacFileType = 0;  // 0 ".aac", 1 ".mp4", 2 ".m4a"
  int mpcFileType = 0;  // 0 ".mpc", 1 ".mp+", 2 ".mpp"
};

// ".wav", ".mp3", … for a format index. An AAC or MPC file type out of range
// gives that format's first type; a format out of range gives "".
QString OutputExtension(int format, int aacFileType, int mpcFileType);

// At least two digits, zero-padded: 1 → "01", 123 → "123".
QString FormatNumber(int number);

// The next output path for recording number `number` at time `now`.
// createFolders true: makes the output folder absolute (a relative one is
// taken from the working folder), creates it (every missing level), then
// the date folder below it (one level), and returns the full path; throws
// EAppError("Cannot create <folder>") when a folder cannot be created, and
// refuses a prefix holding "/" the same way.
// createFolders false: touches no file system and returns the name relative to
// the output folder (date folder + "/" when the style has one).
QString BuildOutputName(const OutputNameRule& rule, bool createFolders, int number,
                        const QDateTime& now);
