// The task file: one INI section "Record" telling a scheduled run which
// output file, format, input, volume, stop time and additional program to use.
#pragma once

#include <QString>
#include <optional>

namespace schedule {

struct RecordConfig {
  QString outName;
  int outFormat = -1, source = -1, volume = 0, stopTime = 0;
  bool additionalTask = false;  // "app" and "par" are written
  QString app, par;
};

// Writes a new task file in the folder of outName (made absolute by the
// caller): "Record.cfg", else the first free "Record<n>.cfg" (n = 1, 2, ...).
// An existing file is never overwritten, not even by a writer racing us.
// Returns the full path; throws EAppError "Unable to write to <path>".
QString WriteRecordConfig(const RecordConfig& config);

// What a task file holds, each key on its own: a key missing or not a number
// reads as empty, or -1 (Stoptime: 0). *opened is false when the file could
// not be read.
RecordConfig ReadRecordConfig(const QString& path, bool* opened = nullptr);

// The values a run may apply, each one checked alone; nullopt: skip it.
std::optional<int> ValidIndex(int value, int count);  // 0 <= value < count
std::optional<int> ValidVolume(int value);            // 0..100
std::optional<int> ValidStopTime(int value);          // > 0 seconds

}  // namespace schedule
